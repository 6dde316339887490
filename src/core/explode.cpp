// Format notes: the implode stream.
//
//   byte 0   literal mode: 0 = literals are plain 8-bit values, 1 = literals use the literal code
//   byte 1   dictionary bits D: 4, 5 or 6 (a window of 1024, 2048 or 4096 bytes)
//   byte 2.. the bit stream
//
// Bits are taken from each byte starting with its least significant bit. A field of n plain bits is
// assembled least significant bit first. A prefix code is read most significant bit first, and every
// one of its bits is stored inverted (the first code of the shortest length appears as all ones).
//
// The bit stream is a sequence of items, each opened by one flag bit:
//   0: a literal, either 8 plain bits (mode 0) or one literal-code symbol (mode 1);
//   1: a copy. A length symbol s gives the length kLengthBase[s] + kLengthExtra[s] plain bits. Then a
//      distance symbol d and b plain bits give the distance (d << b) + bits + 1, where b is 2 for a
//      copy of length 2 and D otherwise. The copy takes `length` bytes starting `distance` bytes
//      behind the output position; it may overlap the bytes it writes.
// The stream ends with the end code, a copy whose length works out to 519 (flag 1, length symbol 15,
// extra 255). Bits after it are ignored. An item that runs past the end of the input is not decoded:
// every complete item before it is delivered and the result is InputExhausted.
//
// A copy that reaches back before the first byte of output is DistanceTooFar; that can only happen
// until the output holds 4096 bytes (64 << D bytes is as far as a copy reaches).
//
// ExplodeStream keeps the last 4096 bytes in a window whatever D is. The window goes to the output
// callback each time it fills, and what is left of it once at the end, even after a failure (except an
// output failure). ExplodeData decodes into the caller's buffer instead (see the block decoder below).
//
// The three prefix codes are fixed. They are given in compact form: every byte holds a repeat count
// minus one in its high four bits and a code length in its low four bits, handed out to symbols 0, 1,
// 2, ... in order. Codes are canonical: within the codes of one length, symbols are numbered in
// increasing order, and the first code of each length follows the last of the length before.
//
// The decoder reads several bits per lookup. It gives exactly what a reader taking one bit at a time
// would give, including at the end of the input: a code is looked up on whatever bits are buffered,
// and the bit count is allowed to go below zero; an item whose fields took more bits than there were
// is dropped as incomplete. Because the codes are prefix free, a lookup that claims a code longer than
// the bits left means a bitwise reader would have run out inside that code too.
#include "core/explode.h"

#include <algorithm>
#include <array>

#include "core/implode_tables.h"
#include <bit>
#include <climits>
#include <cstring>
#include <optional>

