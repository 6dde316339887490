// The main menu inside this program: its font, identifiers that no screen
// gives a meaning, and "Convert CEL to BMP" from its button, its boxes owned
// by the main window. (The command's own tests pin what its files hold, its
// dialogs and its other ways out, as those of "Decompress Non-WAD File" pin
// its outcomes; the program journey takes that command from its button.)
#include "e2e/harness.h"
#include "support/cel_builder.h"

namespace e2e {
namespace {

using MainMenu = Session;

TEST_F(MainMenu,
       ButtonsShareTheToolsFontIdentifiersWithoutAnActionChangeNothingAndCelToBmpRunsFromItsButton) {
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

  WriteBytes(InFolder("TITLE.CEL"), kv::test::BuildCel({kv::test::AsymmetricPicture("AB", 3, 2)}));
  WriteBytes(InFolder("SHORT.PAL"), Bytes(767, 0));
  ui_.ChooseFile(InFolder("TITLE.CEL"));
  ui_.ChooseFile(InFolder("SHORT.PAL"));
  Click(kv::kCmdCelToBmp);
  EXPECT_EQ(ui_.messages.at(0).owner, main_);
  EXPECT_EQ(Shown(), Names{InFolder("SHORT.PAL") + ": Failed: *.PAL file size must be 768 bytes"});
}

} // namespace
} // namespace e2e
