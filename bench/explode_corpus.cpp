#include "explode_corpus.h"

#include "core/explode.h"
#include "core/implode.h"
#include "core/little_endian.h"
#include "sample/embedded_assets.h"
#include "sample/sample_folder.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <span>
#include <stdexcept>

namespace kv::bench {
namespace {

constexpr const char* kLicenceFolder = "/usr/share/common-licenses";

struct Source {
  std::string kind;
  std::string name;
  std::vector<std::uint8_t> bytes;
};

// Each licence once: the links (GPL to GPL-3, ...) are left out.
std::vector<Source> ReadLicences() {
  namespace fs = std::filesystem;
  std::error_code error;
  std::vector<fs::path> paths;
  for (const fs::directory_entry& entry : fs::directory_iterator(kLicenceFolder, error)) {
    if (entry.is_regular_file() && !entry.is_symlink()) paths.push_back(entry.path());
  }
  if (error || paths.empty())
    throw std::runtime_error(std::string("the text corpus needs the licence texts in ") + kLicenceFolder);
  std::sort(paths.begin(), paths.end());
  std::vector<Source> sources;
  for (const fs::path& path : paths) {
    std::ifstream file(path, std::ios::binary);
    std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    if (!file.good() && !file.eof()) throw std::runtime_error("cannot read " + path.string());
    sources.push_back({"text", path.filename().string(), std::move(bytes)});
  }
  return sources;
}

std::vector<Source> SpeechClips() {
  std::vector<Source> sources;
  for (const EmbeddedFile& file : VoiceAssets()) {
    if (file.name.ends_with(".raw"))
      sources.push_back({"speech", std::string(file.name), {file.bytes.begin(), file.bytes.end()}});
  }
  return sources;
}

std::vector<std::uint8_t> ReadWhole(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) throw std::runtime_error("cannot read " + path.string());
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

// The independent encoder's streams that fit one block, framed with their size.
std::vector<CorpusBlock> IndependentVectors() {
  const std::filesystem::path folder = std::filesystem::path(KV_TEST_DATA_DIR) / "implode";
  std::ifstream manifest(folder / "MANIFEST.tsv");
  if (!manifest) throw std::runtime_error("the vectors corpus needs " + (folder / "MANIFEST.tsv").string());
  std::vector<CorpusBlock> blocks;
  std::string name, header;
  int mode = 0, bits = 0;
  std::size_t size = 0;
  std::getline(manifest, header);
  while (manifest >> name >> mode >> bits >> size && std::getline(manifest, header)) {
    if (size > kMaxDecompressedSize) continue;
    CorpusBlock block{"vectors", name, mode, ReadWhole(folder / (name + ".raw")), {0, 0, 0, 0}};
    StoreLE32(block.block.data(), static_cast<std::uint32_t>(size));
    const std::vector<std::uint8_t> stream = ReadWhole(folder / (name + ".imp"));
    block.block.insert(block.block.end(), stream.begin(), stream.end());
    blocks.push_back(std::move(block));
  }
  return blocks;
}

} // namespace

std::vector<CorpusBlock> BuildExplodeCorpus() {
  std::vector<Source> sources = ReadLicences();
  for (Source& clip : SpeechClips())
    sources.push_back(std::move(clip));
  sources.push_back({"pictures", "TITLE.CEL", MakeTitleCel()});

  std::vector<CorpusBlock> corpus;
  for (const int mode : {0, 1}) {
    for (const Source& source : sources) {
      const std::span<const std::uint8_t> bytes(source.bytes);
      for (std::size_t start = 0; start < bytes.size(); start += kMaxDecompressedSize) {
        const auto piece =
            bytes.subspan(start, std::min<std::size_t>(kMaxDecompressedSize, bytes.size() - start));
        CorpusBlock block{source.kind, source.name, mode, {piece.begin(), piece.end()}, {}};
        block.block = ImplodeBlock(piece, {static_cast<LiteralMode>(mode), 6});
        corpus.push_back(std::move(block));
      }
    }
  }
  for (CorpusBlock& block : IndependentVectors())
    corpus.push_back(std::move(block));
  return corpus;
}

} // namespace kv::bench