namespace kv {
namespace {

using namespace implode_tables;

constexpr std::uint32_t kWindowSize = 4096;

template <std::size_t Symbols, std::size_t N>
constexpr std::array<std::uint8_t, Symbols> ExpandLengths(const std::array<std::uint8_t, N>& compact) {
  std::array<std::uint8_t, Symbols> lengths{};
  std::size_t symbol = 0;
  for (const std::uint8_t byte : compact) {
    for (int repeat = (byte >> 4) + 1; repeat > 0; --repeat) {
      if (symbol == Symbols) throw "compact code describes too many symbols";
      lengths[symbol++] = byte & 15;
    }
  }
  if (symbol != Symbols) throw "compact code describes too few symbols";
  return lengths;
}

// True when the lengths fill the code space exactly: every bit pattern starts with some code.
template <std::size_t Symbols> constexpr bool IsComplete(const std::array<std::uint8_t, Symbols>& lengths) {
  std::uint32_t space = 0;
  for (const std::uint8_t length : lengths) {
    if (length != 0) space += 1u << (kMaxCodeLength - length);
  }
  return space == 1u << kMaxCodeLength;
}

// A lookup table indexed by the next Width bits as they come from the stream (first bit lowest).
// Each entry holds the symbol in its low byte and the code length above it.
template <int Width> using CodeTable = std::array<std::uint16_t, std::size_t{1} << Width>;

template <int Width, std::size_t Symbols>
constexpr CodeTable<Width> BuildTable(const std::array<std::uint8_t, Symbols>& lengths) {
  std::array<int, kMaxCodeLength + 1> count{};
  for (const std::uint8_t length : lengths)
    ++count[length];
  // First canonical code of each length.
  std::array<std::uint32_t, kMaxCodeLength + 1> next{};
  std::uint32_t code = 0;
  for (int length = 1; length <= kMaxCodeLength; ++length) {
    next[length] = code;
    code = (code + count[length]) << 1;
  }
  CodeTable<Width> table{};
  for (std::size_t symbol = 0; symbol < Symbols; ++symbol) {
    const int length = lengths[symbol];
    if (length == 0) continue;
    if (length > Width) throw "code longer than its table";
    const std::uint32_t canonical = next[length]++;
    // The code's most significant bit is taken first, inverted.
    std::uint32_t pattern = 0;
    for (int i = 0; i < length; ++i) {
      const std::uint32_t bit = ((canonical >> (length - 1 - i)) & 1) ^ 1;
      pattern |= bit << i;
    }
    for (std::uint32_t index = pattern; index < table.size(); index += 1u << length) {
      if (table[index] != 0) throw "codes overlap";
      table[index] = static_cast<std::uint16_t>(symbol | (length << 8));
    }
  }
  return table;
}

constexpr auto kLiteralLengths = ExpandLengths<256>(kLiteralCompact);
constexpr auto kLengthLengths = ExpandLengths<16>(kLengthCompact);
constexpr auto kDistanceLengths = ExpandLengths<64>(kDistanceCompact);
static_assert(IsComplete(kLiteralLengths) && IsComplete(kLengthLengths) && IsComplete(kDistanceLengths),
              "a code that is not complete could leave a lookup entry empty");
static_assert(kLiteralLengths[32] == 4 && kLiteralLengths[0] == 11);
static_assert(kLengthLengths[0] == 2 && kLengthLengths[15] == 7);
static_assert(kDistanceLengths[0] == 2 && kDistanceLengths[63] == 8);

constexpr int kLiteralWidth = 13;
constexpr int kLengthWidth = 7;
constexpr int kDistanceWidth = 8;
constexpr CodeTable<kLiteralWidth> kLiteralTable = BuildTable<kLiteralWidth>(kLiteralLengths);
constexpr CodeTable<kLengthWidth> kLengthTable = BuildTable<kLengthWidth>(kLengthLengths);
constexpr CodeTable<kDistanceWidth> kDistanceTable = BuildTable<kDistanceWidth>(kDistanceLengths);

// The most bits one item can take: flag, length code and extra bits, distance code and low bits.
constexpr int kMaxItemBits = 1 + 7 + 8 + 8 + 6;

class Decoder {
public:
  Decoder(ExplodeInput input, void* input_context, ExplodeOutput output, void* output_context)
      : input_(input), input_context_(input_context), output_(output), output_context_(output_context) {}

  ExplodeResult Run() {
    ExplodeResult result = Decode();
    if (result != OutputFailed && position_ > 0 && !Flush(position_) && result == Done) result = OutputFailed;
    return result;
  }

private:
  ExplodeResult Decode() {
    Refill();
    const std::uint32_t literal_mode = Take(8);
    if (count_ < 0) return InputExhausted;
    if (literal_mode > 1) return BadLiteralMode;
    const int dictionary_bits = static_cast<int>(Take(8));
    if (count_ < 0) return InputExhausted;
    if (dictionary_bits < 4 || dictionary_bits > 6) return BadDictionarySize;

    for (;;) {
      if (count_ < kMaxItemBits) Refill();
      if (Take(1) == 0) {
        const std::uint32_t literal = literal_mode == 0 ? Take(8) : Lookup(kLiteralTable);
        if (count_ < 0) return InputExhausted;
        window_[position_++] = static_cast<std::uint8_t>(literal);
        if (position_ == kWindowSize && !FlushWindow()) return OutputFailed;
        continue;
      }
      const std::uint32_t symbol = Lookup(kLengthTable);
      std::uint32_t length = kLengthBase[symbol] + Take(kLengthExtra[symbol]);
      if (count_ < 0) return InputExhausted;
      if (length == kEndLength) return Done;
      const int low_bits = length == 2 ? 2 : dictionary_bits;
      const std::uint32_t distance = (Lookup(kDistanceTable) << low_bits) + Take(low_bits) + 1;
      if (count_ < 0) return InputExhausted;
      if (first_window_ && distance > position_) return DistanceTooFar;

      // The source wraps from the window's start back to its end; runs stop where either the
      // source or the target meets the window's end.
      std::uint32_t source = (position_ - distance) & (kWindowSize - 1);
      while (length > 0) {
        const std::uint32_t run = std::min({length, kWindowSize - position_, kWindowSize - source});
        std::uint8_t* to = window_.data() + position_;
        const std::uint8_t* from = window_.data() + source;
        if (source > position_ || distance >= run) {
          std::memmove(to, from, run);
        } else {
          // The copy overlaps the bytes it writes: the last `distance` bytes repeat.
          for (std::uint32_t i = 0; i < run; ++i)
            to[i] = from[i];
        }
        position_ += run;
        source = (source + run) & (kWindowSize - 1);
        length -= run;
        if (position_ == kWindowSize && !FlushWindow()) return OutputFailed;
      }
    }
  }

