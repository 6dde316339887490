#include "core/compressed_block.h"

#include <new>

#include "core/explode.h"
#include "core/file_services.h"
#include "core/little_endian.h"
#include "platform/platform.h"

namespace kv {
namespace {

using platform::Buttons;

const std::vector<platform::FileFilter> kAllFiles = {{"All Files", "*"}};

BlockResult Failure(const std::string& text, const std::string& caption) {
  platform::ShowMessage(nullptr, text, caption, Buttons::Ok);
  platform::SetLastError(platform::kErrorSuccess); // told in the tool's own words
  return {};
}

} // namespace

bool LooksCompressed(std::span<const std::uint8_t> block) {
  return block.size() >= kMinBlockSize && block[kCompressedMarkOffset] == kCompressedMark;
}

bool HasWadExtension(const std::string& path) {
  const std::string name = platform::FileNameOf(path);
  const std::size_t dot = name.find_last_of('.');
  if (dot == std::string::npos || name.size() - dot != 4) return false;
  const auto upper = [](char c) { return static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c); };
  return upper(name[dot + 1]) == 'W' && upper(name[dot + 2]) == 'A' && upper(name[dot + 3]) == 'D';
}

BlockResult DecompressBlock(std::span<const std::uint8_t> block, const std::string& caption) {
  // A block too short to hold a stream is offered as uncompressed data too.
  if (!LooksCompressed(block)) {
    const int answer = platform::ShowMessage(nullptr, text::kNotCompressedQuestion, caption, Buttons::YesNo);
    if (answer == platform::kAnswerYes) return {BlockResult::Skipped, {}};
  }
  if (block.size() < kMinBlockSize) return Failure(text::kDecompressionFailed, caption);

  const std::uint32_t size = LoadLE32(block.data());
  if (size > kMaxDecompressedSize) return Failure(text::kBadDecompressedSize, caption);

  BlockResult result;
  try {
    result.data.resize(std::size_t{size} + 1);
  } catch (const std::bad_alloc&) {
    platform::SetLastError(platform::kErrorNotEnoughMemory);
    ShowSystemError(caption);
    return {};
  }
  const std::int32_t produced =
      ExplodeData(block.data(), static_cast<std::uint32_t>(block.size()), result.data.data(), size);
  if (produced < 4) return Failure(text::kDecompressionFailed, caption);
  result.data.resize(static_cast<std::size_t>(produced));
  result.kind = BlockResult::Decompressed;
  return result;
}

void DecompressFile() {
  platform::FileDialog open;
  open.filters = kAllFiles;
  open.flags = platform::kOfnExplorer | platform::kOfnFileMustExist;
  const std::optional<std::string> path = platform::ShowOpenDialog(open);
  if (!path) return;

  if (HasWadExtension(*path)) {
    platform::ShowMessage(nullptr, text::kWadRefused, *path, Buttons::Ok);
    return;
  }
  const std::optional<LoadedFile> loaded = LoadFile(*path);
  if (!loaded) return;
  const BlockResult result = DecompressBlock(loaded->bytes(), platform::FileNameOf(*path));
  if (result.kind == BlockResult::Failed) return;

  platform::FileDialog save;
  save.filters = kAllFiles;
  save.path = *path;
  save.flags = platform::kOfnExplorer | platform::kOfnNoReadOnlyReturn | platform::kOfnOverwritePrompt;
  const std::optional<std::string> target = platform::ShowSaveDialog(save);
  if (!target) return;

  const std::span<const std::uint8_t> output =
      result.kind == BlockResult::Skipped ? loaded->bytes() : std::span<const std::uint8_t>(result.data);
  if (SaveFile(*target, output, Overwrite)) {
    platform::ShowMessage(nullptr, text::kDecompressionSuccess, platform::FileNameOf(*target), Buttons::Ok);
  }
}

} // namespace kv
