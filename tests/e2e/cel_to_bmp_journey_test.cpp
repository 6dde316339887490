// Convert CEL to BMP from its button, on the sample game's pictures: the CEL
// file and its palette asked for, then a file name for every image. (What
// each BMP file holds, and the ways in that fail: the unit tests.)
#include "e2e/harness.h"

namespace e2e {
namespace {

using CelToBmp = Session;

TEST_F(CelToBmp, EveryImageOfTheSampleGamesCelFileIsWrittenWhereTheUserSays) {
  WriteSampleGame();
  ui_.ChooseFile(InFolder("TITLE.CEL"));
  ui_.ChooseFile(InFolder("TITLE.PAL"));
  const Names images = {"1.BMP", "2.BMP", "3.BMP", "4.BMP", "5.BMP"};
  for (const std::string& name : images)
    ui_.ChooseFile(InFolder("Вывод 出力\\" + name));
  MakeFolder("Вывод 出力");
  Click(kv::kCmdCelToBmp);
  EXPECT_EQ(Shown(), Names{});
  EXPECT_EQ(ui_.dialogs.size(), 2 + images.size());
  EXPECT_EQ(kv::test::FilesIn(kv::test::FsPath(InFolder("Вывод 出力"))), images);
}

} // namespace
} // namespace e2e
