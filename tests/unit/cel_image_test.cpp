#include <cstdio>
#include <memory>

#include <gtest/gtest.h>

#include "media/cel_image.h"
#include "support/cel_builder.h"
#include "support/temp_dir.h"

namespace kv {
namespace {

using test::AsymmetricPicture;
using test::BmpIndexAt;
using test::BmpU32;
using test::BuildCel;
using Bytes = std::vector<std::uint8_t>;

const Bytes kPalette = test::TestPalette();

Bytes Convert(const Bytes& cel, std::size_t index, const Bytes& pal = kPalette) {
  return BuildBmp(cel, ReadCel(cel).images.at(index), Palette(pal.data(), kPalSize));
}

std::string Name(const char (&record)[9]) {
  std::array<std::uint8_t, 8> bytes{};
  std::copy(record, record + 8, bytes.begin());
  return CelImageName(bytes);
}

TEST(CelImage, TheFormatNotesExampleGivesATopDownBmpWithPaddedRows) {
  Bytes cel = {0, 0, 0, 0, 1, 0, 'A', 'B', ' ', ' ', ' ', ' ', ' ', ' ', 0, 0, 0, 0, 3, 0, 2, 0};
  cel.resize(cel.size() + 14);
  cel.insert(cel.end(), {1, 2, 3, 4, 5, 6});
  ASSERT_EQ(cel.size(), 42u);
  ASSERT_EQ(ReadCel(cel).images.at(0).name, "AB");
  const Bytes bmp = Convert(cel, 0);
  const Bytes headers = {'B', 'M', 0x3E, 4, 0,    0,    0,    0,    0, 0, 0x36, 4, 0, 0, 40, 0, 0, 0,
                         3,   0,   0,    0, 0xFE, 0xFF, 0xFF, 0xFF, 1, 0, 8,    0, 0, 0, 0,  0, 0, 0,
                         0,   0,   0,    0, 0,    0,    0,    0,    0, 0, 0,    0, 0, 0, 0,  0, 0, 0};
  ASSERT_EQ(bmp.size(), 1078u + 4 * 2);
  EXPECT_EQ(Bytes(bmp.begin(), bmp.begin() + 54), headers);
  EXPECT_EQ(Bytes(bmp.begin() + 1078, bmp.end()), (Bytes{1, 2, 3, 0, 4, 5, 6, 0}));
}

TEST(CelImage, EveryWidthGetsItsStrideAndEmptyImagesOnlyHeaders) {
  for (std::uint16_t height : {0, 3}) {
    for (std::uint16_t width = 0; width <= 9; ++width) {
      SCOPED_TRACE(std::to_string(width) + " x " + std::to_string(height));
      const test::CelPicture picture = AsymmetricPicture("W", width, height);
      const Bytes bmp = Convert(BuildCel({picture}), 0);
      const std::size_t stride = (width + 3u) / 4 * 4;
      ASSERT_EQ(bmp.size(), 1078 + stride * height);
      EXPECT_EQ(BmpU32(bmp, 2), bmp.size());
      EXPECT_EQ(static_cast<std::int32_t>(BmpU32(bmp, 18)), width);
      EXPECT_EQ(static_cast<std::int32_t>(BmpU32(bmp, 22)), -height);
      for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x)
          EXPECT_EQ(BmpIndexAt(bmp, x, y), picture.pixels[y * width + x]);
        for (std::size_t pad = width; pad < stride; ++pad)
          EXPECT_EQ(bmp[1078 + y * stride + pad], 0);
      }
    }
  }
  EXPECT_EQ(BmpFileSize(65535, 65535), 1078u + 65536u * 65535u) << "the largest image fits 32 bits";
}

TEST(CelImage, PaletteValuesAreShiftedWithinTheirByteInBlueGreenRedOrder) {
  const Bytes pal = test::BuildPalette([](int i) {
    if (i == 0) return test::Rgb{0, 1, 63};
    if (i == 1) return test::Rgb{64, 63, 255};
    return test::Rgb{static_cast<std::uint8_t>(i % 64), 0, 0};
  });
  const Bytes bmp = Convert(BuildCel({AsymmetricPicture("P", 1, 1)}), 0, pal);
  const auto entry = [&](int i) { return Bytes(bmp.begin() + 54 + 4 * i, bmp.begin() + 58 + 4 * i); };
  EXPECT_EQ(entry(0), (Bytes{252, 4, 0, 0}));
  EXPECT_EQ(entry(1), (Bytes{252, 252, 0, 0})) << "64 becomes 0, 255 becomes 252";
  EXPECT_EQ(entry(37), (Bytes{0, 0, 148, 0})) << "red lands in the third byte";
}

TEST(CelImage, NamesEndAtTheSeventhByteAZeroOrASpaceAfterText) {
  EXPECT_EQ(Name("AB  CD  "), "AB");
  EXPECT_EQ(Name("ABCDEFGH"), "ABCDEFG");
  EXPECT_EQ(Name(" AB     "), " AB");
  EXPECT_EQ(Name("AB\0CD   "), "AB");
  EXPECT_EQ(Name("\0BCDEFGH"), "");
  EXPECT_EQ(Name("        "), "       ");
}

