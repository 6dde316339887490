#include "support/wad_builder.h"

#include <algorithm>
#include <stdexcept>

#include "core/implode.h"
#include "core/little_endian.h"

namespace kv::test {

std::vector<std::uint8_t> BuildWad(const std::vector<WadMember>& members) {
  std::vector<std::uint8_t> out(2 + 22 * members.size(), 0);
  StoreLE16(out, 0, static_cast<std::uint32_t>(members.size()));
  for (std::size_t i = 0; i < members.size(); ++i) {
    const WadMember& member = members[i];
    if (member.name.size() > 14) throw std::invalid_argument("a WAD name has at most 14 bytes");
    const std::vector<std::uint8_t> block = member.stored ? *member.stored : ImplodeBlock(member.data);
    const std::size_t record = 2 + 22 * i;
    std::copy(member.name.begin(), member.name.end(), out.begin() + static_cast<std::ptrdiff_t>(record));
    StoreLE32(out, record + 14, static_cast<std::uint32_t>(block.size()));
    StoreLE32(out, record + 18, static_cast<std::uint32_t>(out.size()));
    out.insert(out.end(), block.begin(), block.end());
  }
  return out;
}

WadMember Member(std::string name, std::vector<std::uint8_t> data) {
  return {std::move(name), std::move(data), std::nullopt};
}

WadMember StoredMember(std::string name, std::vector<std::uint8_t> stored) {
  return {std::move(name), {}, std::move(stored)};
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
  return BuildWad({StoredMember("ABAB.TXT", kAbabBlock)});
}

} // namespace kv::test
