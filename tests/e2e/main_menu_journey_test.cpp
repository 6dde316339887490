// The main menu inside this program: its font, and identifiers that no
// screen gives a meaning. (Every mode's button is pressed by its journey;
// the commands of the menu are the program journey's and the unit tests'.)
#include "e2e/harness.h"

namespace e2e {
namespace {

using MainMenu = Session;

TEST_F(MainMenu, ButtonsShareTheToolsFontAndIdentifiersWithoutAnActionChangeNothing) {
  const std::vector<HWND> menu = ChildrenOf(main_);
  const auto font = reinterpret_cast<HFONT>(SendMessageA(menu.at(0), WM_GETFONT, 0, 0));
  LOGFONTA description{};
  ASSERT_TRUE(GetObjectA(font, sizeof description, &description)) << "the buttons show the system font";
  EXPECT_EQ(description.lfHeight, 15);
  for (HWND button : menu)
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageA(button, WM_GETFONT, 0, 0)), font);
  for (int id : {0, 1, 199, 227, 1000, 203, 207, 208, 209, 210})
    SendMessageA(main_, WM_COMMAND, id, 0);
  EXPECT_EQ(ChildrenOf(main_), menu);
  EXPECT_EQ(Shown(), Names{});
  EXPECT_TRUE(ui_.dialogs.empty());
}

} // namespace
} // namespace e2e
