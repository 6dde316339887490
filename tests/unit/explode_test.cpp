#include "core/explode.h"
#include "support/reference.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

namespace kv {
namespace {

using test::ExplodeCollect;
using test::ExplodeOutcome;
using test::MakeBlock;
using test::ReferenceExplode;
using test::StreamWriter;
using Bytes = std::vector<std::uint8_t>;

Bytes Text(std::string_view text) {
  return {text.begin(), text.end()};
}

// A well-formed stream of random literals and copies, with the bytes it must decode to.
struct RandomStream {
  Bytes stream;
  Bytes expected;
};
RandomStream MakeRandomStream(std::mt19937& rng, int literal_mode, int dictionary_bits, int items) {
  StreamWriter writer(literal_mode, dictionary_bits);
  Bytes out;
  for (int i = 0; i < items; ++i) {
    if (out.empty() || rng() % 3 == 0) {
      const auto byte = static_cast<std::uint8_t>(rng() % 4 == 0 ? rng() : 'a' + rng() % 4);
      writer.Literal(byte);
      out.push_back(byte);
      continue;
    }
    const int length = rng() % 4 == 0 ? 2 + static_cast<int>(rng() % 517) : 2 + static_cast<int>(rng() % 12);
    const int reach = length == 2 ? 256 : 64 << dictionary_bits;
    const int distance = 1 + static_cast<int>(rng() % std::min<std::size_t>(reach, out.size()));
    writer.Copy(length, distance);
    for (int k = 0; k < length; ++k)
      out.push_back(out[out.size() - distance]);
  }
  return {writer.End().Bytes(), std::move(out)};
}

TEST(ExplodeWorkedExample, TwelveByteBlockGivesAbab) {
  const Bytes block = {0x04, 0x00, 0x00, 0x00, 0x00, 0x06, 0x82, 0x08, 0xed, 0x05, 0xfc, 0x03};
  Bytes buffer(8, 0xEE);
  ASSERT_EQ(ExplodeData(block.data(), static_cast<std::uint32_t>(block.size()), buffer.data(), 8), 4);
  EXPECT_EQ(Bytes(buffer.begin(), buffer.begin() + 4), Text("ABAB"));
  // The writer used by the other tests produces exactly this stream.
  EXPECT_EQ(StreamWriter(0, 6).Literals("AB").Copy(2, 2).End().Bytes(),
            Bytes(block.begin() + 4, block.end()));
}

TEST(ExplodeHeader, BadLiteralModeOrDictionaryBitsIsRefusedWithNoOutput) {
  const struct {
    Bytes stream;
    ExplodeResult result;
  } cases[] = {
      {{2, 6, 0xFF}, BadLiteralMode}, {{0xFF, 6}, BadLiteralMode},
      {{2}, BadLiteralMode},          {{0, 3, 0xFF}, BadDictionarySize},
      {{1, 7}, BadDictionarySize},    {{0, 0}, BadDictionarySize},
      {{}, InputExhausted},           {{0}, InputExhausted},
      {{1, 4}, InputExhausted},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.stream));
    EXPECT_EQ(ExplodeCollect(c.stream), (ExplodeOutcome{c.result, {}}));
    const Bytes block = MakeBlock(c.stream, 0);
    std::uint8_t buffer[1] = {};
    EXPECT_EQ(ExplodeData(block.data(), static_cast<std::uint32_t>(block.size()), buffer, 1), -1);
  }
}

TEST(ExplodeTruncation, EveryCutDeliversExactlyTheCompleteItemsBeforeIt) {
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
      EXPECT_EQ(outcome, ReferenceExplode(part));
      EXPECT_EQ(outcome.result, InputExhausted);
      EXPECT_TRUE(std::equal(outcome.output.begin(), outcome.output.end(), whole.output.begin()));
      EXPECT_GE(outcome.output.size(), previous);
      previous = outcome.output.size();
    }
  }
}

