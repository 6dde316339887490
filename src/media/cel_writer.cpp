// Writes the CEL layout of cel_image.cpp: 4 zero bytes (never read), the
// image count, the name records (the name padded with spaces to 8 bytes),
// the offsets (each from the end of the offset table), then the image
// records back to back: width, height, 14 zero bytes, the rows unpadded.
#include "media/cel_writer.h"

#include "core/little_endian.h"
#include <algorithm>
#include <limits>

namespace kv {
namespace {

// Empty when the reader would give back exactly `name`.
std::string NameProblem(const std::string& name) {
  if (name.empty()) return "the name is empty";
  if (name.size() > kMaxCelNameLength) {
    return "the name has " + std::to_string(name.size()) + " characters; an image name holds at most " +
           std::to_string(kMaxCelNameLength);
  }
  if (name.find('\0') != std::string::npos) return "the name holds a zero byte";
  if (name.find(' ') != std::string::npos) return "the name holds a space, which would end or pad it";
  return {};
}

CelBuild Refuse(std::string problem) {
  return {{}, std::move(problem)};
}

} // namespace

CelBuild BuildCelFile(std::span<const CelImageInput> pictures) {
  const std::size_t count = pictures.size();
  if (count > std::numeric_limits<std::uint16_t>::max()) {
    return Refuse(std::to_string(count) + " images are too many for one file (at most 65535)");
  }
  for (const CelImageInput& picture : pictures) {
    if (const std::string problem = NameProblem(picture.name); !problem.empty()) {
      return Refuse(picture.name + ": " + problem);
    }
    if (picture.pixels.size() != std::size_t{picture.width} * picture.height) {
      return Refuse(picture.name + ": " + std::to_string(picture.pixels.size()) + " pixels for " +
                    std::to_string(picture.width) + " x " + std::to_string(picture.height));
    }
  }

  const std::size_t records_base = kCelCountOffset + 2 + (kCelNameRecordSize + 4) * count;
  std::vector<std::uint8_t> cel(records_base, 0);
  StoreLE16(cel, kCelCountOffset, static_cast<std::uint32_t>(count));
  for (std::size_t i = 0; i < count; ++i) {
    const CelImageInput& picture = pictures[i];
    const std::size_t name_at = kCelCountOffset + 2 + kCelNameRecordSize * i;
    std::fill_n(cel.begin() + static_cast<std::ptrdiff_t>(name_at), kCelNameRecordSize, ' ');
    std::copy(picture.name.begin(), picture.name.end(), cel.begin() + static_cast<std::ptrdiff_t>(name_at));

    const std::size_t offset = cel.size() - records_base;
    if (offset > std::numeric_limits<std::uint32_t>::max()) {
      return Refuse(picture.name + ": the file would pass 4 GiB here");
    }
    StoreLE32(cel, kCelCountOffset + 2 + kCelNameRecordSize * count + 4 * i,
              static_cast<std::uint32_t>(offset));
    const std::size_t record = cel.size();
    cel.resize(record + kCelImageHeaderSize, 0);
    StoreLE16(cel, record, picture.width);
    StoreLE16(cel, record + 2, picture.height);
    cel.insert(cel.end(), picture.pixels.begin(), picture.pixels.end());
  }
  return {std::move(cel), {}};
}

std::optional<std::array<std::uint8_t, kPalSize>> BuildPalFile(std::span<const PalColour, 256> colours) {
  std::array<std::uint8_t, kPalSize> pal{};
  for (std::size_t i = 0; i < colours.size(); ++i) {
    const PalColour& colour = colours[i];
    if (colour.red > 63 || colour.green > 63 || colour.blue > 63) return std::nullopt;
    pal[3 * i] = colour.red;
    pal[3 * i + 1] = colour.green;
    pal[3 * i + 2] = colour.blue;
  }
  return pal;
}

} // namespace kv
