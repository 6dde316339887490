#include "remix/remix_load.h"

#include <new>

#include "core/safe_name.h"
#include "core/text_encoding.h"
#include "platform/platform.h"
#include "wad/current_wad.h"
#include "wad/voice_wad.h"

namespace kv {

std::optional<std::vector<RemixEntry>> LoadRemixScript() {
  platform::FileDialog dialog;
  dialog.title = text::kSelectRemixFile;
  dialog.path = text::kRemixFileName;
  dialog.filters = {{"*.TXT", "*.TXT"}, {"All Files", "*"}};
  dialog.flags = platform::kOfnExplorer | platform::kOfnFileMustExist;
  const std::optional<std::string> path = platform::ShowOpenDialog(dialog);
  if (!path) return std::nullopt;
  const std::optional<LoadedFile> script = LoadFile(*path);
  if (!script) return std::nullopt;

  // This VOICE.WAD is the mode's own and lives only while the script is read.
  const std::optional<VoiceWadLocation> voice = LocateVoiceWad(*path, true);
  if (!voice) return std::nullopt;
  const std::optional<LoadedFile> wad = LoadFile(voice->path);
  if (!wad || !AcceptWadImage(wad->bytes(), platform::FileNameOf(voice->path))) return std::nullopt;

  RemixScript read;
  try {
    read = ReadRemixScript(script->bytes(), wad->bytes());
  } catch (const std::bad_alloc&) {
    read.error = RemixScriptError{{}, {}, "there is not enough memory for the script's sounds", true};
  }
  if (read.error) {
    // A script too large for memory is named with the reason; the others
    // keep the mode's one message.
    const std::string message = read.error->too_large ? platform::FileNameOf(*path) + ": " +
                                                            SystemText(DescribeRemixError(*read.error))
                                                      : text::kRemixScriptError;
    platform::ShowMessage(nullptr, message, text::kRemixErrorCaption, platform::Buttons::Ok);
    return std::nullopt;
  }
  return std::move(read.entries);
}

bool ExportRemixEntry(const RemixEntry& entry, OverwriteMode mode, OutputRun& run) {
  const std::string file_name = SystemText(entry.name) + ".wav";
  // The name comes from the script: it must not reach out of the chosen
  // folder or to a device.
  if (const std::string reason = UnsafeFileNameReason(file_name); !reason.empty()) {
    platform::ShowMessage(nullptr, text::kRefusedPrefix + reason, file_name, platform::Buttons::Ok);
    return false;
  }
  return run.Save(file_name, entry.image, mode, SystemText(entry.name)) == SaveOutcome::Written;
}

} // namespace kv
