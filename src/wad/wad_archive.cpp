// WAD archive format notes.
//
// All integers are unsigned little-endian. There is no signature, version or
// checksum; a file is a WAD archive because the user opened it as one.
//
//   offset 0   2 bytes          entry count (0 to 65535)
//   offset 2   22 × count       the directory, one record per entry
//   anywhere   as records say   each entry's CompressedBlock
//
// A directory record, 22 bytes:
//
//   0   14  name, zero-terminated (at most 13 characters); compared without
//           regard to ASCII case
//   14   4  compressed size: the bytes stored at the data offset, the 4-byte
//           declared size included
//   18   4  data offset, from the start of the file
//
// An entry's data is a CompressedBlock: its declared (decompressed) size in
// 4 bytes, then an implode stream running to the end of the compressed size.
// The size column of a listing is that declared size, read without decoding.
//
// Bounds. Nothing is read outside the image; every check has the form
// `offset > length - size` after `size <= length`, so nothing wraps:
//   - the image must hold its 2-byte count and 2 + 22 × count directory
//     bytes, or the archive is refused whole (WadDirectoryProblem);
//   - a record whose name has no zero in its 14 bytes, whose data offset + 4
//     lies past the end, or whose data offset + compressed size does, is
//     listed with what can be shown (the 14 name bytes; the declared size when
//     its 4 bytes are inside) and is a faulty entry: reading or extracting it
//     fails with a message naming it.
// Well-formed archives are untouched by these rules.
#include "wad/wad_archive.h"

#include <algorithm>
#include <cstring>

#include "core/explode.h"
#include "core/text_encoding.h"

namespace kv {
namespace {

// Reads fields in sequence from a bounded span; a read past the end leaves
// zeros and clears `ok`, which the caller checks once after a record.
class ByteReader {
public:
  ByteReader(WadImage image, std::size_t offset) : image_(image), offset_(offset) {
    ok_ = offset_ <= image_.size();
  }

  std::span<const std::uint8_t> Bytes(std::size_t size) {
    if (!Fits(size)) return {};
    const auto bytes = image_.subspan(offset_, size);
    offset_ += size;
    return bytes;
  }

  std::uint32_t U16() {
    const auto b = Bytes(2);
    return b.empty() ? 0 : std::uint32_t{b[0]} | std::uint32_t{b[1]} << 8;
  }

  std::uint32_t U32() {
    const auto b = Bytes(4);
    if (b.empty()) return 0;
    return std::uint32_t{b[0]} | std::uint32_t{b[1]} << 8 | std::uint32_t{b[2]} << 16 |
           std::uint32_t{b[3]} << 24;
  }

  bool ok() const { return ok_; }

private:
  bool Fits(std::size_t size) {
    if (!ok_ || size > image_.size() || offset_ > image_.size() - size) ok_ = false;
    return ok_;
  }

  WadImage image_;
  std::size_t offset_;
  bool ok_ = true;
};

// Whether `size` bytes at `offset` lie inside the image.
bool Inside(WadImage image, std::uint64_t offset, std::uint64_t size) {
  return size <= image.size() && offset <= image.size() - size;
}

char FoldCase(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

std::size_t RecordOffset(std::uint32_t index) {
  return kWadCountSize + std::size_t{index} * kWadRecordSize;
}

// The name bytes of a record that fits: up to the zero, or all 14.
std::string_view RecordName(WadImage image, std::uint32_t index) {
  const auto* name = reinterpret_cast<const char*>(image.data() + RecordOffset(index));
  const void* zero = std::memchr(name, 0, kWadNameRoom);
  const std::size_t length =
      zero == nullptr ? kWadNameRoom : static_cast<std::size_t>(static_cast<const char*>(zero) - name);
  return {name, length};
}

// Whether record `index` (which fits) is named `name`, ASCII case ignored;
// stops at the first byte that differs, as most records do.
bool RecordNameEquals(WadImage image, std::uint32_t index, std::string_view name) {
  if (name.size() > kWadNameRoom) return false;
  const auto* record = reinterpret_cast<const char*>(image.data() + RecordOffset(index));
  for (std::size_t i = 0; i < name.size(); ++i) {
    if (record[i] == 0 || FoldCase(record[i]) != FoldCase(name[i])) return false;
  }
  return name.size() == kWadNameRoom || record[name.size()] == 0;
}

} // namespace

std::uint32_t WadEntryCount(WadImage image) {
  return ByteReader(image, 0).U16();
}

std::string WadDirectoryProblem(WadImage image) {
  if (image.size() < kWadCountSize) {
    std::string problem = "the file of ";
    problem.append(std::to_string(image.size())).append(" bytes is too short to hold an entry count");
    return problem;
  }
  const std::uint32_t count = WadEntryCount(image);
  const std::uint64_t needed = kWadCountSize + std::uint64_t{count} * kWadRecordSize;
  if (needed > image.size()) {
    return "its directory of " + std::to_string(count) + " entries needs " + std::to_string(needed) +
           " bytes, but the file holds " + std::to_string(image.size());
  }
  return {};
}

WadEntry ReadWadEntry(WadImage image, std::uint32_t index) {
  WadEntry entry;
  ByteReader record(image, RecordOffset(index));
  record.Bytes(kWadNameRoom);
  entry.compressed_size = record.U32();
  entry.data_offset = record.U32();
  if (!record.ok()) {
    entry.fault = WadEntryFault::RecordOutside;
    return entry;
  }
  entry.name = std::string(RecordName(image, index));
  entry.type = std::string(WadEntryType(entry.name));
  if (Inside(image, entry.data_offset, 4)) entry.size = ByteReader(image, entry.data_offset).U32();

  if (entry.name.size() == kWadNameRoom) {
    entry.fault = WadEntryFault::NameUnterminated;
  } else if (!entry.size) {
    entry.fault = WadEntryFault::SizeOutside;
  } else if (!Inside(image, entry.data_offset, entry.compressed_size)) {
    entry.fault = WadEntryFault::DataOutside;
  }
  return entry;
}

std::vector<WadEntry> ReadWadDirectory(WadImage image) {
  std::vector<WadEntry> entries;
  if (!WadDirectoryProblem(image).empty()) return entries;
  const std::uint32_t count = WadEntryCount(image);
  entries.reserve(count);
  for (std::uint32_t index = 0; index < count; ++index)
    entries.push_back(ReadWadEntry(image, index));
  return entries;
}

std::string_view WadEntryType(std::string_view name) {
  const std::size_t dot = name.find('.', 1);
  return dot == std::string_view::npos ? std::string_view{} : name.substr(dot + 1);
}

bool WadNamesEqual(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return FoldCase(x) == FoldCase(y); });
}

