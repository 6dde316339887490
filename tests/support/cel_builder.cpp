#include "support/cel_builder.h"

#include <algorithm>

#include "core/little_endian.h"

namespace kv::test {

CelPicture AsymmetricPicture(const std::string& name, std::uint16_t width, std::uint16_t height) {
  CelPicture picture{name, width, height, {}, std::nullopt};
  picture.pixels.resize(std::size_t{width} * height);
  for (std::size_t i = 0; i < picture.pixels.size(); ++i)
    picture.pixels[i] = static_cast<std::uint8_t>(1 + i);
  return picture;
}

std::vector<std::uint8_t> BuildCel(const std::vector<CelPicture>& pictures) {
  const std::size_t count = pictures.size();
  const std::size_t records_base = 6 + 12 * count;
  std::vector<std::uint8_t> cel(records_base, 0);
  cel[0] = 'C'; // the first four bytes are never read
  StoreLE16(cel, 4, static_cast<std::uint32_t>(count));
  for (std::size_t i = 0; i < count; ++i) {
    const CelPicture& picture = pictures[i];
    std::string record = picture.name_record.substr(0, 8);
    record.resize(8, ' ');
    std::copy(record.begin(), record.end(), cel.begin() + static_cast<std::ptrdiff_t>(6 + 8 * i));

    const std::size_t record_at = cel.size();
    StoreLE32(cel, 6 + 8 * count + 4 * i,
              picture.offset.value_or(static_cast<std::uint32_t>(record_at - records_base)));
    cel.resize(record_at + 18, 0xEE); // the 14 unread bytes are not zero
    StoreLE16(cel, record_at, picture.width);
    StoreLE16(cel, record_at + 2, picture.height);
    cel.insert(cel.end(), picture.pixels.begin(), picture.pixels.end());
  }
  return cel;
}

std::vector<std::uint8_t> TestPalette() {
  std::vector<std::uint8_t> pal;
  for (int i = 0; i < 256; ++i)
    pal.insert(pal.end(), {static_cast<std::uint8_t>(i * 5 % 64), static_cast<std::uint8_t>(i / 4),
                           static_cast<std::uint8_t>(63 - i % 64)});
  return pal;
}

} // namespace kv::test
