#include "support/wad_builder.h"

#include "core/little_endian.h"
#include <algorithm>
#include <stdexcept>

namespace kv::test {

std::vector<std::uint8_t> BuildWad(const std::vector<WadMember>& members, const WadLayout& layout) {
  const std::size_t directory = 2 + 22 * members.size();
  std::vector<std::uint8_t> out(directory, 0);
  const std::uint16_t count = layout.count.value_or(static_cast<std::uint16_t>(members.size()));
  out[0] = static_cast<std::uint8_t>(count);
  out[1] = static_cast<std::uint8_t>(count >> 8);
  for (std::size_t i = 0; i < members.size(); ++i) {
    const WadMember& member = members[i];
    if (member.name.size() > 14) throw std::invalid_argument("a WAD name has at most 14 bytes");
    const std::vector<std::uint8_t> block =
        member.stored ? *member.stored : ImplodeBlock(member.data, layout.implode);
    const std::size_t record = 2 + 22 * i;
    std::copy(member.name.begin(), member.name.end(), out.begin() + static_cast<std::ptrdiff_t>(record));
    StoreLE32(out, record + 14, member.compressed_size.value_or(static_cast<std::uint32_t>(block.size())));
    StoreLE32(out, record + 18, member.data_offset.value_or(static_cast<std::uint32_t>(out.size())));
    out.insert(out.end(), block.begin(), block.end());
  }
  out.resize(out.size() - std::min(layout.truncate, out.size()));
  return out;
}

WadMember Member(std::string name, std::vector<std::uint8_t> data) {
  WadMember member;
  member.name = std::move(name);
  member.data = std::move(data);
  return member;
}

WadMember StoredMember(std::string name, std::vector<std::uint8_t> stored) {
  WadMember member;
  member.name = std::move(name);
  member.stored = std::move(stored);
  return member;
}

std::vector<std::uint8_t> BlockWithSize(std::uint32_t declared, const std::vector<std::uint8_t>& stream) {
  // Sized once: growing a 4-byte vector by insert trips GCC 12's bounds
  // warning at -O3 (a false positive) in the Windows builds.
  std::vector<std::uint8_t> block(4 + stream.size(), 0);
  StoreLE32(block, 0, declared);
  std::copy(stream.begin(), stream.end(), block.begin() + 4);
  return block;
}

std::vector<std::uint8_t> AbabArchive() {
  return {0x01, 0x00, 'A',  'B',  'A',  'B',  '.',  'T',  'X',  'T',  0x00, 0x00,
          0x00, 0x00, 0x00, 0x00, 0x0C, 0x00, 0x00, 0x00, 0x18, 0x00, 0x00, 0x00,
          0x04, 0x00, 0x00, 0x00, 0x00, 0x06, 0x82, 0x08, 0xED, 0x05, 0xFC, 0x03};
}

} // namespace kv::test
