// Encoder throughput and compression ratio on 64 KiB blocks of the three
// kinds of data the game packs: text, 8-bit sound and paletted images.
#include "core/implode.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

namespace {

constexpr std::size_t kBlockSize = 64 * 1024;

enum Kind : int { kText, kAudio, kImage };

std::vector<std::uint8_t> MakeBlock(Kind kind) {
  std::mt19937 rng(2024);
  std::vector<std::uint8_t> data;
  data.reserve(kBlockSize + 32);
  const char* const words[] = {"the",    "ball",   "keeper",  "scores",  "a",       "goal", "what",
                               "a save", "from",   "penalty", "referee", "crowd",   "into", "net",
                               "wide",   "corner", "kick",    "header",  "and",     "is",   "of",
                               "minute", "half",   "shot",    "post",    "striker", "Oh",   "great"};
  constexpr std::size_t kWords = sizeof(words) / sizeof(words[0]);
  while (data.size() < kBlockSize) {
    const std::size_t i = data.size();
    switch (kind) {
    case kText:
      for (const char* c = words[rng() % kWords]; *c != 0; ++c)
        data.push_back(static_cast<std::uint8_t>(*c));
      if (rng() % 10 == 0) data.insert(data.end(), {'.', '\r', '\n'});
      data.push_back(' ');
      break;
    case kAudio: // speech-like: a wandering tone with noise, centred at 128
      data.push_back(static_cast<std::uint8_t>(128 + 50 * std::sin(i * 0.05 + 3 * std::sin(i * 0.001)) +
                                               20 * std::sin(i * 0.31) + static_cast<int>(rng() % 7) - 3));
      break;
    case kImage: { // 320-pixel rows: sky gradient, spans of pitch colour, sprites
      const std::size_t x = i % 320;
      const std::size_t y = i / 320;
      std::uint8_t pixel = y < 40 ? static_cast<std::uint8_t>(16 + y / 5)
                                  : static_cast<std::uint8_t>(96 + (x / 40 + y / 16) % 2);
      if ((x * 7 + y * 13) % 97 < 5) pixel = static_cast<std::uint8_t>(200 + rng() % 8);
      data.push_back(pixel);
      break;
    }
    }
  }
  data.resize(kBlockSize);
  return data;
}

void BM_Implode(benchmark::State& state) {
  const std::vector<std::uint8_t> data = MakeBlock(static_cast<Kind>(state.range(0)));
  const kv::ImplodeOptions options{static_cast<kv::LiteralMode>(state.range(1)), 6};
  std::size_t stream_size = 0;
  for (auto _ : state) {
    const std::vector<std::uint8_t> stream = kv::ImplodeStream(data, options);
    stream_size = stream.size();
    benchmark::DoNotOptimize(stream.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * data.size()));
  state.counters["ratio"] = static_cast<double>(stream_size) / static_cast<double>(data.size());
}

BENCHMARK(BM_Implode)
    ->ArgNames({"kind", "literals"})
    ->ArgsProduct({{kText, kAudio, kImage}, {0, 1}})
    ->Unit(benchmark::kMicrosecond);

} // namespace
