// The implode decoder and encoder: the vectors of an independent encoder,
// crafted streams, libdynamite and the bit-by-bit reader as referees. Random,
// cut and damaged streams are compared with the reader and libdynamite by the
// fuzz targets, and so are the encoder's copies of every length and distance
// (fuzz_explode_dynamite writes its items with the encoder's writer).
// Then compressed blocks and files as the commands decompress them.
#include <gtest/gtest.h>

#include <stdexcept>

#include "core/compressed_block.h"
#include "core/explode.h"
#include "core/implode.h"
#include "core/implode_detail.h"
#include "support/reference.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"
#include "support/wad_builder.h"

namespace kv::test {
namespace {

// Literals, then a copy of `length` bytes from `distance` back, coded by the
// encoder's writer (which the independent vectors and libdynamite pin) as
// asked, even when the copy reaches back before the start.
Bytes LiteralsThenCopy(std::string_view literals, int length, int distance, LiteralMode mode, int bits) {
  std::vector<implode_detail::Token> tokens;
  for (const char c : literals)
    tokens.push_back({0, static_cast<std::uint8_t>(c)});
  tokens.push_back({static_cast<std::uint16_t>(length), static_cast<std::uint16_t>(distance)});
  return implode_detail::Emit(tokens, {mode, bits});
}

std::int32_t Data(const Bytes& block, std::uint8_t* buffer, std::uint32_t capacity) {
  return ExplodeData(block.data(), static_cast<std::uint32_t>(block.size()), buffer, capacity);
}

// Every vector of the independent encoder decodes exactly, also when its
// input comes in pieces, and libdynamite agrees on mode 0. (ExplodeData into
// a buffer of exactly the declared size, over these vectors: fuzz_explode,
// whose seeds they are.) With three bytes
// or fewer there is nothing to copy, so any encoder must give the same
// stream: this pins the literal code and the bit order without relying on
// our own decoder. Every input of the vectors (text, mixed data around the
// window's size, runs, overlaps) decodes back in every mode and dictionary,
// within the format's limits, no larger than the independent encoder made
// it: a parse that lost the long or far copies would come out larger on the
// crafted vectors.
TEST(Implode, IndependentVectorsDecodeExactlyAndTheirInputsEncodeAndDecodeBackInEveryModeAndDictionary) {
  EXPECT_EQ(ImplodeBlock(Text("ABAB")), kAbabBlock);
  const auto vectors = LoadImplodeVectors();
  ASSERT_EQ(vectors.size(), 18u);
  int literal_only = 0;
  for (const auto& v : vectors) {
    SCOPED_TRACE(v.name);
    EXPECT_EQ(ExplodeCollect(v.stream, 5), (ExplodeOutcome{Done, v.raw})) << "input in pieces of 5";
    if (v.literal_mode == 0) EXPECT_EQ(DynamiteExplode(v.stream), v.raw);
    for (const LiteralMode mode : {LiteralMode::Binary, LiteralMode::Text}) {
      for (const int bits : {4, 5, 6}) {
        const Bytes stream = ImplodeStream(v.raw, {mode, bits});
        EXPECT_EQ(ExplodeCollect(stream), (ExplodeOutcome{Done, v.raw})) << "our decoder";
        if (mode == LiteralMode::Binary) EXPECT_TRUE(DynamiteExplode(stream) == v.raw) << "libdynamite";
        if (static_cast<int>(mode) != v.literal_mode || bits != v.dictionary_bits) continue;
        EXPECT_LE(stream.size(), v.stream.size() + v.stream.size() / 50 + 2);
        if (v.raw.size() > 3) continue;
        EXPECT_EQ(stream, v.stream);
        ++literal_only;
      }
    }
  }
  EXPECT_EQ(literal_only, 5);
  EXPECT_THROW(ImplodeStream(Bytes(9), {LiteralMode::Binary, 3}), std::invalid_argument);
  EXPECT_THROW(ImplodeStream(Bytes(9), {LiteralMode::Binary, 7}), std::invalid_argument);
  const auto file = [](const std::string& name) { return DataFile("implode/damaged/" + name); };
  EXPECT_EQ(ExplodeCollect(file("badmode_2_pcm_speech_u8_11k_20000_m0_d6.imp")),
            (ExplodeOutcome{BadLiteralMode, {}}));
  EXPECT_EQ(ExplodeCollect(file("trunc_half_text_en_lf_16000_m1_d6.imp")),
            (ExplodeOutcome{InputExhausted, file("trunc_half_text_en_lf_16000_m1_d6.prefix")}));
  EXPECT_EQ(ExplodeCollect(file("dist_pos5_dist6_m0_d4.imp")),
            (ExplodeOutcome{DistanceTooFar, file("dist_pos5_dist6_m0_d4.raw")}));
}

// Bad arguments leave the buffer untouched; the output is cut at the
// declared size (sizes and capacities are the fuzz target's, and so are
// copies across the window's end). A copy one byte too far back just before
// the first window fills is refused.
TEST(Explode, ExplodeDataRefusesBadArgumentsUntouchedAndCutsAtTheDeclaredSize) {
  EXPECT_EQ(ExplodeCollect(LiteralsThenCopy(std::string(4095, 'q'), 3, 4096, LiteralMode::Binary, 6)),
            (ExplodeOutcome{DistanceTooFar, Bytes(4095, 'q')}));
  const Bytes stream = LiteralsThenCopy("0123456789", 300, 10, LiteralMode::Text, 4);
  Bytes buffer(8, 0xEE);
  EXPECT_EQ(Data(BlockWithSize(2, stream), nullptr, 2), -1);
  EXPECT_EQ(ExplodeData(nullptr, 0, buffer.data(), 2), -1);
  EXPECT_EQ(Data(Bytes{2, 0, 0}, buffer.data(), 2), -1);
  EXPECT_EQ(buffer, Bytes(8, 0xEE));
  EXPECT_EQ(Data(BlockWithSize(7, stream), buffer.data(), 7), 7);
  EXPECT_EQ(buffer, Text("0123456\xEE"));
}

Bytes WithByte(Bytes bytes, std::size_t index, std::uint8_t value) {
  bytes[index] = value;
  return bytes;
}

// Each block with the answer to "Skip?" (0: not asked), what comes out (nothing: failed) and what is told.
// Which blocks fail (a bad literal mode, under 4 bytes out, a cut stream, ...) is fuzz_block's, over its
// seeds; a cut one told: DecompressFile below.
TEST(CompressedBlock, EachBlockGivesItsResultAndMessageUnderTheFilesName) {
  ScriptedUi ui;
  const Bytes large = Pattern(65535);
  const Bytes d4 = WithByte(kAbabBlock, 5, 4); // still decodes: a copy of length 2 takes 2 low bits
  const std::string failed = "f: Decompression Failed";
  const std::string skip = "f: Data doesn't appear to be compressed\n Skip Decompression? [Yes/No]";
  const std::tuple<Bytes, int, std::optional<Bytes>, Strings> cases[] = {
      {kAbabBlock, 0, Text("ABAB"), {}},
      {ImplodeBlock(large), 0, large, {}},
      {d4, platform::kAnswerYes, Bytes(), {skip}}, // the caller uses the block as it is, however short
      {d4, platform::kAnswerNo, Text("ABAB"), {skip}},
      {WithByte(kAbabBlock, 2, 1), 0, std::nullopt, {"f: Failed: unexpected value as decompressed size"}},
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
