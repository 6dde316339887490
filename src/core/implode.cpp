// Format notes (what explode.cpp reads back):
//
//   byte 0   literal mode: 0 = a literal is 8 plain bits, 1 = a literal is
//            coded with the literal code
//   byte 1   dictionary bits D = 4, 5 or 6 (a window of 64 << D bytes)
//   then     a bit stream, filled from bit 0 of each byte up. A plain field
//            of n bits goes out least significant bit first. A prefix code
//            goes out most significant bit first with every bit inverted, so
//            each code below is stored pre-reversed and pre-inverted and can
//            be written as a plain field.
//
//   item     flag 0, literal
//            flag 1, length symbol, its extra bits, distance symbol, then b
//            plain bits: distance - 1 = (symbol << b) | bits, where b = 2 for
//            a copy of length 2 and D otherwise. So a copy of length 2 reaches
//            back at most 64 << 2 = 256 bytes, any other 64 << D.
//   end      a copy whose length comes out as 519 (length symbol 15, extra
//            255); the last byte is padded with zero bits.
//
// The three codes are fixed canonical codes given by their code lengths in
// compact form (high nibble: repeat count - 1, low nibble: length). Within a
// length, codes go to symbols in increasing order; the shortest length starts
// at code 0.

#include "core/implode.h"
#include "core/implode_detail.h"

#include <algorithm>
#include <array>

#include "core/implode_tables.h"
#include <bit>
#include <cstddef>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <utility>

