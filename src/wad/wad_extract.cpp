#include "wad/wad_extract.h"

#include <new>
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

// The text after the first '.', the one that decides the SFX conversion (a
// '.' at index 0 counts here, unlike in the listing's type).
std::string_view TextAfterFirstDot(std::string_view name) {
  const std::size_t dot = name.find('.');
  return dot == std::string_view::npos ? std::string_view{} : name.substr(dot + 1);
}

bool Save(const std::string& name, std::span<const std::uint8_t> data, OverwriteMode mode,
          ExtractTally* tally) {
  const bool written = SaveFile(SystemText(name), data, mode);
  if (tally != nullptr) ++(written ? tally->written : tally->not_written);
  return written;
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
  const auto entry = FindReadableEntry(image, name, "Abort: ");
  return entry ? *entry->size : 0;
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

bool ExtractFromWad(WadImage image, std::string& name, const ExtractSettings& settings, ExtractTally* tally) {
  bool result = false;
  for (auto index = FindWadEntry(image, name); index; index = FindWadEntry(image, name, *index + 1)) {
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

    // A declared size above the block maximum cannot decode; it is not
    // allocated either, so a huge one cannot end the walk for want of memory.
    std::vector<std::uint8_t> decoded;
    std::int32_t produced = -1;
    if (*entry.size <= kMaxDecompressedSize) {
      try {
        decoded.resize(*entry.size);
      } catch (const std::bad_alloc&) {
        platform::SetLastError(platform::kErrorNotEnoughMemory);
        ShowSystemError(SystemText(name));
        return false;
      }
      produced = DecodeWadEntry(image, entry, decoded);
    }
    if (produced < 4) {
      Tell(text::kExtractAsIs, name);
      result = Save(name, WadEntryBlock(image, entry), settings.mode, tally);
      continue;
    }
    decoded.resize(static_cast<std::size_t>(produced));

    if (settings.convert_sfx && WadNamesEqual(TextAfterFirstDot(name), "SFX")) {
      std::optional<WavImage> wav = MakeWavImage(decoded);
      if (!wav) {
        platform::SetLastError(platform::kErrorNotEnoughMemory);
        ShowSystemError(text::kExtractFromWadCaption);
        return false;
      }
      name.replace(name.find('.') + 1, std::string::npos, "WAV");
      result = Save(name, *wav, settings.mode, tally);
    } else {
      result = Save(name, decoded, settings.mode, tally);
    }
  }
  return result;
}

bool ExtractFromWad(std::string& name, const ExtractSettings& settings) {
  const HeldWad* wad = CurrentWad();
  return wad != nullptr && ExtractFromWad(wad->image(), name, settings);
}

namespace {

int ExtractNames(std::span<const std::string> names, const ExtractSettingsNow& settings) {
  int count = 0;
  for (const std::string& row_name : names) {
    std::string name = row_name;
    if (ExtractFromWad(name, settings())) ++count;
  }
  return count;
}

} // namespace

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
