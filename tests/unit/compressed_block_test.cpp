#include <gtest/gtest.h>

#include "core/compressed_block.h"
#include "core/implode.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace kv {
namespace {

using test::Bytes;
using test::ReadBytes;
using test::WriteBytes;

// Size 4; literal mode 0; D = 6; literals A and B; a copy of length 2 at distance 2; the end code.
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

TEST_F(CompressedBlockTest, TheWorkedExampleAndTheLargestBlockDecompressWhole) {
  EXPECT_EQ(DecompressBlock(kAbab, "abab.cmp").data, Bytes("ABAB"));
  std::vector<std::uint8_t> data(65535);
  for (std::size_t i = 0; i < data.size(); ++i)
    data[i] = static_cast<std::uint8_t>(i * 7 / 3);
  const BlockResult result = DecompressBlock(ImplodeBlock(data), "big");
  EXPECT_EQ(result.kind, BlockResult::Decompressed);
  EXPECT_EQ(result.data, data);
  EXPECT_TRUE(ui.messages.empty());
}

TEST_F(CompressedBlockTest, DataThatDoNotLookCompressedAreSkippedOnYesAndDecodedOnNo) {
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
  EXPECT_EQ(ui.messages[0].buttons, platform::Buttons::YesNo);
}

TEST_F(CompressedBlockTest, FailuresAreToldUnderTheFilesName) {
  const std::pair<std::vector<std::uint8_t>, const char*> cases[] = {
      {WithByte(kAbab, 2, 1), "Failed: unexpected value as decompressed size"}, // above 65535
      {{kAbab.begin(), kAbab.begin() + 9}, "Decompression Failed"},             // truncated
      {WithByte(kAbab, 4, 2), "Decompression Failed"},                          // bad literal mode
      {ImplodeBlock(Bytes("abc")), "Decompression Failed"},                     // three bytes decoded
      {WithByte(kAbab, 0, 3), "Decompression Failed"},                          // declared size 3
  };
  for (const auto& [block, message] : cases) {
    ui.messages.clear();
    EXPECT_EQ(DecompressBlock(block, "f.dat").kind, BlockResult::Failed) << message;
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, message);
    EXPECT_EQ(ui.messages[0].caption, "f.dat");
  }
}

TEST_F(CompressedBlockTest, ABlockShorterThanSixBytesIsNeverReadBeyondItsEnd) {
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

TEST_F(CompressedBlockTest, DecompressFileWritesWhereTheUserSaysEvenOverItsOwnInput) {
  WriteBytes(dir.File("abab.cmp"), kAbab);
  ui.ChooseFile(dir.File("abab.cmp"));
  ui.ChooseFile(dir.File("out.txt"));
  DecompressFile();
  EXPECT_EQ(ReadBytes(dir.File("out.txt")), Bytes("ABAB"));
  ASSERT_EQ(ui.dialogs.size(), 2u);
  EXPECT_EQ(ui.dialogs[0].kind, platform::DialogKind::Open);
  EXPECT_EQ(ui.dialogs[1].kind, platform::DialogKind::Save);
  EXPECT_EQ(ui.dialogs[0].dialog.flags, 0x81000u) << "the file must exist";
  EXPECT_EQ(ui.dialogs[1].dialog.flags, 0x88002u) << "the user is asked before a file is replaced";
  EXPECT_EQ(ui.dialogs[1].dialog.path, dir.File("abab.cmp")) << "the save dialog starts at the input";
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].text, "Decompression Success");
  EXPECT_EQ(ui.messages[0].caption, "out.txt");

  ui.ChooseFile(dir.File("abab.cmp"));
  ui.ChooseFile(dir.File("abab.cmp"));
  DecompressFile();
  EXPECT_EQ(ReadBytes(dir.File("abab.cmp")), Bytes("ABAB"));

  WriteBytes(dir.File("plain.txt"), Bytes("plain text, not compressed"));
  ui.ChooseFile(dir.File("plain.txt"));
  ui.Answer(platform::kAnswerYes);
  ui.ChooseFile(dir.File("copy.txt"));
  DecompressFile();
  EXPECT_EQ(ReadBytes(dir.File("copy.txt")), Bytes("plain text, not compressed"));
}

TEST_F(CompressedBlockTest, DecompressFileWritesNothingOnFailureCancelOrAWadArchive) {
  WriteBytes(dir.File("bad.cmp"), std::vector<std::uint8_t>(kAbab.begin(), kAbab.begin() + 9));
  ui.ChooseFile(dir.File("bad.cmp"));
  DecompressFile();
  EXPECT_EQ(ui.dialogs.size(), 1u) << "no save dialog after a failed decode";
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].caption, "bad.cmp");
  for (const char* name : {"data.wad", "DATA.Wad"}) {
    ui.ChooseFile(dir.File(name)); // does not even exist: it is never read
    DecompressFile();
    EXPECT_EQ(ui.messages.back().text, "Error: can not be used on a *.WAD file");
    EXPECT_EQ(ui.messages.back().caption, dir.File(name));
  }
  for (const char* name : {"x.wad.bak", "x.wads", "folder.wad/file"})
    EXPECT_FALSE(HasWadExtension(name)) << name;
  ui.messages.clear();
  ui.ChooseFile(std::nullopt);
  DecompressFile();
  ui.ChooseFile(dir.File("bad.cmp"));
  ui.ChooseFile(std::nullopt);
  WriteBytes(dir.File("bad.cmp"), kAbab);
  DecompressFile();
  EXPECT_TRUE(ui.messages.empty());
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

} // namespace
} // namespace kv