  // Tops the bit buffer up to at least 57 bits, or to whatever input is left.
  void Refill() {
    for (;;) {
      if (left_ >= 8 && std::endian::native == std::endian::little) {
        std::uint64_t word;
        std::memcpy(&word, next_, sizeof word);
        // Bits above count_ already hold the start of next_[0], so or-ing it in again is harmless.
        bits_ |= word << count_;
        const int bytes = (63 - count_) >> 3;
        next_ += bytes;
        left_ -= static_cast<std::uint32_t>(bytes);
        count_ += bytes * 8;
        return;
      }
      while (left_ > 0 && count_ <= 56) {
        bits_ |= std::uint64_t{*next_++} << count_;
        count_ += 8;
        --left_;
      }
      if (count_ > 56 || input_done_) return;
      left_ = input_(input_context_, &next_);
      if (left_ == 0) input_done_ = true;
    }
  }

  // Takes n plain bits, first bit lowest. count_ may go below zero at the end of the input.
  std::uint32_t Take(int n) {
    const auto value = static_cast<std::uint32_t>(bits_ & ((std::uint64_t{1} << n) - 1));
    bits_ >>= n;
    count_ -= n;
    return value;
  }

  template <std::size_t Size> std::uint32_t Lookup(const std::array<std::uint16_t, Size>& table) {
    const std::uint16_t entry = table[bits_ & (Size - 1)];
    const int length = entry >> 8;
    bits_ >>= length;
    count_ -= length;
    return entry & 0xFF;
  }

  bool FlushWindow() {
    position_ = 0;
    first_window_ = false;
    return Flush(kWindowSize);
  }

  bool Flush(std::uint32_t length) { return output_(output_context_, window_.data(), length) == 0; }

