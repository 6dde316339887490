// The WAD directory reader, listing, lookup and ReadFromWad on arbitrary
// bytes; the readable entries are stored again by BuildWadArchive, blocks as
// they are, and must read back the same. No user interface is installed:
// message boxes answer at once.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "core/explode.h"
#include "wad/wad_archive.h"
#include "wad/wad_extract.h"
#include "wad/wad_writer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const kv::WadImage image(data, size);
  if (!kv::WadDirectoryProblem(image).empty()) {
    if (kv::FindWadEntry(image, "A") || !kv::ReadWadDirectory(image).empty()) __builtin_trap();
    return 0;
  }
  const std::vector<kv::WadEntry> entries = kv::ReadWadDirectory(image);
  if (entries.size() != kv::WadEntryCount(image)) __builtin_trap();
  std::vector<std::uint8_t> buffer;
  std::vector<kv::WadInput> again;
  // Every lookup walks the directory: a few dozen names keep a run quick.
  for (std::size_t i = 0; i < entries.size() && i < 32; ++i) {
    const kv::WadEntry& entry = entries[i];
    const auto found = kv::FindWadEntry(image, entry.name);
    if (!found || *found > i) __builtin_trap();
    // A readable entry's block lies inside the archive; a faulty one has none.
    const std::span<const std::uint8_t> block = kv::WadEntryBlock(image, entry);
    if (entry.fault == kv::WadEntryFault::None ? block.size() != entry.compressed_size || !entry.size
                                               : !block.empty())
      __builtin_trap();
    if (!block.empty() && (block.data() < data || block.data() + block.size() > data + size))
      __builtin_trap();
    // The first record of a name whose block holds its declared size is stored again.
    if (*found == i && block.size() >= 4 && kv::WadEntryNameProblem(entry.name).empty())
      again.push_back({entry.name, {}, std::vector<std::uint8_t>(block.begin(), block.end())});
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
  const kv::WadBuild rebuilt = kv::BuildWadArchive(again);
  const std::vector<kv::WadEntry> read = kv::ReadWadDirectory(rebuilt.image);
  if (!rebuilt.ok() || read.size() != again.size()) __builtin_trap();
  for (std::size_t i = 0; i < read.size(); ++i) {
    if (read[i].name != again[i].name ||
        !std::ranges::equal(kv::WadEntryBlock(rebuilt.image, read[i]), *again[i].block))
      __builtin_trap();
  }
  return 0;
}
