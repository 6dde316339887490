// The main window and its menu as the user first sees them, and the end of
// the program.
#include <array>

#include "e2e/harness.h"

namespace e2e {
namespace {

using MainMenuJourney = Journey;

TEST_F(MainMenuJourney, StartShowsTheFiveButtonsOfTheMenuInTheToolsFont) {
  RECT outer{};
  GetWindowRect(main_, &outer);
  EXPECT_EQ(outer.right - outer.left, 700);
  EXPECT_EQ(outer.bottom - outer.top, 500);
  const auto style = static_cast<DWORD>(GetWindowLongA(main_, GWL_STYLE));
  EXPECT_EQ(style & 0x100A0000u, 0x100A0000u) << std::hex << style;
  EXPECT_EQ(style & (WS_MAXIMIZEBOX | WS_THICKFRAME), 0u) << "the window must not be resizable";

  const std::vector<HWND> buttons = ChildrenOf(main_);
  ASSERT_EQ(TextsOf(buttons), kMenuCaptions);
  constexpr std::array kIds = {211, 225, 200, 202, 226};
  // Every caption shows in the 15-unit font: its ink on screen is that of
  // the same text drawn here in such a font, and not that of the system font
  // a button shows when nobody gives it one.
  HFONT tool_font = CreateFontA(15, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, nullptr);
  bool system_font_differs = false;
  for (std::size_t i = 0; i < buttons.size(); ++i) {
    SCOPED_TRACE(kMenuCaptions[i]);
    EXPECT_EQ(GetDlgCtrlID(buttons[i]), kIds[i]);
    RECT rect{};
    GetWindowRect(buttons[i], &rect);
    MapWindowPoints(HWND_DESKTOP, main_, reinterpret_cast<POINT*>(&rect), 2);
    EXPECT_EQ((std::array{rect.left, rect.top, rect.right, rect.bottom}),
              (std::array<LONG, 4>{10, 10 + 35 * static_cast<LONG>(i), 210, 34 + 35 * static_cast<LONG>(i)}));
    const InkBox wanted = TextInk(kMenuCaptions[i], tool_font);
    EXPECT_EQ(CaptionInk(buttons[i]), wanted);
    system_font_differs |=
        TextInk(kMenuCaptions[i], static_cast<HFONT>(GetStockObject(SYSTEM_FONT))) != wanted;
  }
  DeleteObject(tool_font);
  EXPECT_TRUE(system_font_differs) << "the font check cannot tell the fonts apart";
  Shot(main_, "main-menu");
}

TEST_F(MainMenuJourney, IdentifiersWithoutAnActionChangeNothingAndClosingEndsWithExitCodeZero) {
  const std::vector<HWND> before = ChildrenOf(main_);
  for (int id : {0, 1, 199, 227, 1000, 203, 207, 208, 209, 210})
    PostCommand(main_, id);
  ExpectOnlyTheMenu();
  EXPECT_EQ(ChildrenOf(main_), before);
  PostMessageA(main_, WM_CLOSE, 0, 0);
  EXPECT_EQ(target_->WaitForExit(), 0u);
}

} // namespace
} // namespace e2e
