// Changing the entries of a WAD archive: adding, replacing, removing and
// renaming them. Self-contained: the archive's bytes and the changes in, the
// new archive's bytes (or why it cannot be made) out; no files, no user.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "wad/wad_archive.h"

namespace kv {

// One change, applied in the order given. Names are game text
// (Windows-1252), found without regard to ASCII case.
struct WadChange {
  enum Kind { Add, Replace, Remove, Rename };
  Kind kind = Add;
  std::string name;     // the entry; for Add, the new entry's name
  std::string new_name; // Rename: what it is called afterwards
  // Add, Replace: the CompressedBlock to store, as the game stores it.
  std::vector<std::uint8_t> block;
};

// The new archive, or why it cannot be made. It is kept as the pieces to
// write one behind the other, its count and directory first, then its
// blocks, which lie in the old image and in the changes (they must outlive
// it): an archive of hundreds of megabytes is written without a second copy
// in memory.
struct WadUpdate {
  std::vector<std::uint8_t> directory;
  std::vector<std::span<const std::uint8_t>> blocks;
  std::uint64_t size = 0; // of the whole archive
  std::string problem;    // "NAME: why", naming the entry
  bool ok() const { return problem.empty(); }
  // The directory, then the blocks.
  std::vector<std::span<const std::uint8_t>> Pieces() const;
  // The whole archive in one buffer.
  std::vector<std::uint8_t> Joined() const;
};

// The archive with `changes` made to it:
//   - Add appends a record (refused when the name is not one that `wad
//     create` takes, or an entry has it already);
//   - Replace stores a new block under the first record of that name (the
//     one every reader finds); Rename gives that record a new name, checked
//     as Add checks it (it may change only its case);
//   - Remove takes out every record of that name;
//   - Replace, Remove and Rename are refused for a name that no entry has.
// Every other record keeps its place in the directory and its stored bytes,
// copied as they are, not decoded: records that share one block still share
// it. The blocks are laid out in directory order behind the directory; bytes
// that no record points at are not kept. Refused as well: an archive whose
// directory does not fit (WadDirectoryProblem), a record to keep whose data
// lie outside the file, more than 65535 entries, an archive past 4 GiB.
// Time linear in the archive and the changes.
WadUpdate UpdateWadArchive(WadImage image, std::span<const WadChange> changes);

} // namespace kv
