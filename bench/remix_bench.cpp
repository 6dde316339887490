// Reading a REMIX.TXT of 1,000 entries of 8 pieces each over a VOICE.WAD of
// 300 clips: every clip is decoded once per script, not once per piece.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "remix/remix_script.h"
#include "wad/wad_writer.h"

namespace {

void BM_ReadRemixScript(benchmark::State& state) {
  std::vector<kv::WadInput> clips;
  for (int i = 0; i < 300; ++i) {
    std::vector<std::uint8_t> samples(8000);
    for (std::size_t k = 0; k < samples.size(); ++k)
      samples[k] = static_cast<std::uint8_t>(128 + 60 * ((k * (i + 3)) % 97 < 48 ? 1 : -1));
    clips.push_back({"C" + std::to_string(i) + ".SFX", std::move(samples), {}});
  }
  const std::vector<std::uint8_t> voice = kv::BuildWadArchive(clips).image;
  std::string script;
  for (int entry = 0; entry < 1000; ++entry) {
    script += "<Line" + std::to_string(entry) + ">\r\n";
    for (int piece = 0; piece < 8; ++piece)
      script +=
          "@C" + std::to_string((entry * 8 + piece) % 300) + "," + std::to_string(piece * 500) + ",1500";
    script += "\r\n";
  }
  const std::vector<std::uint8_t> bytes(script.begin(), script.end());
  std::size_t entries = 0;
  for (auto _ : state)
    entries = kv::ReadRemixScript(bytes, voice).entries.size();
  state.counters["entries"] = static_cast<double>(entries);
}
BENCHMARK(BM_ReadRemixScript)->Unit(benchmark::kMillisecond);

} // namespace
