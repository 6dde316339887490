// BMP format notes, as far as the picture import reads it.
//
// Integers are little-endian.
//
//   0   2  "BM"
//   2   4  file size (not needed)
//   10  4  offset of the pixel rows
//   14     the information header, its own size first:
//            12 (the old core header): width and height as 16-bit values,
//               planes, bits; colour table entries of 3 bytes, as many as
//               fit before the pixels
//            40 and more (the info header and its longer forms 52, 56, 64,
//               108, 124): 4 size, 4 width, 4 height (signed), 2 planes,
//               2 bits, 4 compression, 4 image size, 8 resolution, 4 colours
//               used (0: all 2^bits), 4 important; entries of 4 bytes
//   then   the colour table: blue, green, red (and a zero byte)
//   offset the rows, each padded to a multiple of 4 bytes; bottom row first
//          when the height is positive, top row first when it is negative
//
// Read are 8 bits per pixel, uncompressed (compression 0: one colour index a
// pixel) or run-length coded (compression 1, rows bottom up: pairs of a
// count and an index; a count of 0 followed by 0 ends a row, 1 the picture,
// 2 moves by the next two bytes, 3 or more gives that many indices as they
// are, padded to an even count). The colour table may hold fewer than 256
// entries; the rest are black.
//
// Bounds. The header, the table and every row are checked against the
// file's length as `at > length - size`, with sizes computed in 64 bits;
// a file that is short of any of them is refused whole. Coded rows stop at
// the end of the data, and a coded picture is held to 16 M pixels.
#include "media/bmp_reader.h"

#include <algorithm>
#include <cstring>

#include "core/little_endian.h"

namespace kv {
namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::uint32_t kCoreHeaderSize = 12;
constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kRle8 = 1;
// A run-length coded picture may claim far more pixels than its data hold.
constexpr std::int64_t kMaxRlePixels = 16 * 1024 * 1024;

BmpReading Refuse(std::string problem) {
  return {std::nullopt, std::move(problem)};
}

// The pixels of run-length coded rows, bottom row first as they are stored,
// top row first as they are returned; pixels that the codes leave out are 0.
// A code that reaches past the data ends it; pixels placed outside the
// picture are dropped.
std::vector<std::uint8_t> DecodeRle8(std::span<const std::uint8_t> data, std::uint16_t width,
                                     std::uint16_t height) {
  std::vector<std::uint8_t> pixels(std::size_t{width} * height, 0);
  std::size_t x = 0, y = 0; // y counts rows from the bottom
  const auto put = [&](std::uint8_t index) {
    if (x < width && y < height) pixels[(height - 1 - y) * std::size_t{width} + x] = index;
    ++x;
  };
  for (std::size_t at = 0; at + 2 <= data.size() && y < height;) {
    const std::uint8_t count = data[at], value = data[at + 1];
    at += 2;
    if (count != 0) {
      for (int i = 0; i < count; ++i)
        put(value);
    } else if (value == 0) { // end of the row
      x = 0;
      ++y;
    } else if (value == 1) { // end of the picture
      break;
    } else if (value == 2) { // a move right and up
      if (at + 2 > data.size()) break;
      x += data[at];
      y += data[at + 1];
      at += 2;
    } else { // `value` pixels as they are, padded to an even count
      if (value > data.size() - at) break;
      for (int i = 0; i < value; ++i)
        put(data[at + i]);
      at += value + value % 2;
    }
  }
  return pixels;
}

bool Holds(std::span<const std::uint8_t> file, std::uint64_t at, std::uint64_t size) {
  return size <= file.size() && at <= file.size() - size;
}

} // namespace