std::optional<std::uint32_t> FindWadEntry(WadImage image, std::string_view name, std::uint32_t from) {
  if (!WadDirectoryProblem(image).empty()) return std::nullopt;
  const std::uint32_t count = WadEntryCount(image);
  for (std::uint32_t index = from; index < count; ++index) {
    if (RecordNameEquals(image, index, name)) return index;
  }
  return std::nullopt;
}

WadIndex::WadIndex(WadImage image) : WadIndex(ReadWadDirectory(image)) {}

WadIndex::WadIndex(std::span<const WadEntry> directory)
    : name_start_(directory.size() + 1, 0), head_(directory.size(), kNone), next_(directory.size(), kNone) {
  std::size_t total = 0;
  for (const WadEntry& entry : directory)
    total += entry.name.size();
  names_.reserve(total);
  for (std::size_t index = 0; index < directory.size(); ++index) {
    names_ += FoldAsciiCase(directory[index].name);
    name_start_[index + 1] = static_cast<std::uint32_t>(names_.size());
  }
  std::size_t slots = 16;
  while (slots < 2 * directory.size())
    slots *= 2;
  slots_.assign(slots, kNone);
  // Walked from the last record back, so that each name's chain runs in
  // directory order.
  for (std::size_t index = directory.size(); index-- > 0;) {
    std::uint32_t& first = slots_[SlotOf(FoldedName(static_cast<std::uint32_t>(index)))];
    next_[index] = first;
    first = static_cast<std::uint32_t>(index);
  }
  for (const std::uint32_t first : slots_)
    for (std::uint32_t index = first; index != kNone; index = next_[index])
      head_[index] = first;
}

std::string_view WadIndex::FoldedName(std::uint32_t index) const {
  return std::string_view(names_).substr(name_start_[index], name_start_[index + 1] - name_start_[index]);
}

std::size_t WadIndex::SlotOf(std::string_view name) const {
  const std::size_t mask = slots_.size() - 1;
  std::size_t slot = std::hash<std::string_view>{}(name)&mask;
  while (slots_[slot] != kNone && FoldedName(slots_[slot]) != name)
    slot = (slot + 1) & mask;
  return slot;
}

std::optional<std::uint32_t> WadIndex::Find(std::string_view name, std::uint32_t from) const {
  std::uint32_t index = slots_[SlotOf(FoldAsciiCase(std::string(name)))];
  if (index == kNone) return std::nullopt;
  if (index < from && from - 1 < head_.size() && head_[from - 1] == index) index = next_[from - 1];
  while (index != kNone && index < from)
    index = next_[index];
  return index == kNone ? std::nullopt : std::optional<std::uint32_t>(index);
}

std::span<const std::uint8_t> WadEntryBlock(WadImage image, const WadEntry& entry) {
  if (entry.fault != WadEntryFault::None) return {};
  return image.subspan(entry.data_offset, entry.compressed_size);
}

std::int32_t DecodeWadEntry(WadImage image, const WadEntry& entry, std::span<std::uint8_t> buffer) {
  const auto block = WadEntryBlock(image, entry);
  if (block.empty()) return -1;
  const auto capacity = static_cast<std::uint32_t>(std::min<std::size_t>(buffer.size(), 0xFFFFFFFFu));
  return ExplodeData(block.data(), static_cast<std::uint32_t>(block.size()), buffer.data(), capacity);
}

std::string WadEntryFaultText(const WadEntry& entry, std::size_t image_size) {
  const std::string file = " the archive of " + std::to_string(image_size) + " bytes";
  switch (entry.fault) {
  case WadEntryFault::None: return {};
  case WadEntryFault::RecordOutside: return "the entry's directory record lies outside" + file;
  case WadEntryFault::NameUnterminated: return "the entry's name has no terminating zero within its 14 bytes";
  case WadEntryFault::SizeOutside:
    return "the entry's data offset " + std::to_string(entry.data_offset) + " lies outside" + file;
  case WadEntryFault::DataOutside:
    return "the entry's " + std::to_string(entry.compressed_size) + " bytes at data offset " +
           std::to_string(entry.data_offset) + " run past the end of" + file;
  }
  return {};
}

} // namespace kv