TEST(ExplodeTruncation, ExplodeDataFailsButLeavesTheGoodPrefixInTheBuffer) {
  const Bytes stream = StreamWriter(1, 6).Literals("ABCDEFGH").Copy(16, 8).Literals("xyz").End().Bytes();
  const Bytes block = MakeBlock(std::span(stream).first(stream.size() - 3), 27);
  Bytes buffer(27, 0);
  EXPECT_EQ(ExplodeData(block.data(), static_cast<std::uint32_t>(block.size()), buffer.data(), 27), -1);
  EXPECT_EQ(std::string(buffer.begin(), buffer.begin() + 24), "ABCDEFGHABCDEFGHABCDEFGH");
}

TEST(ExplodeDistance, CopyFromBeforeTheFirstByteIsRefusedAfterDeliveringThePrefix) {
  EXPECT_EQ(ExplodeCollect(StreamWriter(0, 4).Literals("ABCDE").Copy(4, 5).End().Bytes()),
            (ExplodeOutcome{Done, Text("ABCDEABCD")}));
  EXPECT_EQ(ExplodeCollect(StreamWriter(0, 4).Literals("ABCDE").Copy(4, 6).End().Bytes()),
            (ExplodeOutcome{DistanceTooFar, Text("ABCDE")}));
  EXPECT_EQ(ExplodeCollect(StreamWriter(1, 6).Copy(3, 1).End().Bytes()),
            (ExplodeOutcome{DistanceTooFar, {}}));
  // Still in the first window one byte before it fills.
  Bytes almost(4095, 'q');
  StreamWriter late(0, 6);
  for (const std::uint8_t byte : almost)
    late.Literal(byte);
  EXPECT_EQ(ExplodeCollect(late.Copy(3, 4096).End().Bytes()), (ExplodeOutcome{DistanceTooFar, almost}));
}

TEST(ExplodeWindow, CopiesAcrossTheWrapPointUseTheWindowEnd) {
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
  EXPECT_EQ(outcome, ReferenceExplode(stream));
  EXPECT_TRUE(std::equal(outcome.output.begin() + 4110, outcome.output.begin() + 4140,
                         outcome.output.begin() + 4090));
}

TEST(ExplodeData, RefusesBadArgumentsWithoutWritingTheBuffer) {
  const Bytes stream = StreamWriter(0, 6).Literals("AB").End().Bytes();
  Bytes buffer(70000, 0xEE);
  const auto run = [&](const Bytes& block, std::uint8_t* to, std::uint32_t capacity) {
    return ExplodeData(block.data(), static_cast<std::uint32_t>(block.size()), to, capacity);
  };
  EXPECT_EQ(run(MakeBlock(stream, 65536), buffer.data(), 70000), -1);
  EXPECT_EQ(run(MakeBlock(stream, 0xFFFFFFFF), buffer.data(), 0xFFFFFFFF), -1);
  EXPECT_EQ(run(MakeBlock(stream, 3), buffer.data(), 2), -1);
  EXPECT_EQ(run(MakeBlock(stream, 2), nullptr, 2), -1);
  EXPECT_EQ(ExplodeData(Bytes{2, 0, 0}.data(), 3, buffer.data(), 2), -1);
  EXPECT_EQ(ExplodeData(nullptr, 0, buffer.data(), 2), -1);
  EXPECT_TRUE(std::all_of(buffer.begin(), buffer.end(), [](std::uint8_t b) { return b == 0xEE; }));
  EXPECT_EQ(run(MakeBlock(stream, 2), buffer.data(), 2), 2);
}

