// Format notes.
//
// All numbers are little-endian.
//
// CEL file: a container of named 8-bit indexed images.
//
//   offset 0           4 bytes    not read
//   offset 4           u16        image count N
//   offset 6           N x 8      name records, in image order
//   offset 6 + 8N      N x u32    image offsets, counted from 6 + 12N, the end of this table
//   6 + 12N + offset   record     u16 width W, u16 height H, 14 bytes not read,
//                                 then W x H palette indices, top row first, rows unpadded
//
// A name is the record's first seven bytes (the eighth never counts), up to
// the first zero byte, and it ends before the first space that follows a
// non-space: "AB  CD  " names AB, " AB     " names " AB".
//
// Example, one 3 x 2 image named AB (42 bytes):
//
//   00 00 00 00  01 00  41 42 20 20 20 20 20 20  00 00 00 00
//   03 00 02 00  (14 bytes)  01 02 03  04 05 06
//
// PAL file: exactly 768 bytes, 256 entries of red, green, blue, each 0 to 63.
//
// BMP written per image: the 14-byte file header ("BM", file size, 0, 0,
// pixel offset 1078), the 40-byte information header (W, -H so that the first
// row stored is the top one, 1 plane, 8 bits, no compression, the rest 0),
// 256 colour entries of blue, green, red, 0 (each PAL value shifted left by
// two within its byte: 63 becomes 252, 64 becomes 0), then the H rows, each W
// bytes and zeros up to the stride S, W rounded up to a multiple of 4.
//
// Bounds policy. The tables and every image's place and size come from the
// file and are checked against its length before anything is read; nothing
// is read beyond the buffer. A file too short for its count or for its two
// tables is refused whole (CelContents::Status): without the tables no image
// can be found, and such a file is most likely not a CEL file at all. An
// image whose record or pixels run past the end is marked BeyondEnd and the
// others stay usable: a file cut short loses only its last images, and the
// user still gets every image that is there.
//
// Images are located here but converted one at a time (BuildBmp): many
// offsets may point at the same large record, so converting them all at once
// could take far more memory than the file's size suggests.
#include "media/cel_image.h"

#include <algorithm>
#include <limits>
#include <string_view>

#include "core/little_endian.h"
#include "platform/platform.h"

namespace kv {
namespace {

// Bounded little-endian reads over one buffer. A read that would pass the
// end yields 0 and clears ok(); the caller checks ok() after a record.
class ByteReader {
public:
  explicit ByteReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  bool ok() const { return ok_; }
  // True when `size` bytes from `offset` lie within the buffer.
  bool Holds(std::uint64_t offset, std::uint64_t size) const {
    return offset <= bytes_.size() && size <= bytes_.size() - offset;
  }
  std::uint16_t U16(std::uint64_t offset) {
    if (!Holds(offset, 2)) return Fail();
    const auto at = static_cast<std::size_t>(offset);
    return static_cast<std::uint16_t>(bytes_[at] | bytes_[at + 1] << 8);
  }
  std::uint32_t U32(std::uint64_t offset) {
    if (!Holds(offset, 4)) return Fail();
    const auto at = static_cast<std::size_t>(offset);
    return std::uint32_t{bytes_[at]} | std::uint32_t{bytes_[at + 1]} << 8 |
           std::uint32_t{bytes_[at + 2]} << 16 | std::uint32_t{bytes_[at + 3]} << 24;
  }

private:
  std::uint16_t Fail() {
    ok_ = false;
    return 0;
  }

