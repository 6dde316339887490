// The encoder, checked by decoding its output with our decoder and (mode 0) with libdynamite, and
// against the streams of an independent encoder.
#include "core/explode.h"
#include "core/implode.h"
#include "core/implode_detail.h"
#include "support/reference.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace kv {
namespace {

using Bytes = std::vector<std::uint8_t>;
using implode_detail::Token;

enum class Kind { Text, Audio, Random, Runs };

Bytes MakeInput(Kind kind, std::size_t size) {
  std::mt19937 rng(static_cast<unsigned>(size) * 7 + static_cast<unsigned>(kind));
  const char* const words[] = {"the", "ball", "keeper", "scores", "a", "goal", "what", "save", "penalty"};
  Bytes data;
  while (data.size() < size) {
    const std::size_t i = data.size();
    switch (kind) {
    case Kind::Text:
      for (const char* c = words[rng() % 9]; *c != 0; ++c)
        data.push_back(static_cast<std::uint8_t>(*c));
      data.push_back(rng() % 9 == 0 ? '\n' : ' ');
      break;
    case Kind::Audio: // two tones and noise around the 8-bit midpoint
      data.push_back(static_cast<std::uint8_t>(128 + 60 * std::sin(i * 0.031) + 25 * std::sin(i * 0.23) +
                                               static_cast<int>(rng() % 9) - 4));
      break;
    case Kind::Random: data.push_back(static_cast<std::uint8_t>(rng())); break;
    case Kind::Runs: data.insert(data.end(), 1 + rng() % 700, static_cast<std::uint8_t>(rng() % 3)); break;
    }
  }
  data.resize(size);
  return data;
}

// Rebuilds the input from a parse, failing on a copy that the format cannot carry or that reaches
// before the start.
Bytes Apply(const std::vector<Token>& tokens, int dictionary_bits) {
  Bytes out;
  for (const Token& t : tokens) {
    if (t.length == 0) {
      out.push_back(static_cast<std::uint8_t>(t.value));
      continue;
    }
    const int reach = t.length == 2 ? implode_detail::kMaxPairDistance : 64 << dictionary_bits;
    EXPECT_TRUE(t.length >= 2 && t.length <= 518) << t.length;
    EXPECT_TRUE(t.value >= 1 && t.value <= reach && t.value <= out.size()) << t.length << "@" << t.value;
    if (t.value == 0 || t.value > out.size()) return out;
    for (int i = 0; i < t.length; ++i)
      out.push_back(out[out.size() - t.value]);
  }
  return out;
}

void ExpectDecodesTo(const Bytes& stream, const Bytes& expected, LiteralMode mode) {
  const test::ExplodeOutcome ours = test::ExplodeCollect(stream);
  EXPECT_EQ(ours.result, Done);
  EXPECT_TRUE(ours.output == expected) << "our decoder disagrees";
  if (mode == LiteralMode::Binary)
    EXPECT_TRUE(test::DynamiteExplode(stream) == expected) << "libdynamite disagrees";
}

// With three bytes or fewer there is nothing to copy, so any encoder must give the same stream: this
// pins the literal code and the bit order without relying on our own decoder.
TEST(Implode, AbabAndLiteralOnlyStreamsMatchTheIndependentEncoderByteForByte) {
  EXPECT_EQ(ImplodeBlock(Bytes{'A', 'B', 'A', 'B'}),
            (Bytes{4, 0, 0, 0, 0, 6, 0x82, 0x08, 0xed, 0x05, 0xfc, 0x03}));
  int checked = 0;
  for (const test::ImplodeVector& v : test::LoadImplodeVectors()) {
    if (v.raw.size() > 3) continue;
    SCOPED_TRACE(v.name);
    EXPECT_EQ(ImplodeStream(v.raw, {static_cast<LiteralMode>(v.literal_mode), v.dictionary_bits}), v.stream);
    ++checked;
  }
  EXPECT_GE(checked, 5);
}

TEST(Implode, SharedInputsRoundTripNoLargerThanTheIndependentEncoderMakes) {
  for (const test::ImplodeVector& v : test::LoadImplodeVectors()) {
    SCOPED_TRACE(v.name);
    const ImplodeOptions options{static_cast<LiteralMode>(v.literal_mode), v.dictionary_bits};
    const Bytes stream = ImplodeStream(v.raw, options);
    ExpectDecodesTo(stream, v.raw, options.literals);
    EXPECT_LE(stream.size(), v.stream.size() + v.stream.size() / 50 + 2);
  }
}

TEST(Implode, BadDictionarySizesAreRefused) {
  EXPECT_THROW(ImplodeStream(Bytes(9), {LiteralMode::Binary, 3}), std::invalid_argument);
  EXPECT_THROW(ImplodeStream(Bytes(9), {LiteralMode::Binary, 7}), std::invalid_argument);
}

// Every mode, dictionary and kind of data at every size around the window, through ExplodeData (which
// also checks the declared size) and libdynamite; the parse stays within the format's limits.
TEST(Implode, EverySizeAroundTheWindowDecodesBackInEveryModeAndDictionary) {
  for (const LiteralMode mode : {LiteralMode::Binary, LiteralMode::Text}) {
    for (const int bits : {4, 5, 6}) {
      for (const Kind kind : {Kind::Text, Kind::Audio, Kind::Random, Kind::Runs}) {
        for (const std::size_t size : {0u, 1u, 2u, 3u, 4095u, 4096u, 4097u, 8192u, 65535u}) {
          SCOPED_TRACE(testing::Message() << "mode " << int(mode) << " bits " << bits << " kind " << int(kind)
                                          << " size " << size);
          const Bytes data = MakeInput(kind, size);
          const Bytes block = ImplodeBlock(data, {mode, bits});
          Bytes out(size + 1, 0xEE);
          ASSERT_EQ(ExplodeData(block.data(), static_cast<std::uint32_t>(block.size()), out.data(),
                                static_cast<std::uint32_t>(out.size())),
                    static_cast<std::int32_t>(size));
          out.pop_back();
          EXPECT_TRUE(out == data);
          if (mode == LiteralMode::Binary)
            EXPECT_EQ(test::DynamiteExplode({block.begin() + 4, block.end()}), data);
          EXPECT_EQ(Apply(implode_detail::Parse(data, {mode, bits}), bits), data);
        }
      }
    }
  }
}

// Written copies of every length 2..518 and every distance a window allows decode as meant, in our
// decoder and (mode 0) in libdynamite: catches a wrong length base, extra-bit count, distance split
// or code table entry.
TEST(Implode, EveryLengthAndEveryDistanceIsWrittenSoBothDecodersAgree) {
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
      ExpectDecodesTo(implode_detail::Emit(tokens, {mode, bits}), Apply(tokens, bits), mode);
    }
  }
}

