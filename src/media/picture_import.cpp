#include "media/picture_import.h"

namespace kv {
namespace {

// The converter's 8-bit component of a PAL value (bits above the sixth are lost).
int Shown(std::uint8_t value) {
  return (value & 63) << 2;
}

bool Matches(const BmpColour& colour, Palette palette, std::size_t entry) {
  return (colour.red >> 2) == (palette[3 * entry] & 63) &&
         (colour.green >> 2) == (palette[3 * entry + 1] & 63) &&
         (colour.blue >> 2) == (palette[3 * entry + 2] & 63);
}

int Distance(const BmpColour& colour, Palette palette, std::size_t entry) {
  const int red = colour.red - Shown(palette[3 * entry]),
            green = colour.green - Shown(palette[3 * entry + 1]),
            blue = colour.blue - Shown(palette[3 * entry + 2]);
  return red * red + green * green + blue * blue;
}

// The first entry that shows `colour`, or 256 when none does.
std::size_t FirstMatch(const BmpColour& colour, Palette palette) {
  std::size_t entry = 0;
  while (entry < 256 && !Matches(colour, palette, entry))
    ++entry;
  return entry;
}

} // namespace

PaletteMapping MapToPalette(const BmpPicture& picture, Palette palette) {
  std::array<std::uint8_t, 256> target{};
  std::array<bool, 256> changes{};
  for (std::size_t index = 0; index < 256; ++index) {
    const BmpColour& colour = picture.colours[index];
    std::size_t best = index;
    if (!Matches(colour, palette, index)) best = FirstMatch(colour, palette);
    if (best == 256) {
      changes[index] = true;
      best = 0;
      for (std::size_t entry = 1; entry < 256; ++entry)
        if (Distance(colour, palette, entry) < Distance(colour, palette, best)) best = entry;
    }
    target[index] = static_cast<std::uint8_t>(best);
  }
  PaletteMapping mapping;
  mapping.pixels.reserve(picture.pixels.size());
  for (const std::uint8_t pixel : picture.pixels) {
    mapping.pixels.push_back(target[pixel]);
    mapping.changed += changes[pixel] ? 1 : 0;
  }
  return mapping;
}

std::string CelImageNameFor(const std::string& path) {
  const std::string base = CelBaseName(path);
  const std::size_t underscore = base.find('_');
  return underscore == std::string::npos ? base : base.substr(underscore + 1);
}

std::array<std::uint8_t, kPalSize> PaletteOfPicture(const BmpPicture& picture) {
  std::array<std::uint8_t, kPalSize> pal{};
  for (std::size_t i = 0; i < 256; ++i) {
    pal[3 * i] = static_cast<std::uint8_t>(picture.colours[i].red >> 2);
    pal[3 * i + 1] = static_cast<std::uint8_t>(picture.colours[i].green >> 2);
    pal[3 * i + 2] = static_cast<std::uint8_t>(picture.colours[i].blue >> 2);
  }
  return pal;
}

} // namespace kv
