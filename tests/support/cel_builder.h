// Builders of CEL images and PAL palettes for tests.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kv::test {

// One image of a CEL file.
struct CelPicture {
  // The 8-byte name record: cut to 8 bytes, or padded with spaces up to 8.
  std::string name_record;
  std::uint16_t width = 0;
  std::uint16_t height = 0;
  // width x height palette indices, top row first; fewer bytes make a record
  // cut short (for files that end inside an image).
  std::vector<std::uint8_t> pixels;
  // The value for the offset table; by default the records follow each other.
  std::optional<std::uint32_t> offset;
};

// An asymmetric picture that shows a flip, a lost pad byte or a shift: the
// pixel at (x, y) is 1 + x + width * y, so no two pixels of a small picture
// are alike and every row differs from its mirror.
CelPicture AsymmetricPicture(const std::string& name, std::uint16_t width, std::uint16_t height);

// A CEL file holding `pictures` in order, each record after the tables.
std::vector<std::uint8_t> BuildCel(const std::vector<CelPicture>& pictures);

// A 768-byte palette whose entries all differ in red and blue: entry i is
// red (i * 5) % 64, green i / 4, blue 63 - i % 64.
std::vector<std::uint8_t> TestPalette();

} // namespace kv::test
