// TITLE.CEL and TITLE.PAL of the sample folder: pictures that a person
// recognises at a glance, so that a wrong row order, a lost pad byte or
// swapped colour channels show in the BMP files at once. Each picture is
// asymmetric (a sun on the right, a red square top left, a red end zone on
// the left, a pennant's hoist on the left, the ramps' dark ends on the left),
// and three have odd widths.
// Drawing is integer arithmetic only, so the bytes are the same everywhere.
#include <array>
#include <stdexcept>

#include "media/cel_writer.h"
#include "sample/sample_folder.h"

namespace kv {
namespace {

// The palette: named colours first, then four ramps.
enum Colour : std::uint8_t {
  kBlack = 0,
  kWhite = 1,
  kRed = 2,
  kBlue = 3,
  kYellow = 4,
  kBrown = 5,
  kDarkGreen = 6,
  kOrange = 7,
  kGrey = 8,
  kNavy = 9,
  kDarkRed = 10,
};
constexpr std::uint8_t kGreyRamp = 16;    // 64 entries, black to white
constexpr std::uint8_t kSkyRamp = 80;     // 64 entries, deep blue to pale blue
constexpr std::uint8_t kGrassRamp = 144;  // 64 entries, dark to light green
constexpr std::uint8_t kSunsetRamp = 208; // 48 entries, red to yellow

// A value from `from` to `to` at step `i` of `steps`.
std::uint8_t Blend(int from, int to, int i, int steps) {
  return static_cast<std::uint8_t>(from + (to - from) * i / (steps - 1));
}

std::array<PalColour, 256> TitlePalette() {
  std::array<PalColour, 256> pal{};
  const PalColour named[] = {{0, 0, 0},  {63, 63, 63}, {63, 0, 0},   {0, 0, 63}, {63, 58, 0}, {36, 18, 6},
                             {0, 24, 0}, {63, 32, 0},  {40, 40, 40}, {4, 4, 28}, {40, 0, 0}};
  std::copy(std::begin(named), std::end(named), pal.begin());
  for (int i = 0; i < 64; ++i) {
    pal[kGreyRamp + i] = {Blend(0, 63, i, 64), Blend(0, 63, i, 64), Blend(0, 63, i, 64)};
    pal[kSkyRamp + i] = {Blend(4, 52, i, 64), Blend(8, 58, i, 64), Blend(32, 63, i, 64)};
    pal[kGrassRamp + i] = {Blend(0, 24, i, 64), Blend(16, 52, i, 64), Blend(0, 16, i, 64)};
  }
  for (int i = 0; i < 48; ++i)
    pal[kSunsetRamp + i] = {63, Blend(0, 60, i, 48), 0};
  return pal;
}

class Canvas {
public:
  Canvas(std::string name, int width, int height, std::uint8_t background)
      : picture_{std::move(name), static_cast<std::uint16_t>(width), static_cast<std::uint16_t>(height),
                 std::vector<std::uint8_t>(static_cast<std::size_t>(width * height), background)} {}

  int width() const { return picture_.width; }
  int height() const { return picture_.height; }

  void Set(int x, int y, std::uint8_t colour) {
    if (x >= 0 && y >= 0 && x < width() && y < height())
      picture_.pixels[static_cast<std::size_t>(y * width() + x)] = colour;
  }
  void FillRect(int left, int top, int w, int h, std::uint8_t colour) {
    for (int y = top; y < top + h; ++y)
      for (int x = left; x < left + w; ++x)
        Set(x, y, colour);
  }
  // The ellipse with centre (cx, cy) and radii rx, ry.
  void FillEllipse(int cx, int cy, int rx, int ry, std::uint8_t colour) {
    for (int y = cy - ry; y <= cy + ry; ++y)
      for (int x = cx - rx; x <= cx + rx; ++x) {
        const std::int64_t dx = x - cx;
        const std::int64_t dy = y - cy;
        if (dx * dx * ry * ry + dy * dy * rx * rx <= std::int64_t{rx} * rx * ry * ry) Set(x, y, colour);
      }
  }

