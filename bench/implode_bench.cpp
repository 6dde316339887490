// Encoder throughput and compression ratio on 64 KiB blocks of the three
// kinds of data the game packs: text, 8-bit sound and paletted images.
#include "bench_data.h"
#include "core/implode.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

namespace {

using kv::bench::kAudio;
using kv::bench::kImage;
using kv::bench::kText;

constexpr std::size_t kBlockSize = 64 * 1024;

void BM_Implode(benchmark::State& state) {
  const std::vector<std::uint8_t> data =
      kv::bench::MakeData(static_cast<kv::bench::DataKind>(state.range(0)), kBlockSize);
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
