// The WAD viewer's work on a large archive, measured rather than assumed:
// reading a directory of 65,535 records, looking an entry up by name (the
// commentary and the remix do so for every clip), and planning the column
// sort of 10,000 rows, which moves only the rows an insertion sort would.
#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "wad/list_sort.h"
#include "wad/wad_archive.h"
#include "wad/wad_writer.h"

namespace {

const std::vector<std::uint8_t>& LargeArchive() {
  static const std::vector<std::uint8_t> image = [] {
    std::vector<kv::WadInput> entries;
    for (int i = 0; i < 65535; ++i)
      entries.push_back({"E" + std::to_string(i) + ".SFX", {}, std::vector<std::uint8_t>{4, 0, 0, 0, 0, 6}});
    return kv::BuildWadArchive(entries).image;
  }();
  return image;
}

void BM_ReadWadDirectory(benchmark::State& state) {
  for (auto _ : state)
    benchmark::DoNotOptimize(kv::ReadWadDirectory(LargeArchive()).size());
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * 65535);
}
BENCHMARK(BM_ReadWadDirectory)->Unit(benchmark::kMillisecond);

// The name is looked up at directory position `range(0)`.
void BM_FindWadEntry(benchmark::State& state) {
  const std::string name = "e" + std::to_string(state.range(0)) + ".sfx";
  for (auto _ : state)
    benchmark::DoNotOptimize(kv::FindWadEntry(LargeArchive(), name));
}
BENCHMARK(BM_FindWadEntry)->Arg(100)->Arg(4000)->Arg(65534)->Unit(benchmark::kMicrosecond);

// 10,000 sizes as the Size column shows them: in random order, or already
// ascending (the second click on a column moves nothing).
void BM_PlanColumnSort(benchmark::State& state) {
  std::mt19937 random(7);
  std::vector<std::string> texts;
  for (int i = 0; i < 10000; ++i)
    texts.push_back(std::to_string(random() % 65536));
  if (state.range(0) != 0)
    texts = [&] {
      const kv::ColumnSort sorted = kv::PlanColumnSort(texts, true, true);
      std::vector<std::string> in_order;
      for (const std::size_t from : sorted.order)
        in_order.push_back(texts[from]);
      return in_order;
    }();
  for (auto _ : state)
    benchmark::DoNotOptimize(kv::PlanColumnSort(texts, true, true).moved);
}
BENCHMARK(BM_PlanColumnSort)->ArgName("sorted")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace
