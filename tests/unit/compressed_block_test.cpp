#include <gtest/gtest.h>

#include "core/compressed_block.h"
#include "core/implode.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace kv {
namespace {

using platform::Buttons;
using platform::DialogKind;
using test::Bytes;
using test::ReadBytes;
using test::WriteBytes;

// Size 4; literal mode 0; D = 6; literals A and B; a copy of length 2 at
// distance 2; the end code.
const std::vector<std::uint8_t> kAbab = {0x04, 0x00, 0x00, 0x00, 0x00, 0x06,
                                         0x82, 0x08, 0xed, 0x05, 0xfc, 0x03};

std::vector<std::uint8_t> WithByte(std::vector<std::uint8_t> bytes, std::size_t index, std::uint8_t value) {
  bytes[index] = value;
  return bytes;
}

class CompressedBlockTest : public ::testing::Test {
protected:
  test::ScriptedUi ui;
  test::TempDir dir;
};

TEST_F(CompressedBlockTest, TheWorkedExampleDecompressesToAbab) {
  const BlockResult result = DecompressBlock(kAbab, "abab.cmp");
  EXPECT_EQ(result.kind, BlockResult::Decompressed);
  EXPECT_EQ(result.data, Bytes("ABAB"));
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(CompressedBlockTest, DataThatDoNotLookCompressedAreOfferedAsTheyAre) {
  // Dictionary bits 4 still decode: a copy of length 2 takes 2 low bits.
  const auto block = WithByte(kAbab, 5, 4);
  ui.Answer(platform::kAnswerYes);
  EXPECT_EQ(DecompressBlock(block, "x.bin").kind, BlockResult::Skipped);
  ui.Answer(platform::kAnswerNo);
  const BlockResult decoded = DecompressBlock(block, "x.bin");
  EXPECT_EQ(decoded.kind, BlockResult::Decompressed);
  EXPECT_EQ(decoded.data, Bytes("ABAB"));
  ASSERT_EQ(ui.messages.size(), 2u);
  EXPECT_EQ(ui.messages[0].text, "Data doesn't appear to be compressed\n Skip Decompression?");
  EXPECT_EQ(ui.messages[0].caption, "x.bin");
  EXPECT_EQ(ui.messages[0].buttons, Buttons::YesNo);
}

TEST_F(CompressedBlockTest, FailuresAreToldUnderTheFilesName) {
  struct Case {
    const char* what;
    std::vector<std::uint8_t> block;
    const char* message;
  };
  std::vector<std::uint8_t> truncated(kAbab.begin(), kAbab.begin() + 9);
  const Case cases[] = {
      {"size above 65535", WithByte(kAbab, 2, 1), "Failed: unexpected value as decompressed size"},
      {"truncated stream", truncated, "Decompression Failed"},
      {"bad literal mode", WithByte(kAbab, 4, 2), "Decompression Failed"},
      {"three bytes decoded", ImplodeBlock(Bytes("abc")), "Decompression Failed"},
      {"declared size 3", WithByte(kAbab, 0, 3), "Decompression Failed"},
  };
  for (const Case& c : cases) {
    ui.messages.clear();
    EXPECT_EQ(DecompressBlock(c.block, "f.dat").kind, BlockResult::Failed) << c.what;
    ASSERT_EQ(ui.messages.size(), 1u) << c.what;
    EXPECT_EQ(ui.messages[0].text, c.message) << c.what;
    EXPECT_EQ(ui.messages[0].caption, "f.dat") << c.what;
  }
}

TEST_F(CompressedBlockTest, ABlockTooShortForAStreamIsNeverReadBeyondItsEnd) {
  for (std::size_t length = 0; length < kMinBlockSize; ++length) {
    // Exactly `length` bytes on the heap, so that a read past them is caught.
    const std::vector<std::uint8_t> block(kAbab.begin(), kAbab.begin() + static_cast<long>(length));
    ui.Answer(platform::kAnswerYes);
    EXPECT_EQ(DecompressBlock(block, "short").kind, BlockResult::Skipped);
    ui.Answer(platform::kAnswerNo);
    EXPECT_EQ(DecompressBlock(block, "short").kind, BlockResult::Failed);
    EXPECT_EQ(ui.messages.back().text, "Decompression Failed");
  }
}

TEST_F(CompressedBlockTest, LargestBlockDecompressesWhole) {
  std::vector<std::uint8_t> data(65535);
  for (std::size_t i = 0; i < data.size(); ++i)
    data[i] = static_cast<std::uint8_t>(i * 7 / 3);
  const BlockResult result = DecompressBlock(ImplodeBlock(data), "big");
  EXPECT_EQ(result.kind, BlockResult::Decompressed);
  EXPECT_EQ(result.data, data);
}

TEST_F(CompressedBlockTest, DecompressFileWritesTheDecodedFileWhereTheUserSays) {
  WriteBytes(dir.File("abab.cmp"), kAbab);
  ui.ChooseFile(dir.File("abab.cmp"));
  ui.ChooseFile(dir.File("out.txt"));
  DecompressFile();

  EXPECT_EQ(ReadBytes(dir.File("out.txt")), Bytes("ABAB"));
  ASSERT_EQ(ui.dialogs.size(), 2u);
  const platform::FileDialog& open = ui.dialogs[0].dialog;
  EXPECT_EQ(ui.dialogs[0].kind, DialogKind::Open);
  EXPECT_EQ(open.flags, 0x81000u);
  EXPECT_EQ(open.owner, nullptr);
  EXPECT_EQ(open.title, "");
  EXPECT_EQ(open.path, "");
  ASSERT_EQ(open.filters.size(), 1u);
  EXPECT_EQ(open.filters[0].name, "All Files");
  EXPECT_EQ(open.filters[0].pattern, "*");
  const platform::FileDialog& save = ui.dialogs[1].dialog;
  EXPECT_EQ(ui.dialogs[1].kind, DialogKind::Save);
  EXPECT_EQ(save.flags, 0x88002u);
  EXPECT_EQ(save.path, dir.File("abab.cmp"));
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, "Decompression Success");
  EXPECT_EQ(ui.messages[0].caption, "out.txt");
}

TEST_F(CompressedBlockTest, DecompressFileMayReplaceItsOwnInput) {
  WriteBytes(dir.File("abab.cmp"), kAbab);
  ui.ChooseFile(dir.File("abab.cmp"));
  ui.ChooseFile(dir.File("abab.cmp"));
  DecompressFile();
  EXPECT_EQ(ReadBytes(dir.File("abab.cmp")), Bytes("ABAB"));
}

TEST_F(CompressedBlockTest, DecompressFileCopiesDataTheUserSaysAreNotCompressed) {
  const auto plain = Bytes("plain text, not compressed");
  WriteBytes(dir.File("plain.txt"), plain);
  ui.ChooseFile(dir.File("plain.txt"));
  ui.Answer(platform::kAnswerYes);
  ui.ChooseFile(dir.File("copy.txt"));
  DecompressFile();
  EXPECT_EQ(ReadBytes(dir.File("copy.txt")), plain);
  EXPECT_EQ(ui.messages.back().text, "Decompression Success");
}

TEST_F(CompressedBlockTest, DecompressFileStopsBeforeTheSaveDialogWhenDecodingFails) {
  WriteBytes(dir.File("bad.cmp"), std::vector<std::uint8_t>(kAbab.begin(), kAbab.begin() + 9));
  ui.ChooseFile(dir.File("bad.cmp"));
  DecompressFile();
  EXPECT_EQ(ui.dialogs.size(), 1u);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, "Decompression Failed");
  EXPECT_EQ(ui.messages[0].caption, "bad.cmp");
}

TEST_F(CompressedBlockTest, DecompressFileRefusesWadArchivesBeforeReadingThem) {
  for (const char* name : {"data.wad", "DATA.Wad"}) {
    ui.messages.clear();
    ui.ChooseFile(dir.File(name)); // does not even exist: it is never read
    DecompressFile();
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, "Error: can not be used on a *.WAD file");
    EXPECT_EQ(ui.messages[0].caption, dir.File(name));
  }
  EXPECT_TRUE(HasWadExtension("a.b.WAD"));
  EXPECT_FALSE(HasWadExtension("wad"));
  EXPECT_FALSE(HasWadExtension("x.wad.bak"));
  EXPECT_FALSE(HasWadExtension("x.wads"));
  EXPECT_FALSE(HasWadExtension("folder.wad/file"));
}

TEST_F(CompressedBlockTest, DecompressFileCancelledAtEitherDialogWritesNothing) {
  ui.ChooseFile(std::nullopt);
  DecompressFile();
  WriteBytes(dir.File("abab.cmp"), kAbab);
  ui.ChooseFile(dir.File("abab.cmp"));
  ui.ChooseFile(std::nullopt);
  DecompressFile();
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

} // namespace
} // namespace kv