  ExplodeInput input_;
  void* input_context_;
  ExplodeOutput output_;
  void* output_context_;
  const std::uint8_t* next_ = nullptr;
  std::uint32_t left_ = 0;
  bool input_done_ = false;
  std::uint64_t bits_ = 0;
  int count_ = 0;
  std::uint32_t position_ = 0;
  bool first_window_ = true;
  std::array<std::uint8_t, kWindowSize> window_;
};

// ExplodeData decodes a whole block straight into the caller's buffer: a block holds at most 65535
// bytes, so its whole output is the window and nothing is copied out. Two loops share the work.
//
// The fast loop runs while at least 8 bytes of input and kOutputSlack bytes of output are left. It
// tops the bit buffer up from one unaligned 8-byte load, takes as many literals as the buffered bits
// surely hold, resolves a copy's length code together with its extra bits in one table step, and
// copies 8 or 16 bytes at a time where the distance allows. Until the output holds as many bytes as
// the farthest copy reaches back, each copy is checked against the output's start; after that no
// check is needed. A long copy that would pass the declared size is left, undecoded, to the careful
// loop.
//
// The careful loop decodes the rest one byte of input and one byte of output at a time, with the
// end-of-input rule above; it writes nothing at or beyond the declared size, but goes on decoding, so
// that the result is the one the stream's end gives.

// Mode-1 literals after their flag bit: the table of the literal code, with the flag counted in.
constexpr CodeTable<kLiteralWidth> BuildLiteralItems() {
  CodeTable<kLiteralWidth> table = kLiteralTable;
  for (std::uint16_t& entry : table)
    entry = static_cast<std::uint16_t>(entry + (1 << 8));
  return table;
}
constexpr CodeTable<kLiteralWidth> kLiteralItemTable = BuildLiteralItems();

// The most bits one literal takes, flag included.
constexpr int kPlainLiteralBits = 1 + 8;
constexpr int kCodedLiteralBits = 1 + kMaxCodeLength;

// Copies, indexed by the next 11 bits from the flag bit on (the flag is bit 0, so even indices are
// unused): length << 6 | bits taken, for the copies whose flag, length code and extra bits fit in 11
// bits (every length up to 39); 0 for the others (longer copies and the end code).
constexpr int kLengthItemWidth = 11;
using LengthItemTable = std::array<std::uint16_t, std::size_t{1} << kLengthItemWidth>;

constexpr LengthItemTable BuildLengthItems() {
  LengthItemTable table{};
  for (std::uint32_t index = 1; index < table.size(); index += 2) {
    const std::uint16_t code = kLengthTable[(index >> 1) & ((1u << kLengthWidth) - 1)];
    const int symbol = code & 0xFF;
    const int code_bits = 1 + (code >> 8);
    const int bits = code_bits + kLengthExtra[symbol];
    if (bits > kLengthItemWidth) continue;
    const std::uint32_t extra = (index >> code_bits) & ((1u << kLengthExtra[symbol]) - 1);
    table[index] = static_cast<std::uint16_t>((kLengthBase[symbol] + extra) << 6 | bits);
  }
  return table;
}
constexpr LengthItemTable kLengthItemTable = BuildLengthItems();
constexpr std::uint32_t kLongestShortCopy = 39;
// True when the table resolves exactly the lengths 2 to `longest`, each with the bits it takes.
constexpr bool ResolvesLengthsUpTo(std::uint32_t longest) {
  std::array<bool, kEndLength + 1> seen{};
  for (std::size_t index = 0; index < kLengthItemTable.size(); ++index) {
    const std::uint16_t entry = kLengthItemTable[index];
    if (entry == 0) continue;
    if ((index & 1) == 0 || (entry & 63) > kLengthItemWidth) return false;
    seen[entry >> 6] = true;
  }
  for (std::uint32_t length = 0; length <= kEndLength; ++length) {
    if (seen[length] != (length >= 2 && length <= longest)) return false;
  }
  return true;
}
static_assert(ResolvesLengthsUpTo(kLongestShortCopy));

// Distances for copies whose distance takes LowBits plain bits: ((symbol << LowBits) + 1) << 6 | code
// bits, indexed like kDistanceTable.
template <int LowBits> constexpr std::array<std::uint32_t, 256> BuildDistanceItems() {
  std::array<std::uint32_t, 256> table{};
  for (std::size_t index = 0; index < table.size(); ++index) {
    const std::uint16_t code = kDistanceTable[index];
    table[index] = (((code & 0xFFu) << LowBits) + 1) << 6 | code >> 8;
  }
  return table;
}
template <int LowBits>
constexpr std::array<std::uint32_t, 256> kDistanceItemTable = BuildDistanceItems<LowBits>();
static_assert(kDistanceItemTable<6>[0xFF] == (1 << 6 | 2) &&
              kDistanceItemTable<6>[0] == (((63 << 6) + 1) << 6 | 8));

// Literals that one refill surely holds (56 bits), and the longest copy resolved in one table step.
constexpr int kPlainLiteralsPerRefill = 56 / kPlainLiteralBits;
constexpr int kCodedLiteralsPerRefill = 56 / kCodedLiteralBits;
// Room the fast loop keeps at the end of the output: the literals of one refill, then a short copy
// and the 16 bytes that CopyMatch needs beyond it. Longer copies check the room themselves.
constexpr std::ptrdiff_t kOutputSlack = 64;
static_assert(kOutputSlack >= kPlainLiteralsPerRefill + std::ptrdiff_t{kLongestShortCopy} + 16);

std::uint64_t LoadLittleEndian64(const std::uint8_t* bytes) {
  std::uint64_t word;
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(&word, bytes, sizeof word);
  } else {
    word = 0;
    for (int i = 7; i >= 0; --i)
      word = word << 8 | bytes[i];
  }
  return word;
}

// Copies `length` bytes from `distance` bytes back, in pieces of 8 or 16 bytes where the distance
// allows. The last piece may pass the copy's end by up to 15 bytes; those bytes are put back as they
// were, so that a failure further on leaves the buffer beyond the good prefix as the caller gave it.
// Needs 16 bytes of room beyond the copy's end.
inline void CopyMatch(std::uint8_t* to, std::uint32_t distance, std::uint32_t length) {
  const std::uint8_t* from = to - distance;
  std::uint8_t* const end = to + length;
  if (distance >= 8) {
    std::uint8_t beyond[16];
    std::memcpy(beyond, end, sizeof beyond);
    if (distance >= 16) {
      do {
        std::memcpy(to, from, 16);
        to += 16;
        from += 16;
      } while (to < end);
    } else {
      // The second half may read what the first has just written.
      do {
        std::memcpy(to, from, 8);
        std::memcpy(to + 8, from + 8, 8);
        to += 16;
        from += 16;
      } while (to < end);
    }
    std::memcpy(end, beyond, sizeof beyond);
  } else if (distance == 1) {
    std::memset(to, *from, length);
  } else {
    // The copy overlaps the bytes it writes: the last `distance` bytes repeat.
    for (std::uint32_t i = 0; i < length; ++i)
      to[i] = from[i];
  }
}

struct Block {
  const std::uint8_t* next; // input not yet in the bit buffer
  const std::uint8_t* end;
  std::uint8_t* buffer;
  std::uint32_t size; // the declared size: nothing is written at or beyond buffer + size
  std::uint64_t bits = 0;
  int count = 0;              // bits buffered; below zero once an item has run past the input
  std::uint32_t produced = 0; // bytes of output so far (the fast loop's position)
};

template <std::size_t Size> std::uint32_t Lookup(const std::array<std::uint16_t, Size>& table, Block& b) {
  const std::uint16_t entry = table[b.bits & (Size - 1)];
  const int length = entry >> 8;
  b.bits >>= length;
  b.count -= length;
  return entry & 0xFF;
}

std::uint32_t Take(int n, Block& b) {
  const auto value = static_cast<std::uint32_t>(b.bits & ((std::uint64_t{1} << n) - 1));
  b.bits >>= n;
  b.count -= n;
  return value;
}

// Mode 0: the literals at the front of the bits, up to the first copy or kMax of them, into out[0..];
// literal i is a flag at bit 9i and a byte above it. Returns how many.
template <int kIndex, int kMax> int TakePlainLiterals(std::uint64_t bits, std::uint8_t* out) {
  if constexpr (kIndex == kMax) {
    return kMax;
  } else {
    if ((bits >> (kPlainLiteralBits * kIndex)) & 1) return kIndex;
    out[kIndex] = static_cast<std::uint8_t>(bits >> (kPlainLiteralBits * kIndex + 1));
    return TakePlainLiterals<kIndex + 1, kMax>(bits, out);
  }
}

// A copy's distance symbol and its LowBits plain bits.
template <int LowBits> std::uint32_t TakeDistance(std::uint64_t& bits, unsigned& count) {
  const std::uint32_t entry = kDistanceItemTable<LowBits>[bits & 0xFF];
  bits >>= entry & 63;
  const auto distance = (entry >> 6) + static_cast<std::uint32_t>(bits & ((1u << LowBits) - 1));
  bits >>= LowBits;
  count -= (entry & 63) + LowBits;
  return distance;
}

// The fast loop, up to `stop` bytes of output: returns Done or DistanceTooFar when it meets them,
// nothing when it stops at the start of an item. Copies are checked against the output's start only
// in the first window (kFirstWindow): beyond it no copy reaches back that far.
template <bool kCodedLiterals, int kDictionaryBits, bool kFirstWindow>
std::optional<ExplodeResult> DecodeFast(Block& b, std::uint32_t stop) {
  const std::uint8_t* next = b.next;
  std::uint64_t bits = b.bits;
  auto count = static_cast<unsigned>(b.count); // 0 to 63 here
  std::uint8_t* const begin = b.buffer;
  std::uint8_t* out = begin + b.produced;
  std::uint8_t* const out_end = begin + b.size;
  const std::uint8_t* const in_limit = b.end - next >= 8 ? b.end - 7 : next;
  std::uint8_t* const out_limit =
      begin + std::min<std::ptrdiff_t>(
                  stop, std::max<std::ptrdiff_t>(static_cast<std::ptrdiff_t>(b.size) - kOutputSlack, 0));
  std::optional<ExplodeResult> result;
  while (next < in_limit && out < out_limit) {
    // At least 56 bits buffered from here on: more than any item takes.
    bits |= LoadLittleEndian64(next) << count;
    next += 7;
    next -= count >> 3; // the whole bytes that fit above the bits held
    count |= 56;

    if ((bits & 1) == 0) {
      // A run of literals, up to the first copy or as many as 56 bits surely hold.
      int taken = 0;
      if constexpr (kCodedLiterals) {
        // Unrolled (g++ and clang++ both read this): counting the loop would cost a third of a literal.
#pragma GCC unroll 4
        for (; taken < kCodedLiteralsPerRefill; ++taken) {
          if (bits & 1) break;
          const std::uint16_t entry = kLiteralItemTable[(bits >> 1) & ((1u << kLiteralWidth) - 1)];
          out[taken] = static_cast<std::uint8_t>(entry);
          bits >>= entry >> 8;
          count -= entry >> 8;
        }
      } else {
        taken = TakePlainLiterals<0, kPlainLiteralsPerRefill>(bits, out);
        bits >>= kPlainLiteralBits * taken;
        count -= kPlainLiteralBits * taken;
      }
      out += taken;
      // A copy follows unless the run filled the refill; it may need more bits than are left.
      if (taken == (kCodedLiterals ? kCodedLiteralsPerRefill : kPlainLiteralsPerRefill) ||
          count < kMaxItemBits)
        continue;
    }

    std::uint32_t length;
    if (const std::uint16_t entry = kLengthItemTable[bits & ((1u << kLengthItemWidth) - 1)]; entry != 0) {
      length = entry >> 6;
      bits >>= entry & 63;
      count -= entry & 63;
    } else {
      // A copy of 40 bytes or more, or the end code: the code first, then its extra bits.
      const std::uint16_t code = kLengthTable[(bits >> 1) & ((1u << kLengthWidth) - 1)];
      const int symbol = code & 0xFF;
      const int code_bits = 1 + (code >> 8);
      length = kLengthBase[symbol] +
               static_cast<std::uint32_t>((bits >> code_bits) & ((1u << kLengthExtra[symbol]) - 1));
      if (length == kEndLength) {
        result = Done;
        break;
      }
      // Beyond the room kept for short copies, near the end it is left to the careful loop.
      if (static_cast<std::ptrdiff_t>(length) + 16 > out_end - out) break;
      bits >>= code_bits + kLengthExtra[symbol];
      count -= code_bits + kLengthExtra[symbol];
    }
    const std::uint32_t distance =
        length == 2 ? TakeDistance<2>(bits, count) : TakeDistance<kDictionaryBits>(bits, count);
    if constexpr (kFirstWindow) {
      if (distance > static_cast<std::uint32_t>(out - begin)) {
        result = DistanceTooFar;
        break;
      }
    }
    CopyMatch(out, distance, length);
    out += length;
  }
  b.next = next;
  b.bits = bits;
  b.count = static_cast<int>(count);
  b.produced = static_cast<std::uint32_t>(out - begin);
  return result;
}

// The careful loop: the bytes produced (at most the declared size) when the stream ends, or -1.
std::int32_t DecodeCareful(Block& b, bool coded_literals, int dictionary_bits) {
  // Counted beyond the declared size too: a copy may still reach back before the first byte.
  std::uint64_t position = b.produced;
  for (;;) {
    while (b.count <= 56 && b.next < b.end) {
      b.bits |= std::uint64_t{*b.next++} << b.count;
      b.count += 8;
    }
    if (Take(1, b) == 0) {
      const std::uint32_t literal = coded_literals ? Lookup(kLiteralTable, b) : Take(8, b);
      if (b.count < 0) return -1;
      if (position < b.size) b.buffer[position] = static_cast<std::uint8_t>(literal);
      ++position;
      continue;
    }
    const std::uint32_t symbol = Lookup(kLengthTable, b);
    const std::uint32_t length = kLengthBase[symbol] + Take(kLengthExtra[symbol], b);
    if (b.count < 0) return -1;
    if (length == kEndLength) return static_cast<std::int32_t>(std::min<std::uint64_t>(position, b.size));
    const int low_bits = length == 2 ? 2 : dictionary_bits;
    const std::uint32_t distance = (Lookup(kDistanceTable, b) << low_bits) + Take(low_bits, b) + 1;
    if (b.count < 0 || distance > position) return -1;
    const std::uint64_t stop = std::min<std::uint64_t>(position + length, b.size);
    for (std::uint64_t at = position; at < stop; ++at)
      b.buffer[at] = b.buffer[at - distance];
    position += length;
  }
}

template <bool kCodedLiterals, int kDictionaryBits> std::int32_t DecodeBlock(Block& b) {
  // The farthest that any copy reaches back.
  constexpr std::uint32_t kReach = 64u << kDictionaryBits;
  std::optional<ExplodeResult> result = DecodeFast<kCodedLiterals, kDictionaryBits, true>(b, kReach);
  if (!result && b.produced >= kReach) result = DecodeFast<kCodedLiterals, kDictionaryBits, false>(b, b.size);
  if (result) return *result == Done ? static_cast<std::int32_t>(b.produced) : -1;
  return DecodeCareful(b, kCodedLiterals, kDictionaryBits);
}

} // namespace

