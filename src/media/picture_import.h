// BMP pictures made into CEL images, the way back from the BMP files that
// the converter writes: each pixel's colour found in a PAL palette. Pure.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "media/bmp_reader.h"
#include "media/cel_image.h"

namespace kv {

// A picture's pixels as indices into a palette, and how many of them took
// another colour than their own.
struct PaletteMapping {
  std::vector<std::uint8_t> pixels;
  std::size_t changed = 0;
};

// Each colour of the picture's table becomes the palette entry of the same
// colour as the converter shows it (each 6-bit value shifted left by two,
// so that an 8-bit component matches when its upper six bits do): the entry
// of its own index when that one matches, so that a BMP written by the
// converter comes back with its indices unchanged, else the first that
// matches; a colour that none matches takes the nearest entry (least sum of
// squared differences), and its pixels count as changed.
PaletteMapping MapToPalette(const BmpPicture& picture, Palette palette);

// The image name for a BMP file, the inverse of the converter's file names
// BASE_NAME.BMP: the file's name without folder and extension, from after
// its first '_' when it has one (TITLE_LOGO.BMP gives LOGO, LOGO.BMP too).
std::string CelImageNameFor(const std::string& path);

// The PAL file of a picture's own colour table: each component's upper six bits.
std::array<std::uint8_t, kPalSize> PaletteOfPicture(const BmpPicture& picture);

} // namespace kv