TEST(ExplodeData, OutputIsCutAtTheDeclaredSizeAndMayFallShortOfIt) {
  const Bytes stream = StreamWriter(1, 4).Literals("0123456789").Copy(300, 10).End().Bytes();
  Bytes buffer(400, 0xEE);
  const auto run = [&](std::uint32_t size) {
    const Bytes block = MakeBlock(stream, size);
    return ExplodeData(block.data(), static_cast<std::uint32_t>(block.size()), buffer.data(), 400);
  };
  EXPECT_EQ(run(7), 7);
  EXPECT_EQ(std::string(buffer.begin(), buffer.begin() + 8), "0123456\xEE");
  EXPECT_EQ(run(0), 0);
  EXPECT_EQ(run(400), 310);
  EXPECT_EQ(std::string(buffer.begin() + 300, buffer.begin() + 311), "0123456789\xEE");
}

// Output callbacks that record each piece and fail on a chosen call.
struct FailingOutput {
  int fail_on_call = -1;
  std::vector<std::uint32_t> lengths{};
  static int Write(void* context, const std::uint8_t*, std::uint32_t length) {
    auto& self = *static_cast<FailingOutput*>(context);
    self.lengths.push_back(length);
    return static_cast<int>(self.lengths.size()) - 1 == self.fail_on_call ? 7 : 0;
  }
};

ExplodeResult RunFailing(const Bytes& stream, FailingOutput& out) {
  MemoryInput in{stream.data(), 0, static_cast<std::int32_t>(stream.size())};
  return ExplodeStream(MemoryInputRead, &in, FailingOutput::Write, &out);
}

TEST(ExplodeOutput, WholeWindowsThenTheRestAndFailuresStopOrOverrideTheResult) {
  StreamWriter writer(0, 6);
  writer.Literal('x').Copy(518, 1);
  for (int i = 0; i < 20; ++i)
    writer.Copy(500, 519);
  const Bytes stream = writer.End().Bytes(); // 10519 bytes of output
  const Bytes far = StreamWriter(0, 6).Literals("abc").Copy(3, 4).End().Bytes();

  FailingOutput ok;
  EXPECT_EQ(RunFailing(stream, ok), Done);
  EXPECT_EQ(ok.lengths, (std::vector<std::uint32_t>{4096, 4096, 2327}));

  FailingOutput first_window{0};
  EXPECT_EQ(RunFailing(stream, first_window), OutputFailed);
  EXPECT_EQ(first_window.lengths.size(), 1u) << "no more output after a failure";

  FailingOutput final_part{2};
  EXPECT_EQ(RunFailing(stream, final_part), OutputFailed);

  FailingOutput after_error{0};
  EXPECT_EQ(RunFailing(far, after_error), DistanceTooFar) << "a decoding error outranks the output failure";
  EXPECT_EQ(after_error.lengths, std::vector<std::uint32_t>{3});

  FailingOutput after_cut{0};
  EXPECT_EQ(RunFailing(Bytes(stream.begin(), stream.begin() + 6), after_cut), InputExhausted);

  FailingOutput nothing_left{};
  EXPECT_EQ(RunFailing(StreamWriter(0, 6).End().Bytes(), nothing_left), Done);
  EXPECT_TRUE(nothing_left.lengths.empty()) << "an empty final part is not handed out";
}

TEST(ExplodeInput, InputHandedOverInSmallPiecesDecodesTheSame) {
  std::mt19937 rng(11);
  const auto random = MakeRandomStream(rng, 1, 6, 3000);
  const ExplodeOutcome whole = ExplodeCollect(random.stream);
  ASSERT_EQ(whole, (ExplodeOutcome{Done, random.expected}));
  for (const std::size_t piece : {1, 2, 3, 7, 8, 9, 15, 4096}) {
    EXPECT_EQ(ExplodeCollect(random.stream, piece), whole) << "pieces of " << piece;
    const Bytes cut(random.stream.begin(), random.stream.begin() + random.stream.size() / 2);
    EXPECT_EQ(ExplodeCollect(cut, piece), ExplodeCollect(cut)) << "pieces of " << piece;
  }
}

