// ReadCel and BuildBmp on arbitrary bytes taken as a CEL file, with a fixed
// palette. The input is copied into a heap block of its own size, so that a
// read past its end is caught; every BMP made is checked against its image.
#include <cstring>
#include <vector>

#include "core/little_endian.h"
#include "media/cel_image.h"
#include "support/cel_builder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::vector<std::uint8_t> pal = kv::test::TestPalette();
  const std::vector<std::uint8_t> cel(data, data + size);
  const kv::CelContents contents = kv::ReadCel(cel);
  if (contents.status != kv::CelContents::Ok) {
    if (!contents.images.empty()) __builtin_trap();
    return 0;
  }
  if (contents.images.size() != contents.count) __builtin_trap();
  for (const kv::CelImage& image : contents.images) {
    if (image.name.size() > 7 || image.name.find('\0') != std::string::npos) __builtin_trap();
    const std::vector<std::uint8_t> bmp = kv::BuildBmp(cel, image, kv::Palette(pal.data(), kv::kPalSize));
    if (image.status != kv::CelImage::Intact) {
      if (!bmp.empty()) __builtin_trap();
      continue;
    }
    const std::size_t stride = kv::BmpRowStride(image.width);
    if (bmp.size() != kv::kBmpPixelOffset + stride * image.height) __builtin_trap();
    if (kv::LoadLE32(&bmp[2]) != bmp.size() || kv::LoadLE32(&bmp[18]) != image.width ||
        kv::LoadLE32(&bmp[22]) != static_cast<std::uint32_t>(-static_cast<std::int32_t>(image.height)))
      __builtin_trap();
    for (std::size_t y = 0; image.width != 0 && y < image.height; ++y) {
      const std::uint8_t* row = bmp.data() + kv::kBmpPixelOffset + y * stride;
      if (std::memcmp(row, cel.data() + image.pixels + y * image.width, image.width) != 0) __builtin_trap();
      for (std::size_t pad = image.width; pad < stride; ++pad)
        if (row[pad] != 0) __builtin_trap();
    }
    const std::string name = kv::SuggestedBmpName("BASE", image.name);
    if (name.find_first_of("\\/:*?\"<>|") != std::string::npos) __builtin_trap();
  }
  return 0;
}
