// The two stages of ImplodeStream, open to the tests: the LZ77 parse into
// literals and copies, and the bit-stream writer that codes a list of them.
#pragma once

#include "core/implode.h"

#include <cstdint>
#include <span>
#include <vector>

namespace kv::implode_detail {

// One item of the stream: a literal (length 0, value the byte) or a copy
// (length 2 to 518, value the distance back, 1 to the window size; at most
// 256 for a copy of length 2).
struct Token {
  std::uint16_t length = 0;
  std::uint16_t value = 0;

  friend bool operator==(const Token&, const Token&) = default;
};

inline constexpr int kMinCopy = 2;
inline constexpr int kMaxCopy = 518;
inline constexpr int kMaxPairDistance = 256;

std::vector<Token> Parse(std::span<const std::uint8_t> data, ImplodeOptions options);

// Codes `tokens` as a bare stream; the tokens must obey the limits above for
// options.dictionary_bits.
std::vector<std::uint8_t> Emit(std::span<const Token> tokens, ImplodeOptions options);

} // namespace kv::implode_detail
