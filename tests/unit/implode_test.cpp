// The implode decoder and encoder: the vectors of an independent encoder,
// crafted streams, libdynamite and the bit-by-bit reader as referees. Random,
// cut and damaged streams are compared with the reader and libdynamite by the
// fuzz targets, and so are the encoder's copies of every length and distance
// (fuzz_explode_dynamite writes its items with the encoder's writer).
#include <gtest/gtest.h>

#include <stdexcept>

#include "core/explode.h"
#include "core/implode.h"
#include "support/reference.h"
#include "support/temp_dir.h"
#include "support/wad_builder.h"

namespace kv::test {
namespace {

std::int32_t Data(const Bytes& block, std::uint8_t* buffer, std::uint32_t capacity) {
  return ExplodeData(block.data(), static_cast<std::uint32_t>(block.size()), buffer, capacity);
}

TEST(Explode, IndependentVectorsDecodeExactlyAndLibdynamiteAgreesOnModeZero) {
  const auto vectors = LoadImplodeVectors();
  ASSERT_EQ(vectors.size(), 18u);
  for (const auto& v : vectors) {
    SCOPED_TRACE(v.name);
    EXPECT_EQ(Bytes(v.stream.begin(), v.stream.begin() + 2),
              (Bytes{std::uint8_t(v.literal_mode), std::uint8_t(v.dictionary_bits)}));
    Bytes buffer(v.raw.size() + 1, 0xEE);
    const auto size = static_cast<std::uint32_t>(v.raw.size());
    EXPECT_EQ(Data(BlockWithSize(size, v.stream), buffer.data(), size + 1), static_cast<std::int32_t>(size));
    EXPECT_TRUE(Bytes(buffer.begin(), buffer.end() - 1) == v.raw && buffer.back() == 0xEE);
    EXPECT_EQ(ExplodeCollect(v.stream, 5), (ExplodeOutcome{Done, v.raw})) << "input in pieces of 5";
    if (v.literal_mode == 0) EXPECT_EQ(DynamiteExplode(v.stream), v.raw);
  }
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
  const ExplodeOutcome too_far =
      ExplodeCollect(Items().Lit(std::string(4095, 'q')).Copy(3, 4096).Stream(0, 6));
  EXPECT_EQ(too_far, (ExplodeOutcome{DistanceTooFar, Bytes(4095, 'q')}));
  const Bytes stream = Items().Lit("0123456789").Copy(300, 10).Stream(1, 4);
  Bytes buffer(8, 0xEE);
  EXPECT_EQ(Data(BlockWithSize(2, stream), nullptr, 2), -1);
  EXPECT_EQ(ExplodeData(nullptr, 0, buffer.data(), 2), -1);
  EXPECT_EQ(Data(Bytes{2, 0, 0}, buffer.data(), 2), -1);
  EXPECT_EQ(buffer, Bytes(8, 0xEE));
  EXPECT_EQ(Data(BlockWithSize(7, stream), buffer.data(), 7), 7);
  EXPECT_EQ(buffer, Text("0123456\xEE"));
}

// With three bytes or fewer there is nothing to copy, so any encoder must
// give the same stream: this pins the literal code and the bit order without
// relying on our own decoder. Every input of the vectors (text, mixed data
// around the window's size, runs, overlaps) decodes back in every mode and
// dictionary, within the format's limits, no larger than the independent
// encoder made it: a parse that lost the long or far copies would come out
// larger on the crafted vectors.
TEST(Implode, MatchesTheIndependentEncoderAndDecodesBackInEveryModeAndDictionary) {
  EXPECT_EQ(ImplodeBlock(Text("ABAB")), kAbabBlock);
  int literal_only = 0;
  for (const ImplodeVector& v : LoadImplodeVectors()) {
    SCOPED_TRACE(v.name);
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
}

} // namespace
} // namespace kv::test
