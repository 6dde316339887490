// Little-endian integers in byte buffers, as every format of the game and
// the files made from them store them. Callers check the bounds first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kv {

inline void StoreLE16(std::uint8_t* at, std::uint32_t value) {
  at[0] = static_cast<std::uint8_t>(value);
  at[1] = static_cast<std::uint8_t>(value >> 8);
}

inline void StoreLE32(std::uint8_t* at, std::uint32_t value) {
  StoreLE16(at, value);
  StoreLE16(at + 2, value >> 16);
}

inline void StoreLE16(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t value) {
  StoreLE16(out.data() + at, value);
}

inline void StoreLE32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t value) {
  StoreLE32(out.data() + at, value);
}

inline std::uint16_t LoadLE16(const std::uint8_t* at) {
  return static_cast<std::uint16_t>(at[0] | at[1] << 8);
}

inline std::uint32_t LoadLE32(const std::uint8_t* at) {
  return std::uint32_t{at[0]} | std::uint32_t{at[1]} << 8 | std::uint32_t{at[2]} << 16 |
         std::uint32_t{at[3]} << 24;
}

} // namespace kv
