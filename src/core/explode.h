// The implode ("explode") decoder: an LZ77 stream with a sliding window of up
// to 4096 bytes and fixed prefix codes for literals, copy lengths and copy
// distances. Format notes sit beside the code in explode.cpp.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kv {

// Result codes of ExplodeStream.
enum ExplodeResult : int {
  Done = 0,               // the end code was reached and all output handed out
  OutputFailed = 1,       // the output callback reported a failure
  InputExhausted = 2,     // the input ran out before the end code
  BadLiteralMode = -1,    // byte 0 is neither 0 nor 1
  BadDictionarySize = -2, // byte 1 is not 4, 5 or 6
  DistanceTooFar = -3,    // a copy reaches back before the first byte of output
};

// Stores a pointer to the next piece of input and returns its length; 0 means
// no input is left.
using ExplodeInput = std::uint32_t (*)(void* context, const std::uint8_t** data);
// Consumes `length` bytes; returns 0 on success, anything else on failure.
using ExplodeOutput = int (*)(void* context, const std::uint8_t* data, std::uint32_t length);

ExplodeResult ExplodeStream(ExplodeInput input, void* input_context, ExplodeOutput output,
                            void* output_context);

// A block held in memory, read from `position` on.
struct MemoryInput {
  const std::uint8_t* data = nullptr;
  std::int32_t position = 0;
  std::int32_t length = 0;
};
std::uint32_t MemoryInputRead(void* context, const std::uint8_t** data);

// A bounded buffer: bytes beyond `capacity` are dropped without a failure.
struct MemoryOutput {
  std::uint8_t* buffer = nullptr;
  std::uint32_t position = 0;
  std::uint32_t capacity = 0;
};
int MemoryOutputWrite(void* context, const std::uint8_t* data, std::uint32_t length);

// Decodes the CompressedBlock `block` (4-byte little-endian size H, then the
// stream) into `buffer`. Returns the number of bytes produced (at most H), or
// -1 when H is above 65535, the buffer is null or smaller than H, or the
// stream fails. On a failure the good prefix of the output is in `buffer`.
std::int32_t ExplodeData(const std::uint8_t* block, std::uint32_t block_length, std::uint8_t* buffer,
                         std::uint32_t capacity);

// The largest decompressed size that a CompressedBlock may declare.
inline constexpr std::uint32_t kMaxDecompressedSize = 65535;

} // namespace kv