  CelImageInput Take() { return std::move(picture_); }

private:
  CelImageInput picture_;
};

// A sky from deep to pale blue, a sun low on the right, grass below.
CelImageInput Sky() {
  Canvas canvas("SKY", 80, 48, kBlack);
  for (int y = 0; y < 36; ++y)
    canvas.FillRect(0, y, 80, 1, static_cast<std::uint8_t>(kSkyRamp + y * 63 / 35));
  canvas.FillEllipse(60, 14, 7, 7, kYellow);
  for (int y = 36; y < 48; ++y)
    canvas.FillRect(0, y, 80, 1, static_cast<std::uint8_t>(kGrassRamp + 40 - (y - 36) * 3));
  return canvas.Take();
}

// Squares of 3 pixels in black and white, the top-left one red.
CelImageInput Checker() {
  Canvas canvas("CHECKER", 33, 33, kWhite);
  for (int y = 0; y < 33; ++y)
    for (int x = 0; x < 33; ++x)
      if ((x / 3 + y / 3) % 2 == 0) canvas.Set(x, y, kBlack);
  canvas.FillRect(0, 0, 3, 3, kRed);
  return canvas.Take();
}

// A pitch from above: striped grass, yard lines every 10 pixels, a red end
// zone on the left and a blue one on the right, the ball in the middle.
CelImageInput Field() {
  Canvas canvas("FIELD", 121, 61, kDarkGreen);
  for (int x = 0; x < 121; ++x)
    canvas.FillRect(x, 0, 1, 61, static_cast<std::uint8_t>(kGrassRamp + ((x / 10) % 2 == 0 ? 24 : 32)));
  canvas.FillRect(0, 0, 10, 61, kRed);
  canvas.FillRect(111, 0, 10, 61, kBlue);
  for (int x = 10; x <= 110; x += 10)
    canvas.FillRect(x, 0, 1, 61, kWhite);
  canvas.FillEllipse(60, 30, 9, 5, kBrown);
  canvas.FillRect(56, 30, 9, 1, kWhite);
  for (int x = 56; x <= 64; x += 2)
    canvas.FillRect(x, 29, 1, 3, kWhite);
  return canvas.Take();
}

// A team pennant: a red triangle pointing right from a navy hoist on the
// left, a white dot near the hoist's top.
CelImageInput Pennant() {
  Canvas canvas("PENNANT", 45, 27, kWhite);
  for (int x = 0; x < 45; ++x) {
    const int half = 13 * (44 - x) / 44;
    canvas.FillRect(x, 13 - half, 1, 2 * half + 1, kRed);
  }
  canvas.FillRect(0, 0, 5, 27, kNavy);
  canvas.FillRect(1, 3, 3, 3, kWhite);
  return canvas.Take();
}

// The grey ramp left to right over the sunset ramp: the palette's order.
CelImageInput Ramps() {
  Canvas canvas("RAMPS", 64, 16, kBlack);
  for (int x = 0; x < 64; ++x) {
    canvas.FillRect(x, 0, 1, 8, static_cast<std::uint8_t>(kGreyRamp + x));
    canvas.FillRect(x, 8, 1, 8, static_cast<std::uint8_t>(kSunsetRamp + x * 47 / 63));
  }
  canvas.Set(0, 0, kOrange);
  return canvas.Take();
}

} // namespace

std::vector<std::uint8_t> MakeTitleCel() {
  const CelImageInput pictures[] = {Sky(), Checker(), Field(), Pennant(), Ramps()};
  CelBuild build = BuildCelFile(pictures);
  if (!build.ok()) throw std::logic_error("TITLE.CEL: " + build.problem);
  return std::move(build.bytes);
}

std::vector<std::uint8_t> MakeTitlePal() {
  const std::array<PalColour, 256> colours = TitlePalette();
  const auto pal = BuildPalFile(colours);
  if (!pal) throw std::logic_error("TITLE.PAL: a value above 63");
  return {pal->begin(), pal->end()};
}

} // namespace kv
