#include <filesystem>

#include <gtest/gtest.h>

#include "media/cel_image.h"
#include "media/cel_to_bmp.h"
#include "support/cel_builder.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace kv {
namespace {

using test::AsymmetricPicture;
using test::BuildCel;
using test::ReadBytes;
using test::WriteBytes;
using Bytes = std::vector<std::uint8_t>;

// Stands for the main window: only compared, never used.
const platform::WindowHandle kMainWindow = reinterpret_cast<platform::WindowHandle>(0x2260);
const Bytes kPalette = test::TestPalette();
const Bytes kThree = BuildCel(
    {AsymmetricPicture("AB", 3, 2), AsymmetricPicture("CD  X", 1, 1), AsymmetricPicture("EF", 5, 4)});

Bytes ExpectedBmp(const Bytes& cel, std::size_t index) {
  return BuildBmp(cel, ReadCel(cel).images.at(index), Palette(kPalette.data(), kPalSize));
}

std::size_t FilesIn(const std::filesystem::path& folder) {
  return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(folder), {}));
}

class CelToBmp : public ::testing::Test {
protected:
  // Writes the CEL to cel_path and the palette to pal_path, and chooses both in the open dialogs.
  void ChooseInputs(const Bytes& cel, const Bytes& pal = kPalette) {
    WriteBytes(cel_path, cel);
    WriteBytes(pal_path, pal);
    ui.ChooseFile(cel_path);
    ui.ChooseFile(pal_path);
  }

  test::TempDir dir;
  test::ScriptedUi ui;
  std::string cel_path = dir.File("TITLE.CEL");
  const std::string pal_path = dir.File("TITLE.PAL");
};

TEST_F(CelToBmp, EveryImageIsOfferedInFileOrderAndACancelSkipsOnlyThatOne) {
  ChooseInputs(kThree);
  ui.ChooseFile(dir.File("one.bmp"));
  ui.ChooseFile(std::nullopt);
  ui.ChooseFile(dir.File("three.bmp"));
  cel_to_bmp(kMainWindow);

  EXPECT_TRUE(ui.messages.empty());
  ASSERT_EQ(ui.dialogs.size(), 5u);
  EXPECT_EQ(ui.dialogs[0].dialog.title, "Select CEL file");
  EXPECT_EQ(ui.dialogs[0].dialog.filters.at(0).pattern, "*.CEL");
  EXPECT_EQ(ui.dialogs[1].dialog.title, "Select PAL color file");
  EXPECT_EQ(ui.dialogs[1].dialog.filters.at(0).pattern, "*.PAL");
  const char* offered[] = {"TITLE_AB.BMP", "TITLE_CD.BMP", "TITLE_EF.BMP"};
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(ui.dialogs[2 + i].kind, platform::DialogKind::Save);
    EXPECT_EQ(ui.dialogs[2 + i].dialog.path, offered[i]);
  }
  EXPECT_EQ(ReadBytes(dir.File("one.bmp")), ExpectedBmp(kThree, 0));
  EXPECT_EQ(ReadBytes(dir.File("three.bmp")), ExpectedBmp(kThree, 2));
  EXPECT_EQ(FilesIn(dir.path()), 4u);
}

TEST_F(CelToBmp, APaletteNot768BytesLongIsRefusedBeforeAnyImage) {
  for (const std::size_t size : {767u, 769u}) {
    SCOPED_TRACE(size);
    ui.messages.clear();
    Bytes pal = kPalette;
    pal.resize(size, 7);
    ChooseInputs(kThree, pal);
    cel_to_bmp(kMainWindow);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Failed: *.PAL file size must be 768 bytes");
    EXPECT_EQ(ui.messages[0].caption, pal_path);
    EXPECT_EQ(ui.messages[0].owner, kMainWindow);
    EXPECT_EQ(ui.messages[0].buttons, platform::Buttons::Ok);
    EXPECT_EQ(FilesIn(dir.path()), 2u);
  }
  EXPECT_EQ(ui.dialogs.size(), 4u) << "no save dialog";
}