  std::span<const std::uint8_t> bytes_;
  bool ok_ = true;
};

constexpr std::uint64_t kMaxBmpSize = kBmpPixelOffset + std::uint64_t{65536} * 65535;
static_assert(kMaxBmpSize <= std::numeric_limits<std::uint32_t>::max(),
              "the largest image a CEL file can describe still fits a BMP's 32-bit size");

constexpr std::uint64_t kCelTablesOffset = kCelCountOffset + 2;
constexpr std::uint64_t kCelOffsetSize = 4;

} // namespace

std::string CelImageName(std::span<const std::uint8_t, kCelNameRecordSize> record) {
  std::size_t length = 0;
  while (length < kCelNameRecordSize - 1 && record[length] != 0)
    ++length;
  bool seen_non_space = false;
  for (std::size_t i = 0; i < length; ++i) {
    if (record[i] != ' ') {
      seen_non_space = true;
    } else if (seen_non_space) {
      length = i;
      break;
    }
  }
  return std::string(record.begin(), record.begin() + static_cast<std::ptrdiff_t>(length));
}

CelContents ReadCel(std::span<const std::uint8_t> cel) {
  CelContents contents;
  ByteReader reader(cel);
  contents.count = reader.U16(kCelCountOffset);
  if (!reader.ok()) {
    contents.status = CelContents::NoImageCount;
    return contents;
  }
  const std::uint64_t count = contents.count;
  const std::uint64_t offsets_at = kCelTablesOffset + kCelNameRecordSize * count;
  const std::uint64_t records_base = offsets_at + kCelOffsetSize * count;
  if (!reader.Holds(kCelTablesOffset, records_base - kCelTablesOffset)) {
    contents.status = CelContents::TablesBeyondEnd;
    return contents;
  }

  contents.images.reserve(contents.count);
  for (std::uint64_t i = 0; i < count; ++i) {
    CelImage image;
    const auto name_at = static_cast<std::size_t>(kCelTablesOffset + kCelNameRecordSize * i);
    image.name = CelImageName(cel.subspan(name_at).first<kCelNameRecordSize>());

    // The offset is 32 bits and the base below 2^20: the sum cannot wrap in 64.
    const std::uint64_t record_at = records_base + reader.U32(offsets_at + kCelOffsetSize * i);
    ByteReader record(cel);
    image.width = record.U16(record_at);
    image.height = record.U16(record_at + 2);
    const std::uint64_t pixels_at = record_at + kCelImageHeaderSize;
    const std::uint64_t pixel_count = std::uint64_t{image.width} * image.height;
    if (!record.ok() || !record.Holds(pixels_at, pixel_count)) {
      image.status = CelImage::BeyondEnd;
    } else {
      image.pixels = static_cast<std::size_t>(pixels_at);
    }
    contents.images.push_back(std::move(image));
  }
  return contents;
}

std::uint32_t BmpRowStride(std::uint16_t width) {
  return (std::uint32_t{width} + 3) & ~std::uint32_t{3};
}

std::uint32_t BmpFileSize(std::uint16_t width, std::uint16_t height) {
  return static_cast<std::uint32_t>(kBmpPixelOffset + std::uint64_t{BmpRowStride(width)} * height);
}

std::vector<std::uint8_t> BuildBmp(std::span<const std::uint8_t> cel, const CelImage& image,
                                   Palette palette) {
  const std::size_t width = image.width;
  const std::size_t height = image.height;
  if (image.status != CelImage::Intact ||
      !ByteReader(cel).Holds(image.pixels, std::uint64_t{width} * height)) {
    return {};
  }
  const std::uint32_t size = BmpFileSize(image.width, image.height);
  std::vector<std::uint8_t> bmp(size, 0);
  std::uint8_t* const out = bmp.data();

  out[0] = 'B';
  out[1] = 'M';
  StoreLE32(out + 2, size);
  StoreLE32(out + 10, kBmpPixelOffset);
  StoreLE32(out + 14, 40);
  StoreLE32(out + 18, image.width);
  StoreLE32(out + 22, static_cast<std::uint32_t>(-static_cast<std::int32_t>(image.height)));
  StoreLE16(out + 26, 1);
  StoreLE16(out + 28, 8);
  // Compression, image size, resolutions and colour counts stay 0.

  for (std::size_t i = 0; i < 256; ++i) {
    std::uint8_t* const entry = out + 54 + 4 * i;
    entry[0] = static_cast<std::uint8_t>(palette[3 * i + 2] << 2);
    entry[1] = static_cast<std::uint8_t>(palette[3 * i + 1] << 2);
    entry[2] = static_cast<std::uint8_t>(palette[3 * i] << 2);
  }

  const std::size_t stride = BmpRowStride(image.width);
  const std::uint8_t* row = cel.data() + image.pixels;
  for (std::size_t y = 0; width != 0 && y < height; ++y, row += width) {
    std::copy(row, row + width, out + kBmpPixelOffset + y * stride);
  }
  return bmp;
}

std::string CelBaseName(const std::string& path) {
  const std::string name = platform::FileNameOf(path);
  const std::size_t dot = name.find_last_of('.');
  if (dot == std::string::npos || dot + 1 == name.size()) return name;
  return name.substr(0, dot);
}

std::string SuggestedBmpName(const std::string& base, const std::string& image_name) {
  return PlainFileName(base + "_" + image_name + ".BMP");
}

std::string PlainFileName(std::string name) {
  for (char& c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7F || std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos)
      c = '_';
  }
  return name;
}

} // namespace kv
