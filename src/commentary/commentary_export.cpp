#include "commentary/commentary_export.h"

#include "commentary/commentary_sound.h"
#include "core/safe_name.h"
#include "core/text_encoding.h"

namespace kv {

bool IsLineExcluded(const CommentaryLine& line, const CommentaryFilter& filter) {
  return (line.hasStarPlayerName && !filter.starPlayerNames) ||
         (line.hasThrowerName && !filter.throwerNames) || (line.hasTeamName && !filter.teamNames);
}

bool ExportCommentaryLine(const CommentaryLine& line, WadImage voice, OverwriteMode mode,
                          platform::WindowHandle owner, OutputRun& run) {
  // The name comes from three bytes of the file: it must not reach out of
  // the chosen folder or to a device.
  const std::string file_name = SystemText(line.outputName);
  if (const std::string reason = UnsafeFileNameReason(file_name); !reason.empty()) {
    platform::ShowMessage(nullptr, text::kRefusedPrefix + reason, file_name, platform::Buttons::Ok);
    return false;
  }
  const std::optional<WavImage> image = BuildCommentarySound(line, voice, owner);
  return image && run.Save(file_name, *image, mode, file_name) == SaveOutcome::Written;
}

} // namespace kv
