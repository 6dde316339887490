#include <gtest/gtest.h>

#include "core/compressed_block.h"
#include "core/implode.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"
#include "support/wad_builder.h"

namespace kv::test {
namespace {

Bytes WithByte(Bytes bytes, std::size_t index, std::uint8_t value) {
  bytes[index] = value;
  return bytes;
}

// Each block with the answer to "Skip?" (0: not asked), what comes out (nothing: failed) and what is told.
// Which blocks fail (a bad literal mode, under 4 bytes out, ...) is fuzz_block's, over its seeds.
TEST(CompressedBlock, EachBlockGivesItsResultAndMessageUnderTheFilesName) {
  ScriptedUi ui;
  const Bytes large = Pattern(65535);
  const Bytes d4 = WithByte(kAbabBlock, 5, 4); // still decodes: a copy of length 2 takes 2 low bits
  const std::string failed = "f: Decompression Failed";
  const std::string skip = "f: Data doesn't appear to be compressed\n Skip Decompression? [Yes/No]";
  const std::tuple<Bytes, int, std::optional<Bytes>, Strings> cases[] = {
      {kAbabBlock, 0, Text("ABAB"), {}},
      {ImplodeBlock(large), 0, large, {}},
      {d4, platform::kAnswerYes, Bytes(), {skip}}, // the caller uses the block as it is
      {d4, platform::kAnswerNo, Text("ABAB"), {skip}},
      {WithByte(kAbabBlock, 2, 1), 0, std::nullopt, {"f: Failed: unexpected value as decompressed size"}},
      {Bytes(kAbabBlock.begin(), kAbabBlock.begin() + 9), 0, std::nullopt, {failed}},
      {Bytes(kAbabBlock.begin(), kAbabBlock.begin() + 5), platform::kAnswerYes, Bytes(), {skip}},
      {Bytes(), platform::kAnswerNo, std::nullopt, {skip, failed}}, // too short to hold a stream
  };
  for (const auto& [block, answer, data, told] : cases) {
    SCOPED_TRACE(::testing::PrintToString(block));
    if (answer != 0) ui.Answer(answer);
    const BlockResult result = DecompressBlock(block, "f");
    EXPECT_EQ(result.kind, !data                            ? BlockResult::Failed
                           : answer == platform::kAnswerYes ? BlockResult::Skipped
                                                            : BlockResult::Decompressed);
    if (data) EXPECT_TRUE(result.data == *data);
    EXPECT_EQ(ui.Told(), told);
  }
  for (const char* name : {"x.wad.bak", "x.wads", "folder.wad/file"})
    EXPECT_FALSE(HasWadExtension(name)) << name;
}

TEST(CompressedBlock, DecompressFileWritesWhereTheUserSaysAndNothingOnFailureCancelOrAWad) {
  ScriptedUi ui;
  TempDir dir;
  WriteBytes(dir.File("abab.cmp"), kAbabBlock);
  WriteBytes(dir.File("plain.txt"), Text("plain text"));
  WriteBytes(dir.File("bad.cmp"), Bytes(kAbabBlock.begin(), kAbabBlock.begin() + 9));
  WriteBytes(dir.File("again.cmp"), kAbabBlock);
  for (const char* chosen : {"abab.cmp", "out.txt", "abab.cmp", "abab.cmp" /* over its own input */,
                             "plain.txt", "copy.txt", "bad.cmp", "data.wad", "DATA.Wad" /* never read */})
    ui.ChooseFile(dir.File(chosen));
  ui.Answer(platform::kAnswerYes); // skip the decompression of plain.txt
  ui.ChooseFile(std::nullopt);
  ui.ChooseFile(dir.File("again.cmp"));
  ui.ChooseFile(std::nullopt);
  for (int run = 0; run < 8; ++run)
    DecompressFile();
  EXPECT_EQ(ReadBytes(dir.File("out.txt")), Text("ABAB"));
  EXPECT_EQ(ReadBytes(dir.File("abab.cmp")), Text("ABAB"));
  EXPECT_EQ(ReadBytes(dir.File("copy.txt")), Text("plain text"));
  EXPECT_EQ(FilesIn(dir.path()),
            (Strings{"abab.cmp", "again.cmp", "bad.cmp", "copy.txt", "out.txt", "plain.txt"}));
  const std::string wad = ": Error: can not be used on a *.WAD file";
  EXPECT_EQ(ui.Told(),
            (Strings{"out.txt: Decompression Success", "abab.cmp: Decompression Success",
                     "plain.txt: Data doesn't appear to be compressed\n Skip Decompression? [Yes/No]",
                     "copy.txt: Decompression Success", "bad.cmp: Decompression Failed",
                     dir.File("data.wad") + wad, dir.File("DATA.Wad") + wad}));
  ASSERT_EQ(ui.dialogs.size(), 12u) << "no save dialog after a failure";
  // The file must exist; the user is asked before a file is replaced; the save dialog starts at the input.
  EXPECT_EQ(std::tuple(ui.dialogs[0].kind, ui.dialogs[0].dialog.flags, ui.dialogs[1].kind,
                       ui.dialogs[1].dialog.flags, ui.dialogs[1].dialog.path),
            std::tuple(platform::DialogKind::Open, 0x81000u, platform::DialogKind::Save, 0x88002u,
                       dir.File("abab.cmp")));
}

} // namespace
} // namespace kv::test
