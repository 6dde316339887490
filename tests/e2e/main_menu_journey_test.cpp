// The main window and its menu as the user first sees them, and the end of
// the program.
#include <array>
#include <memory>
#include <type_traits>

#include "e2e/harness.h"

namespace e2e {
namespace {

struct ExpectedButton {
  const char* caption;
  int y;
  int id;
};
constexpr std::array<ExpectedButton, 5> kMenu = {{
    {"Classic Commentary", 10, 211},
    {"Remixed Commentary", 45, 225},
    {"WAD Viewer", 80, 200},
    {"Decompress Non-WAD File", 115, 202},
    {"Convert CEL to BMP", 150, 226},
}};

using MainMenuJourney = Journey;

struct FontDeleter {
  void operator()(HFONT font) const { DeleteObject(font); }
};
using FontHandle = std::unique_ptr<std::remove_pointer_t<HFONT>, FontDeleter>;

TEST_F(MainMenuJourney, StartShowsTheFiveButtonsOfTheMenuInTheToolsFont) {
  EXPECT_EQ(ClassOf(main_), "WC_MAIN");
  EXPECT_EQ(TextOf(main_), "Kroll Vorevuvo");
  RECT outer{};
  GetWindowRect(main_, &outer);
  EXPECT_EQ(outer.right - outer.left, 700);
  EXPECT_EQ(outer.bottom - outer.top, 500);
  const auto style = static_cast<DWORD>(GetWindowLongA(main_, GWL_STYLE));
  EXPECT_EQ(style & 0x100A0000u, 0x100A0000u) << std::hex << style;
  EXPECT_EQ(style & (WS_MAXIMIZEBOX | WS_THICKFRAME), 0u) << "the window must not be resizable";

  const std::vector<HWND> buttons = ChildrenOf(main_);
  ASSERT_EQ(buttons.size(), kMenu.size());
  for (std::size_t i = 0; i < kMenu.size(); ++i) {
    SCOPED_TRACE(kMenu[i].caption);
    EXPECT_EQ(ClassOf(buttons[i]), "Button");
    EXPECT_EQ(TextOf(buttons[i]), kMenu[i].caption);
    EXPECT_EQ(GetDlgCtrlID(buttons[i]), kMenu[i].id);
    const RECT rect = RectInParent(buttons[i]);
    EXPECT_EQ(rect.left, 10);
    EXPECT_EQ(rect.top, kMenu[i].y);
    EXPECT_EQ(rect.right - rect.left, 200);
    EXPECT_EQ(rect.bottom - rect.top, 24);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongA(buttons[i], GWL_STYLE)), DWORD{WS_CHILD | WS_VISIBLE});
  }

  // Every caption shows in the 15-unit font: its ink on screen is that of
  // the same text drawn here in such a font, and not that of the system font
  // a button shows when nobody gives it one.
  FontHandle tool_font(CreateFontA(15, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, nullptr));
  bool system_font_differs = false;
  for (std::size_t i = 0; i < kMenu.size(); ++i) {
    const InkBox wanted = TextInk(kMenu[i].caption, tool_font.get());
    EXPECT_EQ(CaptionInk(buttons[i]), wanted) << kMenu[i].caption;
    system_font_differs |=
        TextInk(kMenu[i].caption, static_cast<HFONT>(GetStockObject(SYSTEM_FONT))) != wanted;
  }
  EXPECT_TRUE(system_font_differs) << "the font check cannot tell the fonts apart";

  SaveScreenshot(main_, Shot("main-menu"));
}

TEST_F(MainMenuJourney, IdentifiersWithoutAnActionChangeNothingAndBackRebuildsTheMenu) {
  const std::vector<HWND> before = ChildrenOf(main_);
  for (int id : {0, 1, 199, 227, 1000, 203, 207, 208, 209, 210})
    PostCommand(main_, id);
  Pause(100ms);
  SendMessageA(main_, WM_NULL, 0, 0);
  EXPECT_EQ(ChildrenOf(main_), before);
  EXPECT_EQ(target_->TopLevelWindows(), std::vector<HWND>{main_}) << "something opened a window";

  // "< Back" from the menu clears it and builds it again.
  PostCommand(main_, 201);
  WaitUntil([&] { return ChildrenOf(main_).size() == 5 && ChildrenOf(main_)[0] != before[0]; },
            "the main menu to be rebuilt by < Back");
  std::vector<std::string> captions;
  for (HWND button : ChildrenOf(main_))
    captions.push_back(TextOf(button));
  EXPECT_EQ(captions, (std::vector<std::string>{"Classic Commentary", "Remixed Commentary", "WAD Viewer",
                                                "Decompress Non-WAD File", "Convert CEL to BMP"}));
}

TEST_F(MainMenuJourney, ClosingTheMainWindowEndsTheProgramWithExitCodeZero) {
  PostMessageA(main_, WM_CLOSE, 0, 0);
  EXPECT_EQ(target_->WaitForExit(), 0u);
}

} // namespace
} // namespace e2e
