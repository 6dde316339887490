// "Convert CEL to BMP" from its button to the BMP files on disk.
#include "e2e/harness.h"
#include "shell/shell.h"
#include "support/cel_builder.h"

namespace e2e {
namespace {

using kv::test::AsymmetricPicture;
using CelJourney = Session;

TEST_F(CelJourney, ImagesAreOfferedInOrderAndAShortPaletteOrAnEmptyCelWritesNothing) {
  const kv::test::CelPicture pictures[] = {AsymmetricPicture("AB", 3, 2), AsymmetricPicture("CD", 2, 2),
                                           AsymmetricPicture("EF", 5, 3)};
  WriteBytes(InFolder("TITLE.CEL"), kv::test::BuildCel({pictures[0], pictures[1], pictures[2]}));
  WriteBytes(InFolder("EMPTY.CEL"), kv::test::BuildCel({}));
  Bytes palette = kv::test::TestPalette();
  WriteBytes(InFolder("GAME.PAL"), palette);
  palette.pop_back();
  WriteBytes(InFolder("SHORT.PAL"), palette);
  const auto convert = [&](const std::vector<std::optional<std::string>>& choices) {
    for (const auto& choice : choices)
      ui_.ChooseFile(choice ? std::optional(InFolder(*choice)) : std::nullopt);
    Click(kv::kCmdCelToBmp);
  };

  // Three images, the second cancelled: each save dialog offers its name.
  convert({"TITLE.CEL", "GAME.PAL", "TITLE_AB.BMP", std::nullopt, "TITLE_EF.BMP"});
  Names asked;
  for (const auto& shown : ui_.dialogs)
    asked.push_back(shown.dialog.title + "|" + shown.dialog.path);
  EXPECT_EQ(asked, (Names{"Select CEL file|", "Select PAL color file|", "|TITLE_AB.BMP", "|TITLE_CD.BMP",
                          "|TITLE_EF.BMP"}));
  EXPECT_EQ(Shown(), Names{});
  for (const int i : {0, 2}) {
    const kv::test::CelPicture& picture = pictures[i];
    const auto bmp = ReadBytes(InFolder("TITLE_" + picture.name_record + ".BMP"));
    ASSERT_TRUE(bmp.has_value());
    EXPECT_EQ(kv::test::BmpU32(*bmp, 18), picture.width);
    EXPECT_EQ(static_cast<std::int32_t>(kv::test::BmpU32(*bmp, 22)), -picture.height);
    for (int y = 0; y < picture.height; ++y)
      for (int x = 0; x < picture.width; ++x)
        EXPECT_EQ(kv::test::BmpIndexAt(*bmp, x, y), picture.pixels[y * picture.width + x]);
  }

  // A 767-byte palette: refused in a box owned by the main window.
  convert({"TITLE.CEL", "SHORT.PAL"});
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].owner, main_);
  EXPECT_EQ(Shown(), Names{InFolder("SHORT.PAL") + ": Failed: *.PAL file size must be 768 bytes"});

  convert({"EMPTY.CEL", "GAME.PAL"});
  EXPECT_EQ(Shown(), Names{});
  EXPECT_EQ(TextsOf(ChildrenOf(main_)), kMenuCaptions);
  EXPECT_EQ(FilesIn(folder_),
            (Names{"EMPTY.CEL", "GAME.PAL", "SHORT.PAL", "TITLE.CEL", "TITLE_AB.BMP", "TITLE_EF.BMP"}));
}

} // namespace
} // namespace e2e
