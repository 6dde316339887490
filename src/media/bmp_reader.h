// Reading 8-bit indexed BMP files, to make CEL images of them. Pure: bytes
// in, the picture (or why it cannot be read) out. The format notes and the
// bounds policy are at the top of bmp_reader.cpp.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace kv {

// One colour of a BMP's colour table, 8 bits a component.
struct BmpColour {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  bool operator==(const BmpColour&) const = default;
};

// The largest side of a picture that a CEL image can hold.
inline constexpr std::uint32_t kMaxCelSide = 65535;

struct BmpPicture {
  std::uint16_t width = 0;
  std::uint16_t height = 0;
  // All 256 entries: those the file's table leaves out are black.
  std::array<BmpColour, 256> colours{};
  std::vector<std::uint8_t> pixels; // width × height colour indices, top row first
};

// A picture, or why the file cannot be read as one, as a phrase ("it has 24
// bits per pixel; only 8-bit indexed BMP files are read").
struct BmpReading {
  std::optional<BmpPicture> picture;
  std::string problem;
};

BmpReading ReadBmp(std::span<const std::uint8_t> file);

} // namespace kv