namespace kv {
namespace {

using namespace implode_tables;

using implode_detail::kMaxCopy;
using implode_detail::kMaxPairDistance;
using implode_detail::kMinCopy;
using implode_detail::Token;

// ------------------------------------------------------------ fixed codes

// A code as it is written: `bits` already reversed and inverted.
struct Code {
  std::uint16_t bits = 0;
  std::uint8_t length = 0;
};

template <std::size_t N> constexpr std::size_t ExpandedSize(const std::array<std::uint8_t, N>& compact) {
  std::size_t size = 0;
  for (std::uint8_t byte : compact)
    size += (byte >> 4) + 1u;
  return size;
}

// True when the lengths use up the code space exactly, as the decoder
// expects: every 13-bit pattern then reaches a symbol.
template <std::size_t N> constexpr bool IsComplete(const std::array<std::uint8_t, N>& compact) {
  std::int32_t space = 0;
  for (std::uint8_t byte : compact) {
    const int length = byte & 15;
    if (length == 0 || length > kMaxCodeLength) return false;
    space += ((byte >> 4) + 1) << (kMaxCodeLength - length);
  }
  return space == (1 << kMaxCodeLength);
}

template <std::size_t Symbols, std::size_t N>
constexpr std::array<Code, Symbols> BuildCode(const std::array<std::uint8_t, N>& compact) {
  std::array<std::uint8_t, Symbols> lengths{};
  std::size_t symbol = 0;
  for (std::uint8_t byte : compact) {
    for (int repeat = (byte >> 4) + 1; repeat > 0; --repeat)
      lengths[symbol++] = byte & 15;
  }
  std::array<int, kMaxCodeLength + 1> count{};
  for (std::uint8_t length : lengths)
    ++count[length];
  std::array<int, kMaxCodeLength + 1> next{};
  for (int length = 1, first = 0; length <= kMaxCodeLength; ++length) {
    next[length] = first;
    first = (first + count[length]) << 1;
  }
  std::array<Code, Symbols> codes{};
  for (std::size_t s = 0; s < Symbols; ++s) {
    const int length = lengths[s];
    const unsigned code = static_cast<unsigned>(next[length]++);
    unsigned written = 0;
    for (int bit = 0; bit < length; ++bit)
      written |= ((~code >> (length - 1 - bit)) & 1u) << bit;
    codes[s] = {static_cast<std::uint16_t>(written), static_cast<std::uint8_t>(length)};
  }
  return codes;
}

static_assert(ExpandedSize(kLiteralCompact) == 256 && IsComplete(kLiteralCompact));
static_assert(ExpandedSize(kLengthCompact) == 16 && IsComplete(kLengthCompact));
static_assert(ExpandedSize(kDistanceCompact) == 64 && IsComplete(kDistanceCompact));

constexpr auto kLiteralCode = BuildCode<256>(kLiteralCompact);
constexpr auto kLengthCode = BuildCode<16>(kLengthCompact);
constexpr auto kDistanceCode = BuildCode<64>(kDistanceCompact);

static_assert(kLiteralCode[' '].length == 4 && kLiteralCode[0].length == 11);
// The first code of the shortest length is all ones once inverted.
static_assert(kLengthCode[0].bits == 0b11 && kDistanceCode[0].bits == 0b11);

constexpr std::array<std::uint8_t, kEndLength + 1> kLengthSymbol = [] {
  std::array<std::uint8_t, kEndLength + 1> symbols{};
  for (int s = 0; s < 16; ++s) {
    for (int length = kLengthBase[s]; length < kLengthBase[s] + (1 << kLengthExtra[s]); ++length) {
      symbols[length] = static_cast<std::uint8_t>(s);
    }
  }
  return symbols;
}();
static_assert(kLengthSymbol[2] == 1 && kLengthSymbol[3] == 0 && kLengthSymbol[kEndLength] == 15);

// --------------------------------------------------------------- bit costs

int LiteralCost(bool text, std::uint8_t byte) {
  return 1 + (text ? kLiteralCode[byte].length : 8);
}

int CopyCost(int length, int distance, int dictionary_bits) {
  const int symbol = kLengthSymbol[length];
  const int low_bits = length == 2 ? 2 : dictionary_bits;
  return 1 + kLengthCode[symbol].length + kLengthExtra[symbol] +
         kDistanceCode[(distance - 1) >> low_bits].length + low_bits;
}

// A copy costs at most 30 bits and a literal at least 5, so from this length
// on a copy always wins.
constexpr int kAlwaysCheaper = 7;

// ----------------------------------------------------------------- matcher

// How far the parse looks: chains are cut after kMaxChain candidates, and a
// match of kLazyLength or more is taken without trying the next position.
constexpr int kMaxChain = 48;
constexpr int kLazyLength = 32;

constexpr int kHashBits = 13;
// Twice the largest window, so that a candidate still in the window never has
// its chain link overwritten.
constexpr std::size_t kChainSize = 2 * 4096;

struct Match {
  int length = 0;
  int distance = 0;
};

// Hash chains over 3-byte prefixes for copies of 3 and more, and the last
// position of every byte pair for copies of 2. The tables keep positions plus
// one in 16 bits (0: none), so a distance read from them is only right modulo
// 65536; every candidate is checked against the bytes, so an entry that has
// wrapped around costs a probe, never a wrong copy. A chain link that does not
// lead further back ends the walk.
class Matcher {
public:
  Matcher(std::span<const std::uint8_t> data, ImplodeOptions options)
      : data_(data), window_(std::size_t{64} << options.dictionary_bits),
        dictionary_bits_(options.dictionary_bits), text_(options.literals == LiteralMode::Text),
        head_(std::size_t{1} << kHashBits), chain_(kChainSize), last_pair_(std::size_t{1} << 16),
        run_before_(kChainSize) {}