TEST(CelImage, OutputNamesArePlainFileNamesAfterTheCelsBaseName) {
  const std::pair<const char*, const char*> bases[] = {
      {"C:\\ART\\TITLE.CEL", "TITLE"},
      {"/art/a.b.CEL", "a.b"},
      {"TITLE", "TITLE"},
      {"TITLE.", "TITLE."},
      {"dir.v2/TITLE", "TITLE"},
      {".CEL", ""},
  };
  for (const auto& [path, base] : bases)
    EXPECT_EQ(CelBaseName(path), base) << path;
  EXPECT_EQ(SuggestedBmpName("TITLE", " AB"), "TITLE_ AB.BMP");
  EXPECT_EQ(SuggestedBmpName("a:b", "\\/*?\"<>"), "a_b________.BMP");
  EXPECT_EQ(SuggestedBmpName("T", "|\x01\x1F\x7F\xC9"), "T_____\xC9.BMP") << "bytes above 127 are letters";
}

TEST(CelImage, AFileTooShortForItsTablesIsRefusedWhole) {
  const Bytes three =
      BuildCel({AsymmetricPicture("A", 2, 2), AsymmetricPicture("B", 2, 2), AsymmetricPicture("C", 1, 1)});
  const auto prefix = [&](std::size_t size) { return Bytes(three.begin(), three.begin() + size); };
  Bytes huge_count = prefix(6 + 12 * 3);
  huge_count[4] = huge_count[5] = 0xFF;
  const std::pair<Bytes, CelContents::Status> cases[] = {
      {{}, CelContents::NoImageCount},
      {prefix(5), CelContents::NoImageCount},
      {prefix(6), CelContents::TablesBeyondEnd},
      {prefix(6 + 12 * 3 - 1), CelContents::TablesBeyondEnd},
      {huge_count, CelContents::TablesBeyondEnd},
  };
  for (const auto& [bytes, status] : cases) {
    EXPECT_EQ(ReadCel(bytes).status, status) << bytes.size() << " bytes";
    EXPECT_TRUE(ReadCel(bytes).images.empty());
  }
  EXPECT_EQ(ReadCel(prefix(6 + 12 * 3)).images.size(), 3u) << "whole tables are read even with no images";
}

TEST(CelImage, AnImagePastTheEndIsMarkedAndTheOthersStayUsable) {
  // A, MID and C, with MID's record last in the file: cutting the end or
  // moving MID's offset damages MID alone.
  Bytes whole =
      BuildCel({AsymmetricPicture("A", 3, 2), AsymmetricPicture("C", 2, 2), AsymmetricPicture("MID", 2, 2)});
  std::swap_ranges(whole.begin() + 14, whole.begin() + 22, whole.begin() + 22);
  std::swap_ranges(whole.begin() + 34, whole.begin() + 38, whole.begin() + 38);
  ASSERT_EQ(ReadCel(whole).images.at(1).status, CelImage::Intact);

  std::vector<Bytes> damaged;
  for (std::size_t cut : {1, 4, 20, 22})
    damaged.emplace_back(whole.begin(), whole.end() - cut);
  for (std::uint32_t offset : {0xFFFFFFFFu, 0xFFFFFFFFu - 20, 0x80000000u}) {
    damaged.push_back(whole);
    for (int i = 0; i < 4; ++i)
      damaged.back()[34 + i] = static_cast<std::uint8_t>(offset >> (8 * i));
  }
  damaged.push_back(whole);
  std::fill(damaged.back().end() - 22, damaged.back().end() - 18, 0xFF); // 65535 x 65535
  for (const Bytes& cel : damaged) {
    SCOPED_TRACE(&cel - damaged.data());
    const CelContents contents = ReadCel(cel);
    ASSERT_EQ(contents.images.size(), 3u);
    EXPECT_EQ(contents.images[1].name, "MID");
    EXPECT_EQ(contents.images[1].status, CelImage::BeyondEnd);
    EXPECT_TRUE(BuildBmp(cel, contents.images[1], Palette(kPalette.data(), kPalSize)).empty());
    EXPECT_EQ(BmpIndexAt(Convert(cel, 0), 2, 1), 6);
    EXPECT_EQ(BmpIndexAt(Convert(cel, 2), 1, 1), 4);
  }
}

// ImageMagick as an independent reader: every pixel of an odd-width image,
// by position and colour.
TEST(CelImage, ImageMagickReadsTheBmpAsBuilt) {
  if (std::system("convert -version > /dev/null 2>&1") != 0) GTEST_SKIP() << "ImageMagick is not installed";
  test::TempDir dir;
  const test::CelPicture picture = AsymmetricPicture("W", 5, 3);
  test::WriteBytes(dir.File("w.bmp"), Convert(BuildCel({picture}), 0));
  const std::string command = "convert '" + dir.File("w.bmp") + "' txt:- 2>&1";
  const std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  ASSERT_NE(pipe, nullptr);
  char line[256];
  int pixels = 0;
  while (std::fgets(line, sizeof line, pipe.get()) != nullptr) {
    int x = 0, y = 0, red = 0, green = 0, blue = 0;
    if (std::sscanf(line, "%d,%d: (%d,%d,%d)", &x, &y, &red, &green, &blue) != 5) continue;
    ++pixels;
    const test::Rgb want = test::TestPaletteColour(picture.pixels.at(static_cast<std::size_t>(y * 5 + x)));
    EXPECT_EQ((test::Rgb{static_cast<std::uint8_t>(red), static_cast<std::uint8_t>(green),
                         static_cast<std::uint8_t>(blue)}),
              (test::Rgb{static_cast<std::uint8_t>(want.red * 4), static_cast<std::uint8_t>(want.green * 4),
                         static_cast<std::uint8_t>(want.blue * 4)}))
        << x << "," << y;
  }
  EXPECT_EQ(pixels, 15);
}

} // namespace
} // namespace kv
