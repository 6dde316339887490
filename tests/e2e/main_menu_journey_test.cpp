// The main menu inside this program: its font, identifiers that no screen
// gives a meaning, and "Convert CEL to BMP" from its button. (The command's
// own tests pin what its files hold, its dialogs and its other ways out, as
// those of "Decompress Non-WAD File" pin its outcomes; the program journey
// takes that command from its button.)
#include <iterator>

#include "e2e/harness.h"
#include "support/cel_builder.h"

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

TEST_F(MainMenu, CelImagesAreSavedAsTheUserChoosesAndAShortPaletteIsRefusedInABoxOfTheMainWindow) {
  using kv::test::AsymmetricPicture;
  WriteBytes(InFolder("TITLE.CEL"),
             kv::test::BuildCel({AsymmetricPicture("AB", 3, 2), AsymmetricPicture("CD", 2, 2),
                                 AsymmetricPicture("EF", 5, 3)}));
  Bytes palette = kv::test::TestPalette();
  WriteBytes(InFolder("GAME.PAL"), palette);
  palette.pop_back();
  WriteBytes(InFolder("SHORT.PAL"), palette);
  // Three images with the second cancelled, then a palette of 767 bytes.
  for (const std::string choice :
       {"TITLE.CEL", "GAME.PAL", "TITLE_AB.BMP", "", "TITLE_EF.BMP", "TITLE.CEL", "SHORT.PAL"})
    ui_.ChooseFile(choice.empty() ? std::nullopt : std::optional(InFolder(choice)));
  Click(kv::kCmdCelToBmp);
  Click(kv::kCmdCelToBmp);
  EXPECT_EQ(ui_.messages.at(0).owner, main_);
  EXPECT_EQ(Shown(), Names{InFolder("SHORT.PAL") + ": Failed: *.PAL file size must be 768 bytes"});
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_), {}), 5) << "a file nobody chose";
  EXPECT_TRUE(ReadBytes(InFolder("TITLE_AB.BMP")) && ReadBytes(InFolder("TITLE_EF.BMP")));
}

} // namespace
} // namespace e2e
