// DecompressBlock on arbitrary bytes taken as a CompressedBlock: it gives the
// stream's output cut to the declared size, or fails when the stream does not
// end well or leaves under 4 bytes. Then the bytes as data, packed by
// ImplodeBlock in the mode and dictionary that their first byte picks, come
// back whole. No user interface is installed: "Skip Decompression?" is
// answered No, so every block is decoded.
#include <algorithm>
#include <span>
#include <vector>

#include "core/compressed_block.h"
#include "core/implode.h"
#include "core/little_endian.h"
#include "support/reference.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> bytes(data, size);
  std::vector<std::uint8_t> expected;
  if (size >= kv::kMinBlockSize && kv::LoadLE32(data) <= kv::kMaxDecompressedSize) {
    const kv::test::ExplodeOutcome stream = kv::test::ExplodeCollect(bytes.subspan(4));
    const std::size_t kept = std::min<std::size_t>(kv::LoadLE32(data), stream.output.size());
    if (stream.result == kv::Done && kept >= 4)
      expected.assign(stream.output.begin(), stream.output.begin() + kept);
  }
  const kv::BlockResult read = kv::DecompressBlock(bytes, "FUZZ.BIN");
  if (read.kind != (expected.empty() ? kv::BlockResult::Failed : kv::BlockResult::Decompressed) ||
      read.data != expected)
    __builtin_trap();

  if (size < 4 || size > kv::kMaxDecompressedSize) return 0;
  const kv::ImplodeOptions options{data[0] & 1 ? kv::LiteralMode::Text : kv::LiteralMode::Binary,
                                   4 + (data[0] >> 1) % 3};
  const kv::BlockResult back = kv::DecompressBlock(kv::ImplodeBlock(bytes, options), "FUZZ.BIN");
  if (back.kind != kv::BlockResult::Decompressed || !std::ranges::equal(back.data, bytes)) __builtin_trap();
  return 0;
}
