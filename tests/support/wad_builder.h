// Builds WAD archives for tests: a directory of (name, bytes) members, each
// stored as a CompressedBlock made by our implode encoder. Tests damage the
// fields of the image that they need to.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kv::test {

// The format's worked example: a CompressedBlock of size 4, literal mode 0,
// 6 dictionary bits, literals A and B, a copy of length 2 at distance 2 and
// the end code. It decodes to "ABAB".
inline const std::vector<std::uint8_t> kAbabBlock = {0x04, 0x00, 0x00, 0x00, 0x00, 0x06,
                                                     0x82, 0x08, 0xED, 0x05, 0xFC, 0x03};

struct WadMember {
  // Up to 14 bytes; a 14-byte name leaves no terminating zero.
  std::string name;
  // The decompressed content, imploded when the archive is built.
  std::vector<std::uint8_t> data;
  // Stored bytes used as they are instead of imploding `data`.
  std::optional<std::vector<std::uint8_t>> stored;
};

// The archive: count, directory, then the members' blocks in order.
std::vector<std::uint8_t> BuildWad(const std::vector<WadMember>& members);

// A member holding `data` (imploded when the archive is built).
WadMember Member(std::string name, std::vector<std::uint8_t> data);
// A member whose stored bytes are `stored` as they are.
WadMember StoredMember(std::string name, std::vector<std::uint8_t> stored);

// A CompressedBlock declaring `declared` bytes whose stream is `stream`.
std::vector<std::uint8_t> BlockWithSize(std::uint32_t declared, const std::vector<std::uint8_t>& stream);

// The 36-byte archive holding ABAB.TXT, stored as kAbabBlock.
std::vector<std::uint8_t> AbabArchive();

} // namespace kv::test