BmpReading ReadBmp(std::span<const std::uint8_t> file) {
  if (!Holds(file, 0, kFileHeaderSize + 4) || file[0] != 'B' || file[1] != 'M')
    return Refuse("it is not a BMP file (it does not start with BM)");
  const std::uint32_t pixel_offset = LoadLE32(file.data() + 10);
  const std::uint32_t header_size = LoadLE32(file.data() + kFileHeaderSize);
  const bool core = header_size == kCoreHeaderSize;
  if (!core && header_size < kInfoHeaderSize)
    return Refuse("its information header of " + std::to_string(header_size) + " bytes is of no known kind");
  if (!Holds(file, kFileHeaderSize, header_size)) return Refuse("it ends inside its information header");

  const std::uint8_t* info = file.data() + kFileHeaderSize;
  const std::int64_t width = core ? LoadLE16(info + 4) : static_cast<std::int32_t>(LoadLE32(info + 4));
  std::int64_t height = core ? LoadLE16(info + 6) : static_cast<std::int32_t>(LoadLE32(info + 8));
  const std::uint16_t bits = LoadLE16(info + (core ? 10 : 14));
  const std::uint32_t compression = core ? 0 : LoadLE32(info + 16);
  const std::uint64_t entry_size = core ? 3 : 4, table_at = kFileHeaderSize + std::uint64_t{header_size};
  // The core header does not count its table: it fills the room before the pixels.
  std::uint64_t table_entries =
      core ? std::min<std::uint64_t>(256, pixel_offset > table_at ? (pixel_offset - table_at) / 3 : 0)
           : LoadLE32(info + 32);
  if (bits != 8)
    return Refuse("it has " + std::to_string(bits) +
                  " bits per pixel; only 8-bit indexed BMP files are read");
  const bool top_down = height < 0;
  if (top_down) height = -height;
  if (compression != 0 && (compression != kRle8 || top_down))
    return Refuse("its pixels are compressed (method " + std::to_string(compression) +
                  "); read are uncompressed BMP files and run-length coded ones stored bottom up");
  if (width < 0 || width > kMaxCelSide || height > kMaxCelSide)
    return Refuse("it is " + std::to_string(width) + " x " + std::to_string(height) +
                  " pixels; a CEL image holds at most " + std::to_string(kMaxCelSide) + " x " +
                  std::to_string(kMaxCelSide));
  if (table_entries == 0 && !core) table_entries = 256;
  if (table_entries > 256)
    return Refuse("its colour table says " + std::to_string(table_entries) + " colours; 8 bits index 256");

  BmpPicture picture;
  if (!Holds(file, table_at, entry_size * table_entries)) return Refuse("it ends inside its colour table");
  for (std::size_t i = 0; i < table_entries; ++i) {
    const std::uint8_t* entry = file.data() + table_at + entry_size * i;
    picture.colours[i] = {entry[2], entry[1], entry[0]};
  }

  picture.width = static_cast<std::uint16_t>(width);
  picture.height = static_cast<std::uint16_t>(height);
  if (compression == kRle8) {
    if (width * height > kMaxRlePixels)
      return Refuse("its " + std::to_string(width * height) + " run-length coded pixels are more than the " +
                    std::to_string(kMaxRlePixels) + " read here");
    if (pixel_offset > file.size()) return Refuse("its pixel data lie past the end of the file");
    picture.pixels = DecodeRle8(file.subspan(pixel_offset), picture.width, picture.height);
    return {std::move(picture), {}};
  }
  const std::uint64_t stride = (static_cast<std::uint64_t>(width) + 3) / 4 * 4;
  if (!Holds(file, pixel_offset, stride * static_cast<std::uint64_t>(height)))
    return Refuse("its pixel rows run past the end of the file");
  picture.pixels.resize(static_cast<std::size_t>(width * height));
  for (std::int64_t row = 0; width != 0 && row < height; ++row) {
    const std::int64_t stored = top_down ? row : height - 1 - row;
    std::memcpy(picture.pixels.data() + row * width, file.data() + pixel_offset + stored * stride,
                static_cast<std::size_t>(width));
  }
  return {std::move(picture), {}};
}

} // namespace kv
