// Convert CEL to BMP on the sample game's TITLE.CEL: reading its tables and
// writing every image as a BMP file's bytes.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "media/cel_image.h"
#include "sample/sample_folder.h"

namespace {

const std::vector<std::uint8_t>& SampleFile(const std::string& name) {
  static const std::vector<kv::SampleFile> files = kv::BuildSampleFolder();
  for (const kv::SampleFile& file : files)
    if (file.name == name) return file.bytes;
  throw std::runtime_error("the sample folder has no " + name);
}

void BM_CelToBmpBytes(benchmark::State& state) {
  const std::vector<std::uint8_t>& cel = SampleFile("TITLE.CEL");
  const kv::Palette palette(SampleFile("TITLE.PAL").data(), kv::kPalSize);
  std::int64_t written = 0;
  for (auto _ : state) {
    for (const kv::CelImage& image : kv::ReadCel(cel).images)
      written += static_cast<std::int64_t>(kv::BuildBmp(cel, image, palette).size());
  }
  state.SetBytesProcessed(written);
}
BENCHMARK(BM_CelToBmpBytes)->Unit(benchmark::kMicrosecond);

} // namespace
