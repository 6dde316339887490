// Writing WAD archives: the inverse of wad_archive.h. Self-contained: inputs
// in, the archive's bytes (or why it cannot be made) out; no files, no user.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/implode.h"

namespace kv {

// The longest entry name: 14 bytes with the terminating zero.
inline constexpr std::size_t kMaxWadNameLength = 13;
inline constexpr std::size_t kMaxWadEntries = 65535;
// Readers take an entry that decodes to fewer bytes as a failed one.
inline constexpr std::size_t kMinWadEntrySize = 4;

// One entry to store, in directory order.
struct WadInput {
  std::string name;
  // The content, imploded into the entry's CompressedBlock (at most 65535 bytes).
  std::vector<std::uint8_t> data;
  // A CompressedBlock stored as it is instead of imploding `data`, for
  // repacking an entry without recompressing it. Not checked.
  std::optional<std::vector<std::uint8_t>> block;
};

// An archive, or why it could not be made.
struct WadBuild {
  std::vector<std::uint8_t> image; // empty when `problem` is set
  std::string problem;             // "NAME: why", naming the offending entry
  bool ok() const { return problem.empty(); }
};

// The entry name for a file: its base name (no folder) in upper case.
std::string WadEntryNameFor(std::string_view path);

// Empty when `name` can name an entry; otherwise why not, as a phrase
// ("the name has 15 characters; an entry name holds at most 13").
std::string WadEntryNameProblem(std::string_view name);

// Empty when `size` bytes can be an entry's content; otherwise why not
// ("the file has 70000 bytes; an entry holds at most 65535").
std::string WadEntryDataProblem(std::size_t size);

// Fills the 22-byte directory record at `record`: the name's bytes (at most
// 14; the rest of the name's room is left as it is), the block's size and
// its offset in the archive.
void StoreWadRecord(std::uint8_t* record, std::string_view name, std::uint32_t block_size,
                    std::uint32_t offset);

// The archive: count, one 22-byte record per entry, then each entry's block
// in the same order. Refused: more than 65535 entries; a name that is empty,
// over 13 characters or not a plain file name (safe_name.h); two names that
// are equal without regard to ASCII case; data over 65535 or under 4 bytes;
// an archive whose offsets would pass 4 GiB. `options` apply to every imploded entry.
WadBuild BuildWadArchive(std::span<const WadInput> entries, ImplodeOptions options = {});

} // namespace kv
