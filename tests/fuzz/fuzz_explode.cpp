// ExplodeData on arbitrary bytes. The input is taken as a bare stream (the seeds are) and framed with
// a declared size and a buffer capacity drawn from its own bytes (whole inputs taken as blocks are
// fuzz_block's). The table decoder is checked against the bit-by-bit reader, whole and in pieces.
#include "core/explode.h"
#include "support/reference.h"
#include "support/wad_builder.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> stream(data, size);
  const kv::test::ExplodeOutcome outcome = kv::test::ExplodeCollect(stream);
  // The bitwise reader is slow; large inputs are left to the unit tests.
  if (size <= 8192) {
    if (kv::test::ExplodeCollect(stream, 1 + size % 13) != outcome) __builtin_trap();
    if (kv::test::ReferenceExplode(stream) != outcome) __builtin_trap();
  }

  const auto hash =
      static_cast<std::uint32_t>(std::hash<std::string_view>{}({reinterpret_cast<const char*>(data), size}));
  const std::uint32_t declared = hash % 70000; // sometimes above the largest size allowed
  const std::uint32_t slack[] = {0, 1, 100, 0xFFFFFFFF};
  const std::uint32_t capacity = std::min<std::uint32_t>(declared + slack[(hash >> 20) % 4], 70000);
  const std::vector<std::uint8_t> block = kv::test::BlockWithSize(declared, {data, data + size});
  // Exactly `capacity` bytes on the heap, so that a write past them is caught.
  const auto buffer = std::make_unique_for_overwrite<std::uint8_t[]>(capacity);
  const std::int32_t count =
      kv::ExplodeData(block.data(), static_cast<std::uint32_t>(block.size()), buffer.get(), capacity);
  if (declared > kv::kMaxDecompressedSize || capacity < declared) {
    if (count != -1) __builtin_trap();
  } else {
    const std::size_t expected = std::min<std::size_t>(declared, outcome.output.size());
    if (count != (outcome.result == kv::Done ? static_cast<std::int32_t>(expected) : -1)) __builtin_trap();
    // Even a failed decode leaves the good prefix in the buffer.
    if (!std::equal(outcome.output.begin(), outcome.output.begin() + static_cast<std::ptrdiff_t>(expected),
                    buffer.get()))
      __builtin_trap();
  }

  return 0;
}
