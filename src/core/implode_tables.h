// The fixed tables of the implode format, shared by the decoder and the
// encoder. Each prefix code is given in compact form: every byte holds, in
// its high four bits, a repeat count minus one and, in its low four bits, a
// code length; the lengths go to symbols 0, 1, 2, ... in order.
#pragma once

#include <array>
#include <cstdint>

namespace kv::implode_tables {

inline constexpr int kMaxCodeLength = 13;
// A copy of this length is the end code.
inline constexpr int kEndLength = 519;

// 256 literal symbols, lengths 4 to 13 (the space has 4, symbol 0 has 11).
inline constexpr std::array<std::uint8_t, 98> kLiteralCompact = {
    11, 124, 8,  7,  28, 7,  188, 13,  76,  4,   10,  8,   12, 10, 12, 10, 8,  23, 8,  9,  7,  6,  7,  8,  7,
    6,  55,  8,  23, 24, 12, 11,  7,   9,   11,  12,  6,   7,  22, 5,  7,  24, 6,  11, 9,  6,  7,  22, 7,  11,
    38, 7,   9,  8,  25, 11, 8,   11,  9,   12,  8,   12,  5,  38, 5,  38, 5,  11, 7,  5,  6,  21, 6,  10, 53,
    8,  7,   24, 10, 27, 44, 253, 253, 253, 252, 252, 252, 13, 12, 45, 12, 45, 12, 61, 12, 45, 44, 173};
// 16 copy-length symbols: lengths 2, 3, 3, 3, 4, 4, 4, 5, 5, 5, 5, 6, 6, 6, 7, 7.
inline constexpr std::array<std::uint8_t, 6> kLengthCompact = {2, 35, 36, 53, 38, 23};
// 64 distance symbols: 0 has length 2, 1-2 have 4, 3-6 have 5, 7-21 have 6, 22-47 have 7, 48-63 have 8.
inline constexpr std::array<std::uint8_t, 7> kDistanceCompact = {2, 20, 53, 230, 247, 151, 248};

// Copy lengths: length symbol s covers base[s] to base[s] + 2^extra[s] - 1.
inline constexpr std::array<std::uint16_t, 16> kLengthBase = {3,  2,  4,  5,  6,  7,  8,   9,
                                                              10, 12, 16, 24, 40, 72, 136, 264};
inline constexpr std::array<std::uint8_t, 16> kLengthExtra = {0, 0, 0, 0, 0, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8};

} // namespace kv::implode_tables
