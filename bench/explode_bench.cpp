// Decoder throughput, in bytes of output per second, of ExplodeData and of libdynamite on the same
// streams (libdynamite reads literal mode 0 only). Streams come from our encoder, dictionary 4096.
#include "bench_data.h"
#include "core/explode.h"
#include "core/implode.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>

extern "C" {
#include <libdynamite.h>
}

namespace {

struct Input {
  std::vector<std::uint8_t> raw;
  std::vector<std::uint8_t> block;
};

Input MakeInput(const benchmark::State& state) {
  Input input;
  input.raw = kv::bench::MakeData(static_cast<kv::bench::DataKind>(state.range(0)),
                                  static_cast<std::size_t>(state.range(2)));
  input.block = kv::ImplodeBlock(input.raw, {static_cast<kv::LiteralMode>(state.range(1)), 6});
  return input;
}

void ReportRatio(benchmark::State& state, const Input& input) {
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * input.raw.size()));
  state.counters["ratio"] = static_cast<double>(input.block.size()) / static_cast<double>(input.raw.size());
}

void BM_Explode(benchmark::State& state) {
  const Input input = MakeInput(state);
  std::vector<std::uint8_t> out(input.raw.size());
  for (auto _ : state) {
    const std::int32_t n = kv::ExplodeData(input.block.data(), static_cast<std::uint32_t>(input.block.size()),
                                           out.data(), static_cast<std::uint32_t>(out.size()));
    benchmark::DoNotOptimize(n);
  }
  if (out != input.raw) state.SkipWithError("decoded bytes differ from the input");
  ReportRatio(state, input);
}

struct DynamiteIo {
  const std::uint8_t* in;
  std::size_t in_left;
  std::uint8_t* out;
  std::size_t out_left;
};

std::size_t DynamiteRead(void* buffer, std::size_t size, void* cookie) {
  auto& io = *static_cast<DynamiteIo*>(cookie);
  const std::size_t count = std::min(size, io.in_left);
  std::memcpy(buffer, io.in, count);
  io.in += count;
  io.in_left -= count;
  return count;
}

std::size_t DynamiteWrite(void* buffer, std::size_t size, void* cookie) {
  auto& io = *static_cast<DynamiteIo*>(cookie);
  if (size > io.out_left) return 0;
  std::memcpy(io.out, buffer, size);
  io.out += size;
  io.out_left -= size;
  return size;
}

void BM_Dynamite(benchmark::State& state) {
  const Input input = MakeInput(state);
  std::vector<std::uint8_t> out(input.raw.size());
  for (auto _ : state) {
    // libdynamite takes the bare stream, without the 4-byte size.
    DynamiteIo io{input.block.data() + 4, input.block.size() - 4, out.data(), out.size()};
    const DynamiteResult result = dynamite_explode(DynamiteRead, DynamiteWrite, &io);
    benchmark::DoNotOptimize(result);
  }
  if (out != input.raw) state.SkipWithError("decoded bytes differ from the input");
  ReportRatio(state, input);
}

using kv::bench::kAudio;
using kv::bench::kImage;
using kv::bench::kText;

BENCHMARK(BM_Explode)
    ->ArgNames({"kind", "literals", "size"})
    ->ArgsProduct({{kText, kAudio, kImage}, {0, 1}, {4096, 65535}})
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Dynamite)
    ->ArgNames({"kind", "literals", "size"})
    ->ArgsProduct({{kText, kAudio, kImage}, {0}, {4096, 65535}})
    ->Unit(benchmark::kMicrosecond);

} // namespace
