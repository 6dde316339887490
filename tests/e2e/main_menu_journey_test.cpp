// The main menu inside this program: its font, identifiers that no screen
// gives a meaning, and the two commands that work from the menu itself,
// "Decompress Non-WAD File" and "Convert CEL to BMP", each walked through
// every way out that the user can take. (What their files hold, and their
// dialogs' titles and filters, are pinned by the commands' own tests.)
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

TEST_F(MainMenu, DecompressionOfDamagedWadAndUncompressedInputsEndsAsTheUserIsTold) {
  // The worked example (it decodes to ABAB) cut short, and with dictionary
  // bits 4: valid, but not the mark of compressed data. Its one copy has
  // length 2, whose distance takes 2 low bits whatever the bits say.
  WriteBytes(InFolder("cut.bin"), {4, 0, 0, 0, 0, 6, 0x82, 0x08, 0xed, 0x05});
  const Bytes plain = {4, 0, 0, 0, 0, 4, 0x82, 0x08, 0xed, 0x05, 0xfc, 0x03};
  WriteBytes(InFolder("plain.bin"), plain);
  WriteBytes(InFolder("DATA.Wad"), plain);
  const std::string question = "plain.bin: Data doesn't appear to be compressed\n Skip Decompression?";
  const std::tuple<std::string, int, std::string, Names> cases[] = {
      {"cut.bin", 0, "", {"cut.bin: Decompression Failed"}},
      {"DATA.Wad", 0, "", {InFolder("DATA.Wad") + ": Error: can not be used on a *.WAD file"}},
      {"plain.bin", IDYES, "copy.out", {question, "copy.out: Decompression Success"}},
      {"plain.bin", IDNO, "ABAB.out", {question, "ABAB.out: Decompression Success"}}};
  for (const auto& [input, answer, output, shown] : cases) {
    ui_.ChooseFile(InFolder(input));
    if (answer != 0) ui_.Answer(answer);
    if (!output.empty()) ui_.ChooseFile(InFolder(output));
    Click(kv::kCmdDecompressFile);
    EXPECT_EQ(Shown(), shown);
  }
  EXPECT_EQ(TextsOf(ChildrenOf(main_)), kMenuCaptions);
  EXPECT_EQ(FilesIn(folder_), (Names{"ABAB.out", "DATA.Wad", "copy.out", "cut.bin", "plain.bin"}));
  EXPECT_EQ(ReadBytes(InFolder("copy.out")), plain);
  EXPECT_EQ(ReadBytes(InFolder("ABAB.out")), kAbab);
}

TEST_F(MainMenu, CelImagesAreOfferedInOrderAndAShortPaletteOrAnEmptyCelWritesNothing) {
  using kv::test::AsymmetricPicture;
  WriteBytes(InFolder("TITLE.CEL"),
             kv::test::BuildCel({AsymmetricPicture("AB", 3, 2), AsymmetricPicture("CD", 2, 2),
                                 AsymmetricPicture("EF", 5, 3)}));
  WriteBytes(InFolder("EMPTY.CEL"), kv::test::BuildCel({}));
  Bytes palette = kv::test::TestPalette();
  WriteBytes(InFolder("GAME.PAL"), palette);
  palette.pop_back();
  WriteBytes(InFolder("SHORT.PAL"), palette);
  const auto convert = [&](const Names& choices) {
    for (const std::string& choice : choices)
      ui_.ChooseFile(choice.empty() ? std::nullopt : std::optional(InFolder(choice)));
    Click(kv::kCmdCelToBmp);
  };
  convert({"TITLE.CEL", "GAME.PAL", "TITLE_AB.BMP", "", "TITLE_EF.BMP"}); // the second one cancelled
  EXPECT_EQ(ui_.dialogs.at(3).dialog.path, "TITLE_CD.BMP");
  EXPECT_EQ(Shown(), Names{});
  convert({"TITLE.CEL", "SHORT.PAL"}); // 767 bytes
  EXPECT_EQ(ui_.messages.at(0).owner, main_);
  EXPECT_EQ(Shown(), Names{InFolder("SHORT.PAL") + ": Failed: *.PAL file size must be 768 bytes"});
  convert({"EMPTY.CEL", "GAME.PAL"});
  EXPECT_EQ(Shown(), Names{});
  EXPECT_EQ(TextsOf(ChildrenOf(main_)), kMenuCaptions);
  EXPECT_EQ(FilesIn(folder_),
            (Names{"EMPTY.CEL", "GAME.PAL", "SHORT.PAL", "TITLE.CEL", "TITLE_AB.BMP", "TITLE_EF.BMP"}));
  EXPECT_EQ(ReadBytes(InFolder("TITLE_EF.BMP")).value_or(Bytes()).size(), 54u + 1024 + 8 * 3);
}

} // namespace
} // namespace e2e
