// The layout byte for byte; reading several pictures back is checked on the
// sample folder's TITLE.CEL (sample_folder_test.cpp).
#include <gtest/gtest.h>

#include "media/cel_writer.h"

namespace kv {
namespace {

CelImageInput Picture(std::string name, std::uint16_t width, std::uint16_t height) {
  CelImageInput picture{std::move(name), width, height,
                        std::vector<std::uint8_t>(std::size_t{width} * height)};
  for (std::size_t i = 0; i < picture.pixels.size(); ++i)
    picture.pixels[i] = static_cast<std::uint8_t>(1 + i);
  return picture;
}

TEST(CelWriter, WritesTheLayoutOfTheFormatNotes) {
  // One 3 x 2 image named AB, as the reader's notes draw it.
  const std::vector<std::uint8_t> expected = {
      0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 'A',  'B',  ' ', ' ', ' ', ' ', ' ', ' ',
      0x00, 0x00, 0x00, 0x00, 0x03, 0x00, 0x02, 0x00, 0,   0,   0,   0,   0,   0,
      0,    0,    0,    0,    0,    0,    0,    0,    1,   2,   3,   4,   5,   6};
  const CelImageInput pictures[] = {Picture("AB", 3, 2)};
  EXPECT_EQ(BuildCelFile(pictures).bytes, expected);
  EXPECT_EQ(BuildCelFile({}).bytes, std::vector<std::uint8_t>(6, 0));
}

TEST(CelWriter, RefusesPicturesThatWouldNotReadBackAsGiven) {
  struct Case {
    CelImageInput picture;
    std::string problem;
  };
  CelImageInput short_pixels = Picture("SHORT", 3, 3);
  short_pixels.pixels.pop_back();
  const Case cases[] = {
      {Picture("", 1, 1), ": the name is empty"},
      {Picture("EIGHTCHR", 1, 1), "EIGHTCHR: the name has 8 characters; an image name holds at most 7"},
      {Picture("A B", 1, 1), "A B: the name holds a space"},
      {Picture(" AB", 1, 1), " AB: the name holds a space"},
      {Picture(std::string("A\0B", 3), 1, 1), std::string("A\0B: the name holds a zero byte", 31)},
      {short_pixels, "SHORT: 8 pixels for 3 x 3"},
  };
  for (const Case& c : cases) {
    const CelImageInput pictures[] = {Picture("OK", 2, 2), c.picture};
    const CelBuild build = BuildCelFile(pictures);
    EXPECT_EQ(build.problem.substr(0, c.problem.size()), c.problem);
    EXPECT_TRUE(build.bytes.empty());
  }
  const std::vector<CelImageInput> too_many(65536, Picture("X", 0, 0));
  EXPECT_EQ(BuildCelFile(too_many).problem, "65536 images are too many for one file (at most 65535)");
}

} // namespace
} // namespace kv
