// The REMIX.TXT reader over an arbitrary script and a small arbitrary
// VOICE.WAD: the first two bytes give the archive's length, the rest is the
// script. Every image says its own size, and every piece keeps to its sound.
#include <cstddef>
#include <cstdint>

#include "core/little_endian.h"
#include "remix/remix_script.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::size_t voice_size = std::min<std::size_t>(data[0] | data[1] << 8, size - 2);
  const kv::WadImage voice(data + 2, voice_size);
  const kv::RemixScript read = kv::ReadRemixScript({data + 2 + voice_size, size - 2 - voice_size}, voice);
  for (const kv::RemixEntry& entry : read.entries) {
    std::uint64_t total = 0;
    for (const kv::RemixPiece& piece : entry.pieces) {
      if (piece.start > piece.size || piece.length > piece.size - piece.start) __builtin_trap();
      total += piece.length;
    }
    if (entry.image.size() != total + 46 || kv::LoadLE32(entry.image.data() + 42) != total) __builtin_trap();
  }
  return 0;
}