TEST_F(CelToBmp, CancelledOpenDialogsAndAnEmptyCelWriteNothing) {
  ui.ChooseFile(std::nullopt);
  cel_to_bmp(kMainWindow);
  WriteBytes(cel_path, kThree);
  ui.ChooseFile(cel_path);
  ui.ChooseFile(std::nullopt);
  cel_to_bmp(kMainWindow);
  ChooseInputs(BuildCel({}));
  cel_to_bmp(kMainWindow);
  EXPECT_EQ(ui.dialogs.size(), 5u);
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(FilesIn(dir.path()), 2u);
}

TEST_F(CelToBmp, DamagedFilesAreRefusedOrTheirDamagedImagesNamedOnce) {
  ChooseInputs(Bytes(kThree.begin(), kThree.begin() + 20));
  cel_to_bmp(kMainWindow);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, "Failed: *.CEL file ends before its image tables");
  EXPECT_EQ(ui.messages[0].caption, cel_path);
  EXPECT_EQ(ui.messages[0].owner, kMainWindow);
  EXPECT_EQ(ui.dialogs.size(), 2u);

  // Eleven images past the end and AB within: one message naming ten, then AB.
  std::vector<test::CelPicture> pictures(11, AsymmetricPicture("", 1, 1));
  for (std::size_t i = 0; i < pictures.size(); ++i) {
    pictures[i].name_record = "N" + std::to_string(i);
    pictures[i].offset = 0xFFFFFF00u;
  }
  pictures.push_back(AsymmetricPicture("AB", 1, 1));
  ChooseInputs(BuildCel(pictures));
  ui.ChooseFile(std::nullopt);
  cel_to_bmp(kMainWindow);
  ASSERT_EQ(ui.messages.size(), 2u);
  EXPECT_EQ(ui.messages[1].text,
            "Skipped 11 of 12 images, which run past the end of the file: "
            "\"N0\", \"N1\", \"N2\", \"N3\", \"N4\", \"N5\", \"N6\", \"N7\", \"N8\", \"N9\", ...");
  EXPECT_EQ(ui.messages[1].caption, cel_path);
  ASSERT_EQ(ui.dialogs.size(), 5u);
  EXPECT_EQ(ui.dialogs[4].dialog.path, "TITLE_AB.BMP");
}

TEST_F(CelToBmp, ANameTooLongIsSkippedAndAFailedWriteGoesOn) {
  // 250 + "_AB.BMP" is 257 characters; 250 + "_ABCDEFG.BMP" is 262.
  cel_path = dir.File(std::string(250, 'x') + ".CEL");
  const Bytes cel = BuildCel({AsymmetricPicture("ABCDEFG", 2, 2), AsymmetricPicture("AB", 2, 2),
                              AsymmetricPicture("CD", 1, 1), AsymmetricPicture("EF", 1, 2)});
  ChooseInputs(cel);
  WriteBytes(dir.File("old.bmp"), {1, 2, 3});
  ui.ChooseFile(dir.File("missing/two.bmp"));
  ui.ChooseFile(dir.File("old.bmp"));
  ui.ChooseFile(dir.File("four.bmp"));
  cel_to_bmp(kMainWindow);
  ASSERT_EQ(ui.messages.size(), 2u);
  EXPECT_EQ(ui.messages[0].text,
            "Skipped image \"ABCDEFG\": its file name would be longer than 259 characters");
  EXPECT_EQ(ui.messages[0].caption, cel_path);
  EXPECT_EQ(ui.messages[1].caption, "SaveFile()");
  ASSERT_EQ(ui.dialogs.size(), 5u);
  EXPECT_EQ(ui.dialogs[2].dialog.path, std::string(250, 'x') + "_AB.BMP");
  EXPECT_EQ(ReadBytes(dir.File("old.bmp")), ExpectedBmp(cel, 2)) << "replaced without a second question";
  EXPECT_EQ(ReadBytes(dir.File("four.bmp")), ExpectedBmp(cel, 3));
}

} // namespace
} // namespace kv
