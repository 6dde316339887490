#include "core/explode.h"
#include "core/implode.h"
#include "core/implode_detail.h"
#include "support/reference.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <stdexcept>
#include <string>
#include <tuple>
#include <vector>

namespace kv {
namespace {

using Bytes = std::vector<std::uint8_t>;
using implode_detail::Token;

// ------------------------------------------------------------ test inputs

enum class Kind { Text, Audio, Random, Runs, Image };

Bytes MakeInput(Kind kind, std::size_t size) {
  std::mt19937 rng(static_cast<unsigned>(size) * 7 + static_cast<unsigned>(kind));
  Bytes data;
  data.reserve(size + 16);
  const char* const words[] = {"the",  "ball",    "keeper",  "scores", "a",    "goal", "what", "save",
                               "from", "penalty", "referee", "crowd",  "into", "net",  "wide"};
  while (data.size() < size) {
    const std::size_t i = data.size();
    switch (kind) {
    case Kind::Text:
      for (const char* c = words[rng() % 15]; *c != 0; ++c)
        data.push_back(static_cast<std::uint8_t>(*c));
      data.push_back(rng() % 9 == 0 ? '\n' : ' ');
      break;
    case Kind::Audio: // two tones and noise around the 8-bit midpoint
      data.push_back(static_cast<std::uint8_t>(128 + 60 * std::sin(i * 0.031) + 25 * std::sin(i * 0.23) +
                                               static_cast<int>(rng() % 9) - 4));
      break;
    case Kind::Random: data.push_back(static_cast<std::uint8_t>(rng())); break;
    case Kind::Runs: data.insert(data.end(), 1 + rng() % 700, static_cast<std::uint8_t>(rng() % 3)); break;
    case Kind::Image: // rows of 80 pixels: bands of colour with a few stray dots
      data.push_back(rng() % 50 == 0 ? static_cast<std::uint8_t>(rng())
                                     : static_cast<std::uint8_t>((i % 80) / 9));
      break;
    }
  }
  data.resize(size);
  return data;
}

// Rebuilds the input from a parse, failing on a copy that the format cannot
// carry or that reaches before the start.
Bytes Apply(const std::vector<Token>& tokens, int dictionary_bits) {
  Bytes out;
  for (const Token& t : tokens) {
    if (t.length == 0) {
      out.push_back(static_cast<std::uint8_t>(t.value));
      continue;
    }
    const int reach = t.length == 2 ? implode_detail::kMaxPairDistance : 64 << dictionary_bits;
    EXPECT_TRUE(t.length >= 2 && t.length <= 518) << t.length;
    const std::size_t distance = t.value;
    EXPECT_TRUE(distance >= 1 && t.value <= reach && distance <= out.size()) << t.length << "@" << t.value;
    if (distance == 0 || distance > out.size()) return out;
    for (int i = 0; i < t.length; ++i)
      out.push_back(out[out.size() - distance]);
  }
  return out;
}

void ExpectDecodesTo(const Bytes& stream, const Bytes& expected, LiteralMode mode) {
  const test::ExplodeOutcome ours = test::ExplodeCollect(stream);
  EXPECT_EQ(ours.result, Done);
  EXPECT_TRUE(ours.output == expected) << "our decoder disagrees";
  if (mode == LiteralMode::Binary) {
    const auto referee = test::DynamiteExplode(stream);
    ASSERT_TRUE(referee.has_value());
    EXPECT_TRUE(*referee == expected) << "libdynamite disagrees";
  }
}

// -------------------------------------------------- exact output and limits

TEST(ImplodeGolden, TwoLiteralsAndAPairCopyGiveTheKnownBlock) {
  const Bytes abab = {'A', 'B', 'A', 'B'};
  EXPECT_EQ(ImplodeBlock(abab), (Bytes{4, 0, 0, 0, 0, 6, 0x82, 0x08, 0xed, 0x05, 0xfc, 0x03}));
}

// With three bytes or fewer there is nothing to copy, so any encoder must
// give the same stream: this pins the literal code and the bit order without
// relying on our own decoder.
TEST(ImplodeGolden, LiteralOnlyStreamsMatchTheIndependentEncoderByteForByte) {
  int checked = 0;
  for (const test::ImplodeVector& v : test::LoadImplodeVectors()) {
    if (v.raw.size() > 3) continue;
    SCOPED_TRACE(v.name);
    const ImplodeOptions options{static_cast<LiteralMode>(v.literal_mode), v.dictionary_bits};
    EXPECT_EQ(ImplodeStream(v.raw, options), v.stream);
    ++checked;
  }
  EXPECT_GE(checked, 5);
}

TEST(ImplodeGolden, SharedInputsRoundTripNoLargerThanTheIndependentEncoderMakes) {
  for (const test::ImplodeVector& v : test::LoadImplodeVectors()) {
    SCOPED_TRACE(v.name);
    const ImplodeOptions options{static_cast<LiteralMode>(v.literal_mode), v.dictionary_bits};
    const Bytes stream = ImplodeStream(v.raw, options);
    ExpectDecodesTo(stream, v.raw, options.literals);
    EXPECT_LE(stream.size(), v.stream.size() + v.stream.size() / 50 + 2);
  }
}

TEST(ImplodeGolden, BlockPrefixesTheLittleEndianSizeAndRefusesBadDictionaries) {
  const Bytes data = MakeInput(Kind::Text, 0x1234);
  const Bytes block = ImplodeBlock(data, {LiteralMode::Text, 5});
  const Bytes stream = ImplodeStream(data, {LiteralMode::Text, 5});
  ASSERT_EQ(block.size(), stream.size() + 4);
  EXPECT_EQ(Bytes(block.begin(), block.begin() + 6), (Bytes{0x34, 0x12, 0, 0, 1, 5}));
  EXPECT_TRUE(std::equal(stream.begin(), stream.end(), block.begin() + 4));
  EXPECT_THROW(ImplodeStream(data, {LiteralMode::Binary, 3}), std::invalid_argument);
  EXPECT_THROW(ImplodeStream(data, {LiteralMode::Binary, 7}), std::invalid_argument);
}

// ------------------------------------------------------------- round trips

class ImplodeRoundTrip : public testing::TestWithParam<std::tuple<LiteralMode, int, Kind>> {};

TEST_P(ImplodeRoundTrip, EverySizeAroundTheWindowDecodesBackAndParsesWithinLimits) {
  const auto [mode, bits, kind] = GetParam();
  for (const std::size_t size : {0u, 1u, 2u, 3u, 4095u, 4096u, 4097u, 8192u, 65535u}) {
    SCOPED_TRACE(size);
    const Bytes data = MakeInput(kind, size);
    const Bytes block = ImplodeBlock(data, {mode, bits});
    Bytes out(size + 1, 0xEE);
    ASSERT_EQ(ExplodeData(block.data(), static_cast<std::uint32_t>(block.size()), out.data(),
                          static_cast<std::uint32_t>(out.size())),
              static_cast<std::int32_t>(size));
    out.pop_back();
    EXPECT_TRUE(out == data);
    if (mode == LiteralMode::Binary) {
      EXPECT_EQ(test::DynamiteExplode({block.begin() + 4, block.end()}), data);
    }
    EXPECT_EQ(Apply(implode_detail::Parse(data, {mode, bits}), bits), data);
  }
}

std::string ParamName(const testing::TestParamInfo<ImplodeRoundTrip::ParamType>& info) {
  const auto [mode, bits, kind] = info.param;
  const char* const kinds[] = {"Text", "Audio", "Random", "Runs", "Image"};
  return std::string(mode == LiteralMode::Text ? "Text" : "Binary") + "Literals_Dict" + std::to_string(bits) +
         "_" + kinds[static_cast<int>(kind)];
}

// Prefixed "Implode" so that one filter, Implode*, selects all of this file.
INSTANTIATE_TEST_SUITE_P(
    Implode, ImplodeRoundTrip,
    testing::Combine(testing::Values(LiteralMode::Binary, LiteralMode::Text), testing::Values(4, 5, 6),
                     testing::Values(Kind::Text, Kind::Audio, Kind::Random, Kind::Runs, Kind::Image)),
    ParamName);

// ------------------------------------------- every length and every distance

// Written copies of every length 2..518 and every distance a window allows
// decode as meant, in our decoder and (mode 0) in libdynamite: catches a
// wrong length base, extra-bit count, distance split or code table entry.
TEST(ImplodeCoverage, EveryLengthAndEveryDistanceIsWrittenSoBothDecodersAgree) {
  for (const LiteralMode mode : {LiteralMode::Binary, LiteralMode::Text}) {
    for (const int bits : {4, 5, 6}) {
      SCOPED_TRACE(testing::Message() << "mode " << static_cast<int>(mode) << " bits " << bits);
      const int window = 64 << bits;
      std::vector<Token> tokens;
      for (const std::uint8_t byte : MakeInput(Kind::Random, window))
        tokens.push_back({0, byte});
      for (int distance = 1; distance <= window; ++distance)
        tokens.push_back(
            {static_cast<std::uint16_t>(3 + distance % 5), static_cast<std::uint16_t>(distance)});
      for (int distance = 1; distance <= 256; ++distance)
        tokens.push_back({2, static_cast<std::uint16_t>(distance)});
      for (int length = 2; length <= 518; ++length) {
        const int reach = length == 2 ? 256 : window;
        tokens.push_back(
            {static_cast<std::uint16_t>(length), static_cast<std::uint16_t>(1 + length * 37 % reach)});
        tokens.push_back({0, static_cast<std::uint16_t>(length & 0xFF)});
      }
      const Bytes expected = Apply(tokens, bits);
      ExpectDecodesTo(implode_detail::Emit(tokens, {mode, bits}), expected, mode);
    }
  }
}

// The parse must find copies at both ends of the ranges, not merely be valid.
TEST(ImplodeParse, FindsTheLongestLengthTheFarthestDistanceAndThePairLimit) {
  const auto copies = [](const Bytes& data, ImplodeOptions options) {
    std::vector<Token> found;
    for (const Token& t : implode_detail::Parse(data, options))
      if (t.length != 0) found.push_back(t);
    return found;
  };
  // A random window repeated: one copy from exactly the window size back.
  for (const int bits : {4, 5, 6}) {
    const int window = 64 << bits;
    Bytes data = MakeInput(Kind::Random, window);
    data.insert(data.end(), data.begin(), data.begin() + 300);
    const std::vector<Token> found = copies(data, {LiteralMode::Binary, bits});
    EXPECT_NE(std::find(found.begin(), found.end(), Token{300, static_cast<std::uint16_t>(window)}),
              found.end());
    // One byte further and the window no longer reaches it.
    Bytes beyond = MakeInput(Kind::Random, window + 1);
    beyond.insert(beyond.end(), beyond.begin(), beyond.begin() + 300);
    EXPECT_EQ(Apply(implode_detail::Parse(beyond, {LiteralMode::Binary, bits}), bits), beyond);
  }
  // A long run: copies of the longest length, and a tiny stream.
  const Bytes zeros(65535, 0);
  const std::vector<Token> run = copies(zeros, {});
  ASSERT_FALSE(run.empty());
  EXPECT_EQ(run.front(), (Token{518, 1}));
  EXPECT_LT(ImplodeStream(zeros).size(), 400u);
  // A byte pair 256 back is copied, 257 back it is not.
  Bytes pair(256);
  for (int i = 0; i < 256; ++i)
    pair[i] = static_cast<std::uint8_t>(i);
  const Bytes near = {pair.begin(), pair.end()};
  Bytes at256 = near;
  at256.insert(at256.end(), {0, 1});
  EXPECT_EQ(copies(at256, {}), (std::vector<Token>{{2, 256}}));
  Bytes at257 = near;
  at257.insert(at257.end(), {200, 0, 1});
  EXPECT_TRUE(copies(at257, {}).empty());
}

// In text mode two spaces cost 10 bits as literals but 14 as a far pair copy;
// in binary mode the same copy beats 18 bits of literals.
TEST(ImplodeParse, ChoosesAPairCopyOnlyWhenItCostsFewerBitsThanTwoLiterals) {
  Bytes data = {' ', ' '};
  for (int i = 0; i < 200; ++i)
    data.push_back(static_cast<std::uint8_t>(33 + i));
  data.insert(data.end(), {' ', ' '});
  const auto pairs = [&](LiteralMode mode) {
    int count = 0;
    for (const Token& t : implode_detail::Parse(data, {mode, 6}))
      count += t.length == 2 && t.value == 202;
    return count;
  };
  EXPECT_EQ(pairs(LiteralMode::Binary), 1);
  EXPECT_EQ(pairs(LiteralMode::Text), 0);
}

} // namespace
} // namespace kv