TEST(ExplodeVectors, SharedVectorsDecodeExactly) {
  const auto vectors = test::LoadImplodeVectors();
  ASSERT_GE(vectors.size(), 18u);
  for (const auto& v : vectors) {
    SCOPED_TRACE(v.name);
    ASSERT_GE(v.stream.size(), 2u);
    EXPECT_EQ(v.stream[0], v.literal_mode);
    EXPECT_EQ(v.stream[1], v.dictionary_bits);
    const Bytes block = MakeBlock(v.stream, static_cast<std::uint32_t>(v.raw.size()));
    Bytes buffer(v.raw.size() + 1, 0xEE);
    ASSERT_EQ(ExplodeData(block.data(), static_cast<std::uint32_t>(block.size()), buffer.data(),
                          static_cast<std::uint32_t>(buffer.size())),
              static_cast<std::int32_t>(v.raw.size()));
    buffer.pop_back();
    EXPECT_TRUE(buffer == v.raw);
    EXPECT_EQ(ExplodeCollect(v.stream, 5), (ExplodeOutcome{Done, v.raw}));
  }
}

TEST(ExplodeVectors, DamagedVectorsGiveTheirStatedOutcomeAndPrefix) {
  const std::string folder = test::SharedPath("testdata/implode/damaged/");
  const auto file = [&](const char* name) { return test::ReadFileBytes(folder + name); };
  EXPECT_EQ(ExplodeCollect(file("badmode_2_pcm_speech_u8_11k_20000_m0_d6.imp")),
            (ExplodeOutcome{BadLiteralMode, {}}));
  EXPECT_EQ(ExplodeCollect(file("trunc_half_text_en_lf_16000_m1_d6.imp")),
            (ExplodeOutcome{InputExhausted, file("trunc_half_text_en_lf_16000_m1_d6.prefix")}));
  EXPECT_EQ(ExplodeCollect(file("dist_pos5_dist6_m0_d4.imp")),
            (ExplodeOutcome{DistanceTooFar, file("dist_pos5_dist6_m0_d4.raw")}));
}

TEST(ExplodeDynamite, IndependentDecoderAgreesOnModeZeroStreams) {
  int compared = 0;
  for (const auto& v : test::LoadImplodeVectors()) {
    if (v.literal_mode != 0) continue;
    EXPECT_EQ(test::DynamiteExplode(v.stream), v.raw) << v.name;
    ++compared;
  }
  EXPECT_GE(compared, 4);
  std::mt19937 rng(5);
  for (int i = 0; i < 200; ++i) {
    const auto random = MakeRandomStream(rng, 0, 4 + i % 3, 1 + static_cast<int>(rng() % 400));
    ASSERT_EQ(ExplodeCollect(random.stream), (ExplodeOutcome{Done, random.expected})) << i;
    ASSERT_EQ(test::DynamiteExplode(random.stream), random.expected) << i;
  }
}

TEST(ExplodeReference, TableDecoderMatchesBitwiseReaderOnDamagedStreams) {
  std::mt19937 rng(7);
  for (int i = 0; i < 3000; ++i) {
    Bytes stream;
    if (i % 3 == 0) {
      // Noise behind a valid header: mostly ends in a far copy or the input running out.
      stream = {static_cast<std::uint8_t>(rng() % 2), static_cast<std::uint8_t>(4 + rng() % 3)};
      for (std::size_t n = rng() % 200; n > 0; --n)
        stream.push_back(static_cast<std::uint8_t>(rng()));
    } else {
      stream = MakeRandomStream(rng, static_cast<int>(rng() % 2), 4 + static_cast<int>(rng() % 3), 60).stream;
      for (int flips = 1 + static_cast<int>(rng() % 3); flips > 0; --flips) {
        stream[2 + rng() % (stream.size() - 2)] ^= static_cast<std::uint8_t>(1u << (rng() % 8));
      }
      if (i % 2 == 0) stream.resize(2 + rng() % (stream.size() - 1));
    }
    ASSERT_EQ(ExplodeCollect(stream, 1 + rng() % 16), ReferenceExplode(stream)) << "case " << i;
  }
}

} // namespace
} // namespace kv
