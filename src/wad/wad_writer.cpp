// Writes the layout that wad_archive.cpp describes: the entry count, the
// directory of 22-byte records (name in 14 zero-padded bytes, compressed
// size, data offset), then the entries' CompressedBlocks back to back in
// directory order, the first at 2 + 22 × count. Names are upper case by
// convention only: the reader ignores case, so two names that differ only in
// case would make the second entry unreachable, and are refused.
#include "wad/wad_writer.h"

#include <algorithm>
#include <limits>
#include <set>

#include "core/explode.h"
#include "core/little_endian.h"
#include "core/safe_name.h"
#include "platform/platform.h"
#include "wad/wad_archive.h"

namespace kv {
namespace {

std::string UpperCase(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return upper;
}

WadBuild Refuse(std::string problem) {
  return {{}, std::move(problem)};
}

} // namespace

std::string WadEntryNameFor(std::string_view path) {
  return UpperCase(platform::FileNameOf(std::string(path)));
}

std::string WadEntryNameProblem(std::string_view name) {
  if (name.size() > kMaxWadNameLength) {
    return "the name has " + std::to_string(name.size()) + " characters; an entry name holds at most " +
           std::to_string(kMaxWadNameLength);
  }
  return UnsafeFileNameReason(name);
}

std::string WadEntryDataProblem(std::size_t size) {
  const std::string has = "the file has " + std::to_string(size) + (size == 1 ? " byte" : " bytes");
  if (size > kMaxDecompressedSize)
    return has + "; an entry holds at most " + std::to_string(kMaxDecompressedSize);
  if (size < kMinWadEntrySize) return has + "; an entry that decodes to fewer than 4 is read as a failed one";
  return {};
}

void StoreWadRecord(std::uint8_t* record, std::string_view name, std::uint32_t block_size,
                    std::uint32_t offset) {
  std::copy_n(name.begin(), std::min(name.size(), kWadNameRoom), record);
  StoreLE32(record + kWadNameRoom, block_size);
  StoreLE32(record + kWadNameRoom + 4, offset);
}

WadBuild BuildWadArchive(std::span<const WadInput> entries, ImplodeOptions options) {
  if (entries.size() > kMaxWadEntries) {
    return Refuse(std::to_string(entries.size()) + " files are too many for one archive (at most " +
                  std::to_string(kMaxWadEntries) + ")");
  }
  std::set<std::string> seen;
  for (const WadInput& entry : entries) {
    if (const std::string problem = WadEntryNameProblem(entry.name); !problem.empty()) {
      return Refuse(entry.name + ": " + problem);
    }
    if (!seen.insert(UpperCase(entry.name)).second) {
      return Refuse(entry.name + ": the name is given twice (names are compared without regard to case)");
    }
    if (entry.block) continue;
    if (const std::string problem = WadEntryDataProblem(entry.data.size()); !problem.empty()) {
      return Refuse(entry.name + ": " + problem);
    }
  }

  const std::size_t directory_end = kWadCountSize + kWadRecordSize * entries.size();
  std::vector<std::uint8_t> image(directory_end, 0);
  StoreLE16(image, 0, static_cast<std::uint32_t>(entries.size()));
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const WadInput& entry = entries[i];
    const std::vector<std::uint8_t> imploded =
        entry.block ? std::vector<std::uint8_t>{} : ImplodeBlock(entry.data, options);
    const std::vector<std::uint8_t>& block = entry.block ? *entry.block : imploded;
    // Both the offset and the end of this block must be 32-bit values.
    constexpr std::size_t kLimit = std::numeric_limits<std::uint32_t>::max();
    if (image.size() > kLimit || block.size() > kLimit - image.size()) {
      return Refuse(entry.name + ": the archive would pass 4 GiB here");
    }
    StoreWadRecord(image.data() + kWadCountSize + kWadRecordSize * i, entry.name,
                   static_cast<std::uint32_t>(block.size()), static_cast<std::uint32_t>(image.size()));
    image.insert(image.end(), block.begin(), block.end());
  }
  return {std::move(image), {}};
}

} // namespace kv
