// ReadBmp on arbitrary bytes taken as a BMP file, copied into a heap block of
// its own size so that a read past its end is caught. A picture read holds
// width × height pixels; mapped into a fixed palette and written as a CEL
// image, converted back to a BMP and read again, it maps to the same pixels
// with none changed: the way out and the way back agree.
#include <vector>

#include "media/bmp_reader.h"
#include "media/cel_image.h"
#include "media/cel_writer.h"
#include "media/picture_import.h"
#include "support/cel_builder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::vector<std::uint8_t> pal = kv::test::TestPalette();
  const kv::Palette palette(pal.data(), kv::kPalSize);
  const std::vector<std::uint8_t> file(data, data + size);
  const kv::BmpReading reading = kv::ReadBmp(file);
  if (!reading.picture) {
    if (reading.problem.empty()) __builtin_trap();
    return 0;
  }
  const kv::BmpPicture& picture = *reading.picture;
  if (picture.pixels.size() != std::size_t{picture.width} * picture.height) __builtin_trap();
  const kv::PaletteMapping mapping = kv::MapToPalette(picture, palette);
  if (mapping.pixels.size() != picture.pixels.size() || mapping.changed > picture.pixels.size())
    __builtin_trap();
  const kv::CelImageInput image[] = {{"FUZZ", picture.width, picture.height, mapping.pixels}};
  const std::vector<std::uint8_t> cel = kv::BuildCelFile(image).bytes;
  const kv::CelContents contents = kv::ReadCel(cel);
  if (contents.images.size() != 1) __builtin_trap();
  const kv::BmpReading again = kv::ReadBmp(kv::BuildBmp(cel, contents.images[0], palette));
  if (!again.picture) __builtin_trap();
  const kv::PaletteMapping back = kv::MapToPalette(*again.picture, palette);
  if (back.pixels != mapping.pixels || back.changed != 0) __builtin_trap();
  return 0;
}