ExplodeResult ExplodeStream(ExplodeInput input, void* input_context, ExplodeOutput output,
                            void* output_context) {
  Decoder decoder(input, input_context, output, output_context);
  return decoder.Run();
}

std::uint32_t MemoryInputRead(void* context, const std::uint8_t** data) {
  auto& in = *static_cast<MemoryInput*>(context);
  if (in.position < 0 || in.position >= in.length) return 0;
  const auto count = static_cast<std::uint32_t>(in.length - in.position);
  *data = in.data + in.position;
  in.position = in.length;
  return count;
}

int MemoryOutputWrite(void* context, const std::uint8_t* data, std::uint32_t length) {
  auto& out = *static_cast<MemoryOutput*>(context);
  const std::uint32_t room = out.position < out.capacity ? out.capacity - out.position : 0;
  const std::uint32_t count = std::min(length, room);
  if (count > 0) std::memcpy(out.buffer + out.position, data, count);
  out.position += count;
  return 0;
}

std::int32_t ExplodeData(const std::uint8_t* block, std::uint32_t block_length, std::uint8_t* buffer,
                         std::uint32_t capacity) {
  if (block == nullptr || buffer == nullptr || block_length < 4 || block_length > INT32_MAX) return -1;
  const std::uint32_t size = block[0] | block[1] << 8 | block[2] << 16 | std::uint32_t{block[3]} << 24;
  if (size > kMaxDecompressedSize || capacity < size) return -1;
  // A missing header byte, a bad literal mode and a bad dictionary size all fail alike here.
  if (block_length < 6 || block[4] > 1 || block[5] < 4 || block[5] > 6) return -1;
  Block b{block + 6, block + block_length, buffer, size};
  switch (block[4] << 4 | block[5]) {
  case 0x04: return DecodeBlock<false, 4>(b);
  case 0x05: return DecodeBlock<false, 5>(b);
  case 0x06: return DecodeBlock<false, 6>(b);
  case 0x14: return DecodeBlock<true, 4>(b);
  case 0x15: return DecodeBlock<true, 5>(b);
  default: return DecodeBlock<true, 6>(b);
  }
}

} // namespace kv