// The parse must find copies at both ends of the ranges, not merely be valid.
TEST(Implode, ParseFindsTheLongestLengthTheFarthestDistanceAndThePairLimit) {
  const auto copies = [](const Bytes& data, ImplodeOptions options) {
    std::vector<Token> found;
    for (const Token& t : implode_detail::Parse(data, options))
      if (t.length != 0) found.push_back(t);
    return found;
  };
  for (const int bits : {4, 5, 6}) { // a random window repeated: a copy from exactly the window size back
    const int window = 64 << bits;
    Bytes data = MakeInput(Kind::Random, window);
    data.insert(data.end(), data.begin(), data.begin() + 300);
    const std::vector<Token> found = copies(data, {LiteralMode::Binary, bits});
    EXPECT_NE(std::find(found.begin(), found.end(), Token{300, static_cast<std::uint16_t>(window)}),
              found.end());
  }
  const std::vector<Token> run = copies(Bytes(65535, 0), {});
  ASSERT_FALSE(run.empty());
  EXPECT_EQ(run.front(), (Token{518, 1}));
  Bytes pair(256); // a byte pair 256 back is copied, 257 back it is not
  for (int i = 0; i < 256; ++i)
    pair[i] = static_cast<std::uint8_t>(i);
  Bytes at257 = pair;
  pair.insert(pair.end(), {0, 1});
  at257.insert(at257.end(), {200, 0, 1});
  EXPECT_EQ(copies(pair, {}), (std::vector<Token>{{2, 256}}));
  EXPECT_TRUE(copies(at257, {}).empty());
}

} // namespace
} // namespace kv
