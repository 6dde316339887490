#include "wad/wad_extract.h"

#include <new>
#include <unordered_set>
#include <vector>

#include "core/explode.h"
#include "core/safe_name.h"
#include "core/text_encoding.h"
#include "media/wav.h"
#include "wad/current_wad.h"

namespace kv {
namespace {

using platform::Buttons;

// A message captioned with an entry's name, in the process's code page.
void Tell(const std::string& text, std::string_view entry_name) {
  platform::ShowMessage(nullptr, text, SystemText(entry_name), Buttons::Ok);
}

bool Save(OutputRun& run, const std::string& name, std::span<const std::uint8_t> data, OverwriteMode mode,
          std::string_view entry_name) {
  return run.Save(SystemText(name), data, mode, SystemText(entry_name)) == SaveOutcome::Written;
}

// The entry named `name`, or none; a faulty one is told about under `name`.
std::optional<WadEntry> FindReadableEntry(WadImage image, std::string_view name, const char* prefix) {
  const auto index = FindWadEntry(image, name);
  if (!index) return std::nullopt;
  WadEntry entry = ReadWadEntry(image, *index);
  if (entry.fault != WadEntryFault::None) {
    Tell(prefix + WadEntryFaultText(entry, image.size()), name);
    return std::nullopt;
  }
  return entry;
}

} // namespace

std::uint32_t ReadFromWad(WadImage image, std::string_view name) {
  const auto index = FindWadEntry(image, name);
  if (!index) return 0;
  const WadEntry entry = ReadWadEntry(image, *index);
  return entry.fault == WadEntryFault::None ? *entry.size : 0;
}

bool ReportWadEntryFault(WadImage image, std::string_view name) {
  const auto index = FindWadEntry(image, name);
  return index && !FindReadableEntry(image, name, "Abort: ");
}

std::uint32_t ReadFromWad(WadImage image, std::string_view name, std::span<std::uint8_t> buffer) {
  const auto entry = FindReadableEntry(image, name, "Abort: ");
  if (!entry) return 0;
  const std::int32_t produced = DecodeWadEntry(image, *entry, buffer);
  if (produced < 4) {
    Tell(text::kReadDecompressionFailed, name);
    return 0;
  }
  return static_cast<std::uint32_t>(produced);
}

bool IsSfxEntryName(std::string_view name) {
  const std::size_t dot = name.find('.');
  return dot != std::string_view::npos && WadNamesEqual(name.substr(dot + 1), "SFX");
}

std::optional<ExtractedRecord> ExtractRecord(WadImage image, const WadEntry& entry, std::string_view name,
                                             bool convert_sfx) {
  // A declared size above the block maximum cannot decode; it is not
  // allocated either, so a huge one cannot end the walk for want of memory.
  ExtractedRecord record;
  std::int32_t produced = -1;
  if (*entry.size <= kMaxDecompressedSize) {
    try {
      record.decoded.resize(*entry.size);
    } catch (const std::bad_alloc&) {
      platform::SetLastError(platform::kErrorNotEnoughMemory);
      ShowSystemError(SystemText(name));
      return std::nullopt;
    }
    produced = DecodeWadEntry(image, entry, record.decoded);
  }
  if (produced < 4) {
    Tell(text::kExtractAsIs, name);
    record.stored = WadEntryBlock(image, entry);
    record.as_stored = true;
    return record;
  }
  record.decoded.resize(static_cast<std::size_t>(produced));
  if (convert_sfx && IsSfxEntryName(name)) {
    std::optional<WavImage> wav = MakeWavImage(record.decoded);
    if (!wav) {
      platform::SetLastError(platform::kErrorNotEnoughMemory);
      ShowSystemError(text::kExtractFromWadCaption);
      return std::nullopt;
    }
    record.decoded = std::move(*wav);
    record.as_wav = true;
  }
  return record;
}

bool ExtractFromWad(WadImage image, std::string& name, const ExtractSettings& settings, OutputRun& run) {
  return ExtractFromWad(image, WadIndex(image), name, settings, run);
}

bool ExtractFromWad(WadImage image, const WadIndex& records, std::string& name,
                    const ExtractSettings& settings, OutputRun& run) {
  bool result = false;
  for (auto index = records.Find(name); index && !run.folder_gone(); index = records.Find(name, *index + 1)) {
    // The name becomes a file in the chosen folder: it must not reach out of
    // it or to a device. Every record of the walk shares it.
    if (const std::string reason = UnsafeFileNameReason(SystemText(name)); !reason.empty()) {
      Tell(text::kRefusedPrefix + reason + text::kNothingWritten, name);
      return false;
    }
    const WadEntry entry = ReadWadEntry(image, *index);
    if (entry.fault != WadEntryFault::None) {
      Tell(text::kEntryFaultPrefix + WadEntryFaultText(entry, image.size()) + text::kNothingWritten, name);
      continue;
    }

    const std::optional<ExtractedRecord> record = ExtractRecord(image, entry, name, settings.convert_sfx);
    if (!record) return false;
    if (record->as_wav) name.replace(name.find('.') + 1, std::string::npos, "WAV");
    result = Save(run, name, record->bytes(), settings.mode, entry.name);
  }
  return result;
}

bool ExtractFromWad(std::string& name, const ExtractSettings& settings, OutputRun& run) {
  const HeldWad* wad = CurrentWad();
  return wad != nullptr && ExtractFromWad(wad->image(), name, settings, run);
}

namespace {

// The count is of the files really written: a row whose last record was
// not written may have written others before it.
int ExtractNames(std::span<const std::string> names, const ExtractSettingsNow& settings) {
  const HeldWad* wad = CurrentWad();
  if (wad == nullptr) return 0;
  const WadIndex records(wad->image());
  OutputRun run;
  WadNamesCovered covered;
  for (const std::string& row_name : names) {
    if (run.folder_gone()) break;
    if (covered.Has(row_name)) continue;
    std::string name = row_name;
    ExtractFromWad(wad->image(), records, name, settings(), run);
    covered.Add(row_name, name);
  }
  return run.written();
}

} // namespace

bool WadNamesCovered::Has(const std::string& name) const {
  return names_.count(FoldAsciiCase(name)) != 0;
}

void WadNamesCovered::Add(const std::string& asked, const std::string& ended) {
  names_.insert(FoldAsciiCase(asked));
  names_.insert(FoldAsciiCase(ended));
}

int ExtractAllRows(platform::WindowHandle owner, std::span<const std::string> row_names,
                   const ExtractSettings& settings) {
  return ExtractAllRows(owner, row_names, ExtractSettingsNow([&] { return settings; }));
}

int ExtractSelectedRows(platform::WindowHandle owner, std::span<const std::string> selected_names,
                        const ExtractSettings& settings) {
  return ExtractSelectedRows(owner, selected_names, ExtractSettingsNow([&] { return settings; }));
}

int ExtractAllRows(platform::WindowHandle owner, std::span<const std::string> row_names,
                   const ExtractSettingsNow& settings) {
  if (row_names.empty()) {
    Tell(text::kNoWadLoaded, text::kExtractAllCaption);
    return 0;
  }
  if (!ChooseOutputFolder(owner)) return 0;
  const int count = ExtractNames(row_names, settings);
  Tell(std::to_string(count), text::kFilesExtractedCaption);
  return count;
}

int ExtractSelectedRows(platform::WindowHandle owner, std::span<const std::string> selected_names,
                        const ExtractSettingsNow& settings) {
  if (!ChooseOutputFolder(owner)) return 0;
  const int count = ExtractNames(selected_names, settings);
  if (count == 0) {
    Tell(text::kNoSelections, text::kExtractSelectionCaption);
  } else {
    Tell(std::to_string(count), text::kFilesExtractedCaption);
  }
  return count;
}

} // namespace kv
