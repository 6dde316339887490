// Writing CEL image containers and PAL palettes: the inverse of the reader in
// cel_image.h. Self-contained: pictures in, the file's bytes (or why it
// cannot be made) out; no files, no user.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "media/cel_image.h"

namespace kv {

// The longest image name: the eighth byte of a name record never counts.
inline constexpr std::size_t kMaxCelNameLength = 7;

// One image to store, in file order.
struct CelImageInput {
  std::string name;
  std::uint16_t width = 0;
  std::uint16_t height = 0;
  std::vector<std::uint8_t> pixels; // width × height palette indices, top row first
};

// A CEL file, or why it could not be made.
struct CelBuild {
  std::vector<std::uint8_t> bytes; // empty when `problem` is set
  std::string problem;             // names the offending image
  bool ok() const { return problem.empty(); }
};

// The CEL file: its tables, then one record per picture in the same order.
// Refused: more than 65535 pictures; a name that would not read back as
// itself (empty, over 7 characters, holding a zero byte or a space); a pixel
// count other than width × height; a file whose offsets would pass 4 GiB.
CelBuild BuildCelFile(std::span<const CelImageInput> pictures);

// One palette entry, each value a 6-bit intensity (0 to 63).
struct PalColour {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
};

// The 768-byte PAL file; nullopt when a value is above 63 (the converter
// would lose its upper bits).
std::optional<std::array<std::uint8_t, kPalSize>> BuildPalFile(std::span<const PalColour, 256> colours);

} // namespace kv
