// Our own implode compressor: the inverse of explode.h, for tests, the sample
// game folder and repacking. LZ77 over hash chains with lazy matching; copies
// of every length 2 to 518 and every distance the dictionary allows.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace kv {

enum class LiteralMode : std::uint8_t { Binary = 0, Text = 1 };

// Dictionary bits 4, 5 or 6: a window of 1024, 2048 or 4096 bytes; any other
// value makes ImplodeStream and ImplodeBlock throw std::invalid_argument.
struct ImplodeOptions {
  LiteralMode literals = LiteralMode::Binary;
  int dictionary_bits = 6;
};

// The bare stream: literal mode byte, dictionary bits byte, bit stream with
// its end code. Any input size is accepted.
std::vector<std::uint8_t> ImplodeStream(std::span<const std::uint8_t> data, ImplodeOptions options = {});

// A CompressedBlock: the 4-byte little-endian size, then the stream. The
// caller keeps data at or under 65535 bytes (the block's declared maximum).
std::vector<std::uint8_t> ImplodeBlock(std::span<const std::uint8_t> data, ImplodeOptions options = {});

} // namespace kv
