// Builds WAD archives for tests and samples: a directory of (name, bytes)
// members, each stored as a CompressedBlock made by our implode encoder, with
// hooks to damage any field.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/implode.h"

namespace kv::test {

struct WadMember {
  // Up to 14 bytes; a 14-byte name leaves no terminating zero.
  std::string name;
  // The decompressed content, imploded when the archive is built.
  std::vector<std::uint8_t> data;
  // Stored bytes used as they are instead of imploding `data`.
  std::optional<std::vector<std::uint8_t>> stored;
  // Record fields written instead of the true ones.
  std::optional<std::uint32_t> compressed_size;
  std::optional<std::uint32_t> data_offset;
};

struct WadLayout {
  // The entry count written instead of the number of members.
  std::optional<std::uint16_t> count;
  // Bytes cut from the end of the finished archive.
  std::size_t truncate = 0;
  ImplodeOptions implode;
};

// The archive: count, directory, then the members' blocks in order.
std::vector<std::uint8_t> BuildWad(const std::vector<WadMember>& members, const WadLayout& layout = {});

// A member holding `data` (imploded when the archive is built).
WadMember Member(std::string name, std::vector<std::uint8_t> data);
// A member whose stored bytes are `stored` as they are.
WadMember StoredMember(std::string name, std::vector<std::uint8_t> stored);

// A CompressedBlock declaring `declared` bytes whose stream is `stream`.
std::vector<std::uint8_t> BlockWithSize(std::uint32_t declared, const std::vector<std::uint8_t>& stream);

// The 36-byte archive holding ABAB.TXT, whose block decodes to "ABAB".
std::vector<std::uint8_t> AbabArchive();

} // namespace kv::test
