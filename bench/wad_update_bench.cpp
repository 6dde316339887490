// Replacing one entry of a WAD archive at the format's limit, 65,535
// entries and about 200 MB, as `vorevuvo wad replace` does it (read the
// archive whole, build it anew, publish it over the old one in one step),
// against a copy of the same file read whole and written whole, and against
// cp: the replacement should cost about one sequential copy.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/file_services.h"
#include "core/implode.h"
#include "core/little_endian.h"
#include "wad/wad_update.h"

namespace {

constexpr std::uint32_t kEntries = 65535;
constexpr std::uint32_t kStoredSize = 3200; // 65,535 x 3,200 bytes: 210 MB

// The archive, written once into the system's temporary folder and removed
// at the end: every entry a distinct stored block (the update copies
// blocks, it never decodes them).
struct BenchArchive {
  BenchArchive() {
    const std::size_t directory = 2 + 22 * std::size_t{kEntries};
    std::vector<std::uint8_t> image(directory + std::size_t{kEntries} * kStoredSize);
    kv::StoreLE16(image, 0, kEntries);
    std::uint32_t noise = 1;
    for (std::uint32_t i = 0; i < kEntries; ++i) {
      const std::string name = "E" + std::to_string(i) + ".SFX";
      std::copy(name.begin(), name.end(), image.begin() + 2 + 22 * i);
      const std::size_t offset = directory + std::size_t{i} * kStoredSize;
      kv::StoreLE32(image, 2 + 22 * i + 14, kStoredSize);
      kv::StoreLE32(image, 2 + 22 * i + 18, static_cast<std::uint32_t>(offset));
      for (std::size_t at = offset; at < offset + kStoredSize; ++at)
        image[at] = static_cast<std::uint8_t>((noise = noise * 1103515245 + 12345) >> 16);
    }
    kv::SaveFile(path, image, kv::Overwrite);
  }
  ~BenchArchive() { std::filesystem::remove(path); }
  const std::string path = (std::filesystem::temp_directory_path() / "kv-bench-update.wad").string();
};

const std::string& ArchivePath() {
  static const BenchArchive archive;
  return archive.path;
}

void BM_ReplaceOneEntryOf65535(benchmark::State& state) {
  const kv::WadChange change[] = {
      {kv::WadChange::Replace, "E32767.SFX", {}, kv::ImplodeBlock(std::vector<std::uint8_t>(5000, 128))}};
  ArchivePath(); // made before the clock runs
  for (auto _ : state) {
    const std::optional<kv::LoadedFile> loaded = kv::LoadFile(ArchivePath());
    const kv::WadUpdate update = kv::UpdateWadArchive(loaded->bytes(), change);
    if (!update.ok() ||
        kv::WriteOutputPieces(ArchivePath(), update.Pieces(), kv::Overwrite,
                              kv::platform::LookAtName(ArchivePath())) != kv::SaveOutcome::Written)
      state.SkipWithError("the archive was not updated");
  }
  state.SetBytesProcessed(
      static_cast<std::int64_t>(state.iterations() * std::filesystem::file_size(ArchivePath())));
}
BENCHMARK(BM_ReplaceOneEntryOf65535)->Unit(benchmark::kMillisecond)->Iterations(3);

// The same file read whole and written whole, as a copy in user space does.
void BM_ReadAndWriteTheSameFile(benchmark::State& state) {
  const std::string copy = ArchivePath() + ".copy";
  for (auto _ : state)
    kv::SaveFile(copy, kv::LoadFile(ArchivePath())->bytes(), kv::Overwrite);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * std::filesystem::file_size(copy)));
  std::filesystem::remove(copy);
}
BENCHMARK(BM_ReadAndWriteTheSameFile)->Unit(benchmark::kMillisecond)->Iterations(3);

// cp: the kernel copies (or shares) the data without bringing it to the program.
void BM_CopyTheSameFile(benchmark::State& state) {
  const std::string copy = ArchivePath() + ".copy";
  for (auto _ : state)
    std::filesystem::copy_file(ArchivePath(), copy, std::filesystem::copy_options::overwrite_existing);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * std::filesystem::file_size(copy)));
  std::filesystem::remove(copy);
}
BENCHMARK(BM_CopyTheSameFile)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace
