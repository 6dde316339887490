// The WAD directory reader, listing, lookup and ReadFromWad on arbitrary
// bytes. No user interface is installed: message boxes answer at once.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/explode.h"
#include "wad/wad_archive.h"
#include "wad/wad_extract.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const kv::WadImage image(data, size);
  if (!kv::WadDirectoryProblem(image).empty()) {
    if (kv::FindWadEntry(image, "A") || !kv::ReadWadDirectory(image).empty()) __builtin_trap();
    return 0;
  }
  const std::vector<kv::WadEntry> entries = kv::ReadWadDirectory(image);
  if (entries.size() != kv::WadEntryCount(image)) __builtin_trap();
  std::vector<std::uint8_t> buffer;
  // Every lookup walks the directory: a few dozen names keep a run quick.
  for (std::size_t i = 0; i < entries.size() && i < 32; ++i) {
    const kv::WadEntry& entry = entries[i];
    const auto found = kv::FindWadEntry(image, entry.name);
    if (!found || *found > i) __builtin_trap();
    kv::WadEntryFaultText(entry, size);
    const std::uint32_t declared = kv::ReadFromWad(image, entry.name);
    if (declared > kv::kMaxDecompressedSize) continue;
    buffer.assign(declared, 0);
    const std::uint32_t produced = kv::ReadFromWad(image, entry.name, buffer);
    if (produced > declared || (produced != 0 && produced < 4)) __builtin_trap();
    // A buffer one byte short must be refused, not overrun.
    if (declared > 0) {
      std::vector<std::uint8_t> short_buffer(declared - 1);
      if (kv::ReadFromWad(image, entry.name, short_buffer) != 0) __builtin_trap();
    }
  }
  return 0;
}
