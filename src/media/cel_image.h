// CEL image containers and their conversion to 8-bit BMP files. Pure code
// over bytes: nothing here touches files or the user. The layout of both
// formats and the bounds policy are described at the top of cel_image.cpp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace kv {

// A PAL file: 256 entries of red, green, blue, each a 6-bit intensity.
inline constexpr std::size_t kPalSize = 768;
using Palette = std::span<const std::uint8_t, kPalSize>;

inline constexpr std::size_t kCelCountOffset = 4;
inline constexpr std::size_t kCelNameRecordSize = 8;
inline constexpr std::size_t kCelImageHeaderSize = 18;
// File header, information header and the 256-entry colour table.
inline constexpr std::uint32_t kBmpPixelOffset = 1078;
// The longest file name that a 260-character buffer holds with its zero.
inline constexpr std::size_t kMaxFileNameLength = 259;

// One image of a CEL file, as its tables describe it.
struct CelImage {
  enum Status {
    Intact,    // its 18-byte record and all W x H pixels lie within the file
    BeyondEnd, // its record or its pixels would run past the end of the file
  };
  std::string name;        // from its name record (CelImageName); may hold any byte but zero
  std::uint16_t width = 0; // read only when the record's first 4 bytes lie within the file
  std::uint16_t height = 0;
  std::size_t pixels = 0; // offset of its top-left pixel in the file; meaningful when Intact
  Status status = Intact;
};

// What ReadCel found.
struct CelContents {
  enum Status {
    Ok,              // `images` holds one entry per image, in file order
    NoImageCount,    // the file ends before its image count (it is shorter than 6 bytes)
    TablesBeyondEnd, // the name table or the offset table runs past the end of the file
  };
  Status status = Ok;
  std::uint16_t count = 0; // the image count, when it could be read
  std::vector<CelImage> images;
};

// Reads a CEL file's tables and locates every image, reading nothing beyond
// `cel`. An image that lies beyond the end is listed as BeyondEnd.
CelContents ReadCel(std::span<const std::uint8_t> cel);

// An image's name: the record's first seven bytes up to the first zero byte,
// ending before the first space that follows a non-space.
std::string CelImageName(std::span<const std::uint8_t, kCelNameRecordSize> record);

// W rounded up to a multiple of 4.
std::uint32_t BmpRowStride(std::uint16_t width);
// 1078 + stride x H; always fits in 32 bits, however large W and H are.
std::uint32_t BmpFileSize(std::uint16_t width, std::uint16_t height);

// The BMP file of an Intact image of `cel`, coloured by `palette`. Empty when
// `image` does not lie within `cel`. Throws std::bad_alloc (or
// std::length_error) when its buffer cannot be had.
std::vector<std::uint8_t> BuildBmp(std::span<const std::uint8_t> cel, const CelImage& image, Palette palette);

// The CEL file name without folder and extension ("TITLE" for
// "C:\\ART\\TITLE.CEL", "a.b" for "a.b.CEL"). A name with no extension, or
// ending in a dot, is its own base name.
std::string CelBaseName(const std::string& path);

// "BASE_NAME.BMP", made a plain file name by PlainFileName. It may be longer
// than kMaxFileNameLength; the caller decides what to do then.
std::string SuggestedBmpName(const std::string& base, const std::string& image_name);

// `name` with every character that a file name cannot hold (\ / : * ? " < >
// | and the control characters) replaced by '_'.
std::string PlainFileName(std::string name);

} // namespace kv