  // The copy to take at `pos`, or length 0 for a literal.
  Match Find(std::size_t pos) {
    InsertBefore(pos);
    const int max_length = static_cast<int>(std::min<std::size_t>(kMaxCopy, data_.size() - pos));
    if (max_length < kMinCopy) return {};
    Match best;
    if (max_length >= 3) best = LongestFromChain(pos, max_length);
    if (best.length < 3) {
      const std::size_t distance = DistanceTo(pos, last_pair_[Pair(pos)]);
      if (Usable(distance, std::min<std::size_t>(pos, kMaxPairDistance)) &&
          data_[pos - distance] == data_[pos] && data_[pos - distance + 1] == data_[pos + 1]) {
        best = {2, static_cast<int>(distance)};
      }
    }
    if (best.length > 0 && best.length < kAlwaysCheaper) {
      int literals = 0;
      for (int i = 0; i < best.length; ++i)
        literals += LiteralCost(text_, data_[pos + i]);
      if (CopyCost(best.length, best.distance, dictionary_bits_) >= literals) return {};
    }
    return best;
  }

private:
  static std::uint16_t Stamp(std::size_t pos) { return static_cast<std::uint16_t>(pos + 1); }
  // How far back the entry `stamp` lies from `pos`, modulo 65536. An empty
  // entry comes out as pos + 1 until pos wraps, so it fails the window test.
  static std::size_t DistanceTo(std::size_t pos, std::uint16_t stamp) {
    return static_cast<std::uint16_t>(Stamp(pos) - stamp);
  }
  // The distances from 1 to `limit` are usable.
  static bool Usable(std::size_t distance, std::size_t limit) { return distance - 1 < limit; }

  std::size_t Hash(std::size_t pos) const {
    const std::uint32_t key = data_[pos] | data_[pos + 1] << 8 | data_[pos + 2] << 16;
    return (key * 2654435761u) >> (32 - kHashBits);
  }
  std::size_t Pair(std::size_t pos) const { return data_[pos] | data_[pos + 1] << 8; }

  void InsertBefore(std::size_t pos) {
    const std::size_t size = data_.size();
    for (; inserted_ < pos; ++inserted_) {
      const bool repeats = inserted_ > 0 && data_[inserted_] == data_[inserted_ - 1];
      const std::uint16_t before = run_before_[(inserted_ + kChainSize - 1) % kChainSize];
      run_before_[inserted_ % kChainSize] =
          repeats ? static_cast<std::uint16_t>(std::min(before + 1, 0xFFFF)) : 0;
      if (inserted_ + 3 <= size) {
        std::uint16_t& head = head_[Hash(inserted_)];
        chain_[inserted_ % kChainSize] = head;
        head = Stamp(inserted_);
      }
      if (inserted_ + 2 <= size) last_pair_[Pair(inserted_)] = Stamp(inserted_);
    }
  }

  int MatchLength(std::size_t from, std::size_t pos, int max_length) const {
    const std::uint8_t* a = data_.data() + from;
    const std::uint8_t* b = data_.data() + pos;
    int length = 0;
    while (length + 8 <= max_length) {
      std::uint64_t x = 0;
      std::uint64_t y = 0;
      std::memcpy(&x, a + length, 8);
      std::memcpy(&y, b + length, 8);
      if (x != y) {
        if constexpr (std::endian::native == std::endian::little) {
          return length + std::countr_zero(x ^ y) / 8;
        } else {
          return length + std::countl_zero(x ^ y) / 8;
        }
      }
      length += 8;
    }
    while (length < max_length && a[length] == b[length])
      ++length;
    return length;
  }

