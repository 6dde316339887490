// ReadCel and BuildBmp on arbitrary bytes taken as a CEL file, with a fixed
// palette. The input is copied into a heap block of its own size, so that a
// read past its end is caught; every BMP made is checked against its image.
#include <cstdlib>
#include <cstring>
#include <vector>

#include "core/little_endian.h"
#include "media/cel_image.h"
#include "support/cel_builder.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const std::vector<std::uint8_t> pal = kv::test::TestPalette();
  const std::vector<std::uint8_t> cel(data, data + size);
  const kv::CelContents contents = kv::ReadCel(cel);
  if (contents.status != kv::CelContents::Ok) {
    Check(contents.images.empty());
    return 0;
  }
  Check(contents.images.size() == contents.count);
  for (const kv::CelImage& image : contents.images) {
    Check(image.name.size() <= 7 && image.name.find('\0') == std::string::npos);
    const std::vector<std::uint8_t> bmp = kv::BuildBmp(cel, image, kv::Palette(pal.data(), kv::kPalSize));
    if (image.status != kv::CelImage::Intact) {
      Check(bmp.empty());
      continue;
    }
    const std::size_t stride = kv::BmpRowStride(image.width);
    Check(bmp.size() == kv::kBmpPixelOffset + stride * image.height);
    Check(kv::LoadLE32(&bmp[2]) == bmp.size() && kv::LoadLE32(&bmp[18]) == image.width &&
          kv::LoadLE32(&bmp[22]) == static_cast<std::uint32_t>(-static_cast<std::int32_t>(image.height)));
    for (std::size_t y = 0; image.width != 0 && y < image.height; ++y) {
      const std::uint8_t* row = bmp.data() + kv::kBmpPixelOffset + y * stride;
      Check(std::memcmp(row, cel.data() + image.pixels + y * image.width, image.width) == 0);
      for (std::size_t pad = image.width; pad < stride; ++pad)
        Check(row[pad] == 0);
    }
    const std::string name = kv::SuggestedBmpName("BASE", image.name);
    Check(name.find_first_of("\\/:*?\"<>|") == std::string::npos);
  }
  return 0;
}
