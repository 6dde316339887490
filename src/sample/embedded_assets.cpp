#include "sample/embedded_assets.h"

namespace kv {
namespace {

std::uint8_t Nibble(char digit) {
  return static_cast<std::uint8_t>(digit <= '9' ? digit - '0' : digit - 'a' + 10);
}

} // namespace

EmbeddedFiles::EmbeddedFiles(std::span<const HexFile> files) {
  bytes_.reserve(files.size());
  for (const HexFile& file : files) {
    std::vector<std::uint8_t>& bytes = bytes_.emplace_back(file.hex.size() / 2);
    for (std::size_t i = 0; i < bytes.size(); ++i)
      bytes[i] = static_cast<std::uint8_t>(Nibble(file.hex[2 * i]) << 4 | Nibble(file.hex[2 * i + 1]));
    files_.push_back({file.name, bytes});
  }
}

} // namespace kv