  // The nearest of the longest matches on the chain; candidates come nearest
  // first, so a later one must be strictly longer to win.
  Match LongestFromChain(std::size_t pos, int max_length) const {
    Match best{2, 0};
    // True when nothing longer can be found.
    const auto consider = [&](std::size_t from) {
      if (data_[from + best.length] != data_[pos + best.length]) return false;
      const int length = MatchLength(from, pos, max_length);
      if (length > best.length) best = {length, static_cast<int>(pos - from)};
      return best.length >= max_length;
    };
    const std::uint8_t repeated = data_[pos];
    std::size_t run = 0;
    while (run < static_cast<std::size_t>(max_length) && data_[pos + run] == repeated)
      ++run;

    const std::size_t limit = std::min(pos, window_);
    const std::size_t lowest = pos - limit;
    std::size_t distance = DistanceTo(pos, head_[Hash(pos)]);
    for (int depth = kMaxChain; depth > 0 && Usable(distance, limit); --depth) {
      std::size_t from = pos - distance;
      if (run >= 3 && data_[from] == repeated && data_[from + 1] == repeated && data_[from + 2] == repeated) {
        // Every position of an earlier run of the same byte is on the chain,
        // and all of them match alike up to the end of the shorter run. Try
        // only the one whose run ends where ours does, then skip the rest of
        // that run, so that runs do not use up the chain's depth.
        const std::size_t start = from - std::min<std::size_t>(run_before_[from % kChainSize], from - lowest);
        std::size_t end = from + 3;
        while (end < pos + run && data_[end] == repeated)
          ++end;
        const std::size_t aligned = end - start >= run ? end - run : start;
        if (consider(std::min(aligned, pos - 1))) break;
        from = start;
        distance = pos - start;
      } else if (consider(from)) {
        break;
      }
      const std::size_t next = DistanceTo(pos, chain_[from % kChainSize]);
      if (next <= distance) break;
      distance = next;
    }
    return best.distance == 0 ? Match{} : best;
  }

  std::span<const std::uint8_t> data_;
  std::size_t window_;
  int dictionary_bits_;
  bool text_;
  std::size_t inserted_ = 0;
  std::vector<std::uint16_t> head_;
  std::vector<std::uint16_t> chain_;
  std::vector<std::uint16_t> last_pair_;
  // How many bytes before each position repeat its byte, up to 65535.
  std::vector<std::uint16_t> run_before_;
};

// -------------------------------------------------------------- bit writer

class BitWriter {
public:
  explicit BitWriter(std::vector<std::uint8_t>& out) : out_(out) {}

  // Up to 16 bits, least significant first.
  void Put(unsigned value, int count) {
    buffer_ |= std::uint64_t{value} << filled_;
    filled_ += count;
    if (filled_ >= 32) {
      for (int i = 0; i < 4; ++i)
        out_.push_back(static_cast<std::uint8_t>(buffer_ >> (8 * i)));
      buffer_ >>= 32;
      filled_ -= 32;
    }
  }
  void Put(Code code) { Put(code.bits, code.length); }

  // Writes out what is left, the last byte padded with zero bits.
  void Finish() {
    for (; filled_ > 0; filled_ -= 8) {
      out_.push_back(static_cast<std::uint8_t>(buffer_));
      buffer_ >>= 8;
    }
    filled_ = 0;
  }

private:
  std::vector<std::uint8_t>& out_;
  std::uint64_t buffer_ = 0;
  int filled_ = 0;
};

// Codes items as they come: the header bytes first, the end code last.
class StreamWriter {
public:
  StreamWriter(ImplodeOptions options, std::size_t expected_size)
      : text_(options.literals == LiteralMode::Text), dictionary_bits_(options.dictionary_bits),
        writer_(out_) {
    // A literal takes at most 14 bits; allow for a stream that hardly shrinks.
    out_.reserve(expected_size + expected_size / 2 + 8);
    out_.push_back(text_ ? 1 : 0);
    out_.push_back(static_cast<std::uint8_t>(dictionary_bits_));
  }

  void Literal(std::uint8_t byte) {
    writer_.Put(0, 1);
    if (text_) {
      writer_.Put(kLiteralCode[byte]);
    } else {
      writer_.Put(byte, 8);
    }
  }

  void Copy(int length, int distance) {
    const int symbol = kLengthSymbol[length];
    writer_.Put(1, 1);
    writer_.Put(kLengthCode[symbol]);
    writer_.Put(length - kLengthBase[symbol], kLengthExtra[symbol]);
    const int low_bits = length == 2 ? 2 : dictionary_bits_;
    const unsigned back = static_cast<unsigned>(distance - 1);
    writer_.Put(kDistanceCode[back >> low_bits]);
    writer_.Put(back & ((1u << low_bits) - 1), low_bits);
  }

