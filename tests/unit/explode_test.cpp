// The decoder on crafted streams and the shared vectors. Random and damaged streams are compared
// with the bit-by-bit reader and with libdynamite by the fuzz targets.
#include "core/explode.h"
#include "support/reference.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace kv {
namespace {

using test::ExplodeCollect;
using test::ExplodeOutcome;
using test::MakeBlock;
using test::StreamWriter;
using Bytes = std::vector<std::uint8_t>;

Bytes Text(std::string_view text) {
  return {text.begin(), text.end()};
}

std::int32_t Data(const Bytes& block, std::uint8_t* buffer, std::uint32_t capacity) {
  return ExplodeData(block.data(), static_cast<std::uint32_t>(block.size()), buffer, capacity);
}

TEST(Explode, WorkedExampleTwelveByteBlockGivesAbab) {
  const Bytes block = {0x04, 0x00, 0x00, 0x00, 0x00, 0x06, 0x82, 0x08, 0xed, 0x05, 0xfc, 0x03};
  Bytes buffer(8, 0xEE);
  ASSERT_EQ(Data(block, buffer.data(), 8), 4);
  EXPECT_EQ(buffer, Text("ABAB\xEE\xEE\xEE\xEE"));
  // The writer used by the other tests produces exactly this stream.
  EXPECT_EQ(StreamWriter(0, 6).Literals("AB").Copy(2, 2).End().Bytes(),
            Bytes(block.begin() + 4, block.end()));
}

TEST(Explode, BadLiteralModeOrDictionaryBitsIsRefusedWithNoOutput) {
  const std::pair<Bytes, ExplodeResult> cases[] = {
      {{2, 6, 0xFF}, BadLiteralMode}, {{0xFF, 6}, BadLiteralMode},
      {{2}, BadLiteralMode},          {{0, 3, 0xFF}, BadDictionarySize},
      {{1, 7}, BadDictionarySize},    {{0, 0}, BadDictionarySize},
      {{}, InputExhausted},           {{0}, InputExhausted},
      {{1, 4}, InputExhausted},
  };
  for (const auto& [stream, result] : cases) {
    SCOPED_TRACE(::testing::PrintToString(stream));
    EXPECT_EQ(ExplodeCollect(stream), (ExplodeOutcome{result, {}}));
    std::uint8_t buffer[1] = {};
    EXPECT_EQ(Data(MakeBlock(stream, 0), buffer, 1), -1);
  }
}

TEST(Explode, EveryCutDeliversExactlyTheCompleteItemsBeforeIt) {
  // Copies that end in long codes and extra bits, so cuts fall inside every kind of field.
  for (const int mode : {0, 1}) {
    const Bytes stream = StreamWriter(mode, 5)
                             .Literals("The quick brown fox {}~\x01\xFF")
                             .Copy(2, 3)
                             .Copy(518, 20)
                             .Copy(300, 1)
                             .Literals("jumps")
                             .Copy(9, 800)
                             .End()
                             .Bytes();
    const ExplodeOutcome whole = ExplodeCollect(stream);
    ASSERT_EQ(whole.result, Done);
    std::size_t previous = 0;
    for (std::size_t cut = 0; cut < stream.size(); ++cut) {
      SCOPED_TRACE(cut);
      const std::span<const std::uint8_t> part(stream.data(), cut);
      const ExplodeOutcome outcome = ExplodeCollect(part);
      EXPECT_EQ(outcome, test::ReferenceExplode(part));
      EXPECT_EQ(outcome.result, InputExhausted);
      EXPECT_TRUE(std::equal(outcome.output.begin(), outcome.output.end(), whole.output.begin()));
      EXPECT_GE(outcome.output.size(), previous);
      previous = outcome.output.size();
    }
  }
  // ExplodeData fails on a cut stream but leaves the good prefix in the buffer.
  const Bytes stream = StreamWriter(1, 6).Literals("ABCDEFGH").Copy(16, 8).Literals("xyz").End().Bytes();
  Bytes buffer(27, 0);
  EXPECT_EQ(Data(MakeBlock(std::span(stream).first(stream.size() - 3), 27), buffer.data(), 27), -1);
  EXPECT_EQ(std::string(buffer.begin(), buffer.begin() + 24), "ABCDEFGHABCDEFGHABCDEFGH");
}

TEST(Explode, CopyFromBeforeTheFirstByteIsRefusedAfterDeliveringThePrefix) {
  EXPECT_EQ(ExplodeCollect(StreamWriter(0, 4).Literals("ABCDE").Copy(4, 5).End().Bytes()),
            (ExplodeOutcome{Done, Text("ABCDEABCD")}));
  EXPECT_EQ(ExplodeCollect(StreamWriter(0, 4).Literals("ABCDE").Copy(4, 6).End().Bytes()),
            (ExplodeOutcome{DistanceTooFar, Text("ABCDE")}));
  EXPECT_EQ(ExplodeCollect(StreamWriter(1, 6).Copy(3, 1).End().Bytes()),
            (ExplodeOutcome{DistanceTooFar, {}}));
  // Still in the first window one byte before it fills.
  const Bytes almost(4095, 'q');
  StreamWriter late(0, 6);
  for (const std::uint8_t byte : almost)
    late.Literal(byte);
  EXPECT_EQ(ExplodeCollect(late.Copy(3, 4096).End().Bytes()), (ExplodeOutcome{DistanceTooFar, almost}));
}

TEST(Explode, CopiesAcrossTheWindowWrapPointUseTheWindowEnd) {
  StreamWriter writer(0, 6);
  for (int i = 0; i < 4090; ++i)
    writer.Literal(static_cast<std::uint8_t>(i * 7 + i / 256));
  writer.Copy(20, 4000);  // the target crosses the window's end
  writer.Copy(30, 20);    // the source crosses it
  writer.Copy(518, 4096); // the longest reach, from the byte about to be overwritten
  writer.Copy(2, 256).Copy(100, 1).Literal('!');
  const Bytes stream = writer.End().Bytes();
  const ExplodeOutcome outcome = ExplodeCollect(stream);
  ASSERT_EQ(outcome.result, Done);
  ASSERT_EQ(outcome.output.size(), 4090u + 20 + 30 + 518 + 2 + 100 + 1);
  EXPECT_EQ(outcome, test::ReferenceExplode(stream));
}

TEST(Explode, ExplodeDataRefusesBadArgumentsUntouchedAndCutsAtTheDeclaredSize) {
  const Bytes stream = StreamWriter(1, 4).Literals("0123456789").Copy(300, 10).End().Bytes();
  Bytes buffer(70000, 0xEE);
  EXPECT_EQ(Data(MakeBlock(stream, 65536), buffer.data(), 70000), -1);
  EXPECT_EQ(Data(MakeBlock(stream, 0xFFFFFFFF), buffer.data(), 0xFFFFFFFF), -1);
  EXPECT_EQ(Data(MakeBlock(stream, 3), buffer.data(), 2), -1);
  EXPECT_EQ(Data(MakeBlock(stream, 2), nullptr, 2), -1);
  EXPECT_EQ(Data(Bytes{2, 0, 0}, buffer.data(), 2), -1);
  EXPECT_EQ(ExplodeData(nullptr, 0, buffer.data(), 2), -1);
  EXPECT_TRUE(std::all_of(buffer.begin(), buffer.end(), [](std::uint8_t b) { return b == 0xEE; }));
  EXPECT_EQ(Data(MakeBlock(stream, 7), buffer.data(), 400), 7);
  EXPECT_EQ(std::string(buffer.begin(), buffer.begin() + 8), "0123456\xEE");
  EXPECT_EQ(Data(MakeBlock(stream, 400), buffer.data(), 400), 310) << "a stream may fall short of the size";
}

// Records each piece handed out and fails on a chosen call.
struct FailingOutput {
  int fail_on_call = -1;
  std::vector<std::uint32_t> lengths{};
  static int Write(void* context, const std::uint8_t*, std::uint32_t length) {
    auto& self = *static_cast<FailingOutput*>(context);
    self.lengths.push_back(length);
    return static_cast<int>(self.lengths.size()) - 1 == self.fail_on_call ? 7 : 0;
  }
};

TEST(Explode, OutputGoesInWholeWindowsAndAFailureStopsItUnlessADecodeErrorOutranksIt) {
  StreamWriter writer(0, 6);
  writer.Literal('x').Copy(518, 1);
  for (int i = 0; i < 20; ++i)
    writer.Copy(500, 519);
  const Bytes stream = writer.End().Bytes(); // 10519 bytes of output
  const auto run = [](const Bytes& bytes, int fail_on_call) {
    MemoryInput in{bytes.data(), 0, static_cast<std::int32_t>(bytes.size())};
    FailingOutput out{fail_on_call};
    const ExplodeResult result = ExplodeStream(MemoryInputRead, &in, FailingOutput::Write, &out);
    return std::pair(result, out.lengths);
  };
  using Lengths = std::vector<std::uint32_t>;
  EXPECT_EQ(run(stream, -1), std::pair(Done, Lengths{4096, 4096, 2327}));
  EXPECT_EQ(run(stream, 0), std::pair(OutputFailed, Lengths{4096})) << "no more output after a failure";
  EXPECT_EQ(run(stream, 2).first, OutputFailed);
  EXPECT_EQ(run(StreamWriter(0, 6).Literals("abc").Copy(3, 4).End().Bytes(), 0),
            std::pair(DistanceTooFar, Lengths{3}));
  EXPECT_EQ(run(Bytes(stream.begin(), stream.begin() + 6), 0).first, InputExhausted);
  EXPECT_EQ(run(StreamWriter(0, 6).End().Bytes(), -1), std::pair(Done, Lengths{})) << "no empty final part";
}

TEST(Explode, SharedVectorsDecodeExactlyAndLibdynamiteAgreesOnModeZero) {
  const auto vectors = test::LoadImplodeVectors();
  ASSERT_GE(vectors.size(), 18u);
  int by_dynamite = 0;
  for (const auto& v : vectors) {
    SCOPED_TRACE(v.name);
    ASSERT_GE(v.stream.size(), 2u);
    EXPECT_EQ(v.stream[0], v.literal_mode);
    EXPECT_EQ(v.stream[1], v.dictionary_bits);
    Bytes buffer(v.raw.size() + 1, 0xEE);
    ASSERT_EQ(Data(MakeBlock(v.stream, static_cast<std::uint32_t>(v.raw.size())), buffer.data(),
                   static_cast<std::uint32_t>(buffer.size())),
              static_cast<std::int32_t>(v.raw.size()));
    buffer.pop_back();
    EXPECT_TRUE(buffer == v.raw);
    EXPECT_EQ(ExplodeCollect(v.stream, 5), (ExplodeOutcome{Done, v.raw})) << "input in pieces of 5";
    if (v.literal_mode == 0) {
      EXPECT_EQ(test::DynamiteExplode(v.stream), v.raw);
      ++by_dynamite;
    }
  }
  EXPECT_GE(by_dynamite, 4);
}

TEST(Explode, DamagedVectorsGiveTheirStatedOutcomeAndPrefix) {
  const auto file = [](const std::string& name) {
    return test::ReadFileBytes(test::DataPath("implode/damaged/" + name));
  };
  EXPECT_EQ(ExplodeCollect(file("badmode_2_pcm_speech_u8_11k_20000_m0_d6.imp")),
            (ExplodeOutcome{BadLiteralMode, {}}));
  EXPECT_EQ(ExplodeCollect(file("trunc_half_text_en_lf_16000_m1_d6.imp")),
            (ExplodeOutcome{InputExhausted, file("trunc_half_text_en_lf_16000_m1_d6.prefix")}));
  EXPECT_EQ(ExplodeCollect(file("dist_pos5_dist6_m0_d4.imp")),
            (ExplodeOutcome{DistanceTooFar, file("dist_pos5_dist6_m0_d4.raw")}));
}

} // namespace
} // namespace kv
