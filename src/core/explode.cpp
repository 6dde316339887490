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
// Decoding keeps the last 4096 bytes in a window whatever D is. The window goes to the output callback
// each time it fills, and what is left of it once at the end, even after a failure (except an output
// failure). A copy that reaches back before the first byte of output is DistanceTooFar; that can only
// happen until the window has filled once.
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
  MemoryInput in{block, 4, static_cast<std::int32_t>(block_length)};
  MemoryOutput out{buffer, 0, size};
  if (ExplodeStream(MemoryInputRead, &in, MemoryOutputWrite, &out) != Done) return -1;
  return static_cast<std::int32_t>(out.position);
}

} // namespace kv
