// Decoder throughput, in bytes of output per second, of ExplodeData and of libdynamite on the real-data
// corpus of explode_corpus.h, per kind of data and overall. libdynamite reads literal mode 0 only; after
// the runs, the speed of ExplodeData over libdynamite's in mode 0 is printed per kind.
#include "core/explode.h"
#include "explode_corpus.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <exception>
#include <map>
#include <memory>

extern "C" {
#include <libdynamite.h>
}

namespace {

using kv::bench::CorpusBlock;

// The blocks of one kind ("all": every kind) in one literal mode.
std::vector<const CorpusBlock*> Select(const std::vector<CorpusBlock>& corpus, const std::string& kind,
                                       int mode) {
  std::vector<const CorpusBlock*> blocks;
  for (const CorpusBlock& block : corpus) {
    if (block.literal_mode == mode && (kind == "all" || block.kind == kind)) blocks.push_back(&block);
  }
  return blocks;
}

std::int64_t RawBytes(const std::vector<const CorpusBlock*>& blocks) {
  std::int64_t total = 0;
  for (const CorpusBlock* block : blocks)
    total += static_cast<std::int64_t>(block->raw.size());
  return total;
}

bool ExplodeOne(const CorpusBlock& block, std::uint8_t* out) {
  return kv::ExplodeData(block.block.data(), static_cast<std::uint32_t>(block.block.size()), out,
                         static_cast<std::uint32_t>(block.raw.size())) ==
         static_cast<std::int32_t>(block.raw.size());
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

bool DynamiteOne(const CorpusBlock& block, std::uint8_t* out) {
  // libdynamite takes the bare stream, without the 4-byte size.
  DynamiteIo io{block.block.data() + 4, block.block.size() - 4, out, block.raw.size()};
  return dynamite_explode(DynamiteRead, DynamiteWrite, &io) == DYNAMITE_SUCCESS && io.out_left == 0;
}

template <bool (*Decode)(const CorpusBlock&, std::uint8_t*)>
void Run(benchmark::State& state, const std::vector<const CorpusBlock*>& blocks) {
  std::vector<std::uint8_t> out(kv::kMaxDecompressedSize);
  for (const CorpusBlock* block : blocks) {
    if (!Decode(*block, out.data()) || std::memcmp(out.data(), block->raw.data(), block->raw.size()) != 0) {
      state.SkipWithError(("decoded bytes differ from " + block->name).c_str());
      return;
    }
  }
  for (auto _ : state) {
    for (const CorpusBlock* block : blocks) {
      benchmark::DoNotOptimize(Decode(*block, out.data()));
      benchmark::ClobberMemory();
    }
  }
  state.SetBytesProcessed(state.iterations() * RawBytes(blocks));
}

// The console table (without colours, so that it reads well in a file), then ExplodeData's speed
// over libdynamite's for each benchmark that both ran.
class RatioReporter : public benchmark::ConsoleReporter {
public:
  RatioReporter() : ConsoleReporter(OO_Tabular) {}

  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      const auto speed = run.counters.find("bytes_per_second");
      if (run.error_occurred || speed == run.counters.end()) continue;
      speeds_[run.benchmark_name()] = speed->second;
    }
  }

  void Finalize() override {
    ConsoleReporter::Finalize();
    for (const auto& [name, speed] : speeds_) {
      if (!name.starts_with("libdynamite/")) continue;
      const auto ours = speeds_.find("ExplodeData/" + name.substr(std::strlen("libdynamite/")));
      if (ours == speeds_.end()) continue;
      std::printf("ExplodeData / libdynamite, %s: %.2f (%.0f / %.0f MB/s)\n",
                  name.c_str() + std::strlen("libdynamite/"), ours->second / speed, ours->second / 1e6,
                  speed / 1e6);
    }
  }

private:
  std::map<std::string, double> speeds_;
};

} // namespace

int main(int argc, char** argv) {
  std::vector<CorpusBlock> corpus;
  try {
    corpus = kv::bench::BuildExplodeCorpus();
  } catch (const std::exception& error) {
    std::fprintf(stderr, "explode_bench: %s\n", error.what());
    return 1;
  }
  std::vector<std::string> kinds(std::begin(kv::bench::kCorpusKinds), std::end(kv::bench::kCorpusKinds));
  kinds.push_back("all");
  for (const int mode : {0, 1}) {
    for (const std::string& kind : kinds) {
      const auto blocks = Select(corpus, kind, mode);
      const std::string suffix = kind + "/mode:" + std::to_string(mode);
      benchmark::RegisterBenchmark(("ExplodeData/" + suffix).c_str(), Run<ExplodeOne>, blocks)
          ->Unit(benchmark::kMicrosecond);
      if (mode == 0) {
        benchmark::RegisterBenchmark(("libdynamite/" + suffix).c_str(), Run<DynamiteOne>, blocks)
            ->Unit(benchmark::kMicrosecond);
      }
    }
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  return 0;
}
