#include <filesystem>
#include <sstream>

#include <gtest/gtest.h>

#include "cli/cli.h"
#include "media/cel_image.h"
#include "media/cel_to_bmp.h"
#include "support/cel_builder.h"
#include "support/cli_runner.h"
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
  const char* titles[] = {"Select CEL file", "Select PAL color file"};
  const char* patterns[] = {"*.CEL", "*.PAL"};
  for (int i = 0; i < 2; ++i) {
    const platform::FileDialog& open = ui.dialogs[i].dialog;
    EXPECT_EQ(ui.dialogs[i].kind, platform::DialogKind::Open);
    EXPECT_EQ(open.title, titles[i]);
    EXPECT_EQ(open.path, "");
    EXPECT_EQ(open.flags, 0x81000u);
    ASSERT_EQ(open.filters.size(), 2u);
    EXPECT_EQ(open.filters[0].name + open.filters[0].pattern, std::string(patterns[i]) + patterns[i]);
    EXPECT_EQ(open.filters[1].name + open.filters[1].pattern, "All Files*");
  }
  const char* offered[] = {"TITLE_AB.BMP", "TITLE_CD.BMP", "TITLE_EF.BMP"};
  for (int i = 0; i < 3; ++i) {
    const platform::FileDialog& save = ui.dialogs[2 + i].dialog;
    EXPECT_EQ(ui.dialogs[2 + i].kind, platform::DialogKind::Save);
    EXPECT_EQ(save.path, offered[i]);
    EXPECT_EQ(save.title, "");
    EXPECT_EQ(save.flags, 0x88002u);
    ASSERT_EQ(save.filters.size(), 1u);
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

// ------------------------------------------------------------------- CLI

class CelCli : public ::testing::Test {
protected:
  void SetUp() override {
    WriteBytes(cel_path, kThree);
    WriteBytes(pal_path, kPalette);
  }
  int Cli(const std::vector<std::string>& args) {
    const test::CliRun run = test::Cli(args);
    out = run.out;
    err = run.err;
    return run.status;
  }
  std::string Output(const std::string& name) const {
    return (std::filesystem::path(folder) / name).string();
  }

  test::TempDir dir;
  const std::string cel_path = dir.File("art.v1.cel");
  const std::string pal_path = dir.File("game.pal");
  const std::string folder = dir.File("out/bmp");
  std::string out, err;
};

TEST_F(CelCli, WritesEveryImageIntoANewFolderAndKeepsExistingFilesUnlessTold) {
  EXPECT_EQ(Cli({"cel2bmp", cel_path, pal_path, "-o", folder}), cli::kExitSuccess) << err;
  const char* names[] = {"art.v1_AB.BMP", "art.v1_CD.BMP", "art.v1_EF.BMP"};
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(ReadBytes(Output(names[i])), ExpectedBmp(kThree, i)) << names[i];
    EXPECT_NE(out.find("wrote " + Output(names[i])), std::string::npos) << out;
  }
  EXPECT_NE(out.find("3 of 3 images written to " + folder), std::string::npos) << out;

  WriteBytes(Output(names[0]), {9});
  EXPECT_EQ(Cli({"cel2bmp", cel_path, pal_path, "-o", folder}), cli::kExitFailure);
  EXPECT_NE(err.find("exists and was left as it is"), std::string::npos) << err;
  EXPECT_EQ(ReadBytes(Output(names[0])), Bytes{9});
  EXPECT_EQ(Cli({"cel2bmp", cel_path, pal_path, "-o", folder, "--overwrite", "overwrite"}),
            cli::kExitSuccess);
  EXPECT_EQ(ReadBytes(Output(names[0])), ExpectedBmp(kThree, 0));
}

TEST_F(CelCli, ImagesNamedAlikeNeverReplaceEachOther) {
  // AB and ab share a file on Windows; A/B and A:B both become A_B.
  const Bytes twins = BuildCel({AsymmetricPicture("AB", 1, 1), AsymmetricPicture("ab", 2, 1),
                                AsymmetricPicture("A/B", 1, 2), AsymmetricPicture("A:B", 2, 2)});
  WriteBytes(cel_path, twins);
  EXPECT_EQ(Cli({"cel2bmp", cel_path, pal_path, "-o", folder, "--overwrite", "overwrite"}),
            cli::kExitFailure);
  EXPECT_NE(out.find("2 of 4 images written"), std::string::npos) << out;
  EXPECT_EQ(ReadBytes(Output("art.v1_AB.BMP")), ExpectedBmp(twins, 0));
  EXPECT_EQ(ReadBytes(Output("art.v1_A_B.BMP")), ExpectedBmp(twins, 2));
  EXPECT_EQ(FilesIn(folder), 2u);
}

TEST_F(CelCli, RefusalsAndUsageErrors) {
  WriteBytes(dir.File("short.pal"), Bytes(767));
  EXPECT_EQ(Cli({"cel2bmp", cel_path, dir.File("short.pal"), "-o", folder}), cli::kExitFailure);
  EXPECT_NE(err.find("Failed: *.PAL file size must be 768 bytes"), std::string::npos) << err;
  EXPECT_FALSE(std::filesystem::exists(folder)) << "no folder is made for a refused file";

  EXPECT_EQ(Cli({"cel2bmp", cel_path, pal_path, "-o", pal_path}), cli::kExitFailure);
  EXPECT_NE(err.find("the output folder cannot be made"), std::string::npos) << err;

  EXPECT_EQ(Cli({"cel2bmp", cel_path, pal_path}), cli::kExitUsage);
  EXPECT_EQ(Cli({"cel2bmp", cel_path, "-o", folder}), cli::kExitUsage);
  EXPECT_EQ(Cli({"cel2bmp", cel_path, pal_path, "-o", folder, "--overwrite", "maybe"}), cli::kExitUsage);
}

} // namespace
} // namespace kv