  std::vector<std::uint8_t> Finish() && {
    writer_.Put(1, 1);
    writer_.Put(kLengthCode[15]);
    writer_.Put(kEndLength - kLengthBase[15], kLengthExtra[15]);
    writer_.Finish();
    return std::move(out_);
  }

private:
  bool text_;
  int dictionary_bits_;
  std::vector<std::uint8_t> out_;
  BitWriter writer_;
};

void CheckOptions(ImplodeOptions options) {
  if (options.dictionary_bits < 4 || options.dictionary_bits > 6) {
    throw std::invalid_argument("implode: dictionary bits must be 4, 5 or 6");
  }
}

// Greedy parse with one step of lazy evaluation; hands each item to `sink`
// (Literal(byte), Copy(length, distance)) in stream order.
template <typename Sink>
void ParseInto(std::span<const std::uint8_t> data, ImplodeOptions options, Sink& sink) {
  Matcher matcher(data, options);
  std::size_t pos = 0;
  Match current = data.empty() ? Match{} : matcher.Find(0);
  while (pos < data.size()) {
    if (current.length == 0) {
      sink.Literal(data[pos++]);
      if (pos < data.size()) current = matcher.Find(pos);
      continue;
    }
    // A longer copy one byte on is worth a literal first.
    if (current.length < kLazyLength && pos + 1 < data.size()) {
      const Match next = matcher.Find(pos + 1);
      if (next.length > current.length) {
        sink.Literal(data[pos++]);
        current = next;
        continue;
      }
    }
    sink.Copy(current.length, current.distance);
    pos += static_cast<std::size_t>(current.length);
    current = pos < data.size() ? matcher.Find(pos) : Match{};
  }
}

struct TokenSink {
  std::vector<Token> tokens;
  void Literal(std::uint8_t byte) { tokens.push_back({0, byte}); }
  void Copy(int length, int distance) {
    tokens.push_back({static_cast<std::uint16_t>(length), static_cast<std::uint16_t>(distance)});
  }
};

} // namespace

namespace implode_detail {

std::vector<Token> Parse(std::span<const std::uint8_t> data, ImplodeOptions options) {
  CheckOptions(options);
  TokenSink sink;
  ParseInto(data, options, sink);
  return std::move(sink.tokens);
}

std::vector<std::uint8_t> Emit(std::span<const Token> tokens, ImplodeOptions options) {
  CheckOptions(options);
  StreamWriter writer(options, tokens.size());
  for (const Token& token : tokens) {
    if (token.length == 0) {
      writer.Literal(static_cast<std::uint8_t>(token.value));
    } else {
      writer.Copy(token.length, token.value);
    }
  }
  return std::move(writer).Finish();
}

} // namespace implode_detail

std::vector<std::uint8_t> ImplodeStream(std::span<const std::uint8_t> data, ImplodeOptions options) {
  CheckOptions(options);
  StreamWriter writer(options, data.size());
  ParseInto(data, options, writer);
  return std::move(writer).Finish();
}

std::vector<std::uint8_t> ImplodeBlock(std::span<const std::uint8_t> data, ImplodeOptions options) {
  if (data.size() > std::numeric_limits<std::uint32_t>::max()) {
    throw std::length_error("implode: a block holds at most 2^32 - 1 bytes");
  }
  const std::vector<std::uint8_t> stream = ImplodeStream(data, options);
  std::vector<std::uint8_t> block;
  block.reserve(stream.size() + 4);
  const auto size = static_cast<std::uint32_t>(data.size());
  for (int i = 0; i < 4; ++i)
    block.push_back(static_cast<std::uint8_t>(size >> (8 * i)));
  block.insert(block.end(), stream.begin(), stream.end());
  return block;
}

} // namespace kv
