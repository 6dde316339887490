// The WAD archive as the tool reads it: a directory of named entries, each
// stored as a CompressedBlock. Pure: no files, no user interface. The format
// notes and the bounds rules are at the top of wad_archive.cpp.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kv {

// A whole archive in memory, exactly as LoadFile read it.
using WadImage = std::span<const std::uint8_t>;

inline constexpr std::size_t kWadCountSize = 2;
inline constexpr std::size_t kWadRecordSize = 22;
// The name field, its terminating zero included.
inline constexpr std::size_t kWadNameRoom = 14;

// What keeps an entry from being read. The entry is still listed; reading or
// extracting it fails with WadEntryFaultText.
enum class WadEntryFault {
  None,
  RecordOutside,    // the directory record itself lies past the end
  NameUnterminated, // no zero among the 14 name bytes
  SizeOutside,      // the 4-byte declared size at the data offset lies past the end
  DataOutside,      // data offset + compressed size lies past the end
};

// One directory record and what is derived from it.
struct WadEntry {
  std::string name;                  // up to its zero; all 14 bytes when it has none
  std::uint32_t compressed_size = 0; // stored bytes at the data offset, size prefix included
  std::uint32_t data_offset = 0;     // from the start of the file
  std::string type;                  // the name's text after its first '.' past index 0
  std::optional<std::uint32_t> size; // the declared size; none when it lies outside the file
  WadEntryFault fault = WadEntryFault::None;
};

// The entry count of the first two bytes; 0 for an image shorter than that.
std::uint32_t WadEntryCount(WadImage image);

// Empty when the image holds its count and whole directory; otherwise why
// not, naming the sizes. Such an archive is refused whole.
std::string WadDirectoryProblem(WadImage image);

// Record `index` of the directory, with its faults noted.
WadEntry ReadWadEntry(WadImage image, std::uint32_t index);

// Every record in directory order; empty when the directory does not fit.
std::vector<WadEntry> ReadWadDirectory(WadImage image);

// The part of `name` after its first '.', a '.' at index 0 not counting.
std::string_view WadEntryType(std::string_view name);

// Equality without regard to ASCII case.
bool WadNamesEqual(std::string_view a, std::string_view b);

// The first record at or after `from` whose name equals `name` without
// regard to ASCII case; none when there is none or the directory does not fit.
std::optional<std::uint32_t> FindWadEntry(WadImage image, std::string_view name, std::uint32_t from = 0);

// The records of a directory by name (ASCII case ignored), made once in time
// linear in the directory, so that a lookup costs as much at 65535 entries
// as at ten.
class WadIndex {
public:
  explicit WadIndex(WadImage image);
  // From the directory ReadWadDirectory read.
  explicit WadIndex(std::span<const WadEntry> directory);
  // What FindWadEntry answers.
  std::optional<std::uint32_t> Find(std::string_view name, std::uint32_t from = 0) const;

private:
  static constexpr std::uint32_t kNone = 0xFFFFFFFF;
  // Record `index`'s name with ASCII case folded.
  std::string_view FoldedName(std::uint32_t index) const;
  // The slot that holds the first record of the folded `name`, or the empty
  // slot where it would go.
  std::size_t SlotOf(std::string_view name) const;

  // The folded names one after another, record i's from name_start_[i] to
  // name_start_[i + 1]: two allocations for the whole directory, where a map
  // of strings makes one per name (4 MB at 65535 names).
  std::string names_;
  std::vector<std::uint32_t> name_start_;
  // Open addressing over a power of two at least twice the records: each
  // slot holds the first record of one name, or kNone.
  std::vector<std::uint32_t> slots_;
  // By record: the first record of its name, and the next record of the same
  // name (kNone after the last): a walk through a name's records takes one
  // step each.
  std::vector<std::uint32_t> head_;
  std::vector<std::uint32_t> next_;
};

// The entry's stored CompressedBlock; empty for a faulty entry.
std::span<const std::uint8_t> WadEntryBlock(WadImage image, const WadEntry& entry);

// Decodes the entry into `buffer` with ExplodeData: the bytes produced, or -1
// when the entry is faulty, its declared size exceeds 65535 or the buffer,
// or its stream fails.
std::int32_t DecodeWadEntry(WadImage image, const WadEntry& entry, std::span<std::uint8_t> buffer);

// Why a faulty entry cannot be read, as a sentence about "the entry".
std::string WadEntryFaultText(const WadEntry& entry, std::size_t image_size);

} // namespace kv
