// Inputs for the codec benchmarks: deterministic blocks that look like the three kinds of data the
// game packs, so that ratios and speeds are comparable between runs and between benchmarks.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <random>
#include <string_view>
#include <vector>

namespace kv::bench {

enum DataKind : int { kText, kAudio, kImage };

// Commentary-like text: common words, sentences ended by CR LF.
inline std::vector<std::uint8_t> MakeText(std::size_t size, unsigned seed = 1) {
  static constexpr std::string_view kWords[] = {
      "the",  "ball",  "keeper", "scores", "a",    "goal", "what", "save",   "from", "penalty",
      "into", "net",   "wide",   "corner", "kick", "and",  "is",   "minute", "half", "shot",
      "post", "great", "pass",   "to",     "his",  "team", "mate", "tackle", "oh",   "striker"};
  std::mt19937 rng(seed);
  std::vector<std::uint8_t> data;
  data.reserve(size + 16);
  bool capital = true;
  while (data.size() < size) {
    const std::string_view word = kWords[rng() % std::size(kWords)];
    for (const char c : word)
      data.push_back(static_cast<std::uint8_t>(capital ? c & ~0x20 : c));
    capital = rng() % 9 == 0;
    if (capital) {
      data.insert(data.end(), {'.', '\r', '\n'});
    } else {
      data.push_back(' ');
    }
  }
  data.resize(size);
  return data;
}

// 8-bit unsigned sound around 128: a gliding voice-like tone, an overtone and a little noise.
inline std::vector<std::uint8_t> MakeAudio(std::size_t size, unsigned seed = 1) {
  std::mt19937 rng(seed);
  std::vector<std::uint8_t> data(size);
  double phase = 0;
  for (std::size_t i = 0; i < size; ++i) {
    const double t = static_cast<double>(i);
    const double envelope = 0.5 + 0.5 * std::sin(t * 0.0007);
    phase += 0.04 + 0.02 * std::sin(t * 0.0003);
    const double sample = 128 + envelope * (60 * std::sin(phase) + 15 * std::sin(3.1 * phase)) +
                          static_cast<double>(rng() % 5) - 2;
    data[i] = static_cast<std::uint8_t>(std::clamp(sample, 0.0, 255.0));
  }
  return data;
}

// Paletted 320-pixel rows: a banded sky, a striped pitch and small sprites of a few colours.
inline std::vector<std::uint8_t> MakeImage(std::size_t size, unsigned seed = 1) {
  std::mt19937 rng(seed);
  std::vector<std::uint8_t> data(size);
  for (std::size_t i = 0; i < size; ++i) {
    const std::size_t x = i % 320, y = i / 320;
    std::uint8_t pixel = y < 40 ? static_cast<std::uint8_t>(16 + y / 5)
                                : static_cast<std::uint8_t>(96 + (x / 32 + y / 24) % 2);
    if ((x * 7 + y * 13) % 97 < 6) pixel = static_cast<std::uint8_t>(200 + rng() % 8);
    data[i] = pixel;
  }
  return data;
}

inline std::vector<std::uint8_t> MakeData(DataKind kind, std::size_t size) {
  switch (kind) {
  case kText: return MakeText(size);
  case kAudio: return MakeAudio(size);
  case kImage: return MakeImage(size);
  }
  return {};
}

} // namespace kv::bench
