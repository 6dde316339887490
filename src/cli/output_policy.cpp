#include "cli/output_policy.h"

#include <filesystem>
#include <ostream>
#include <system_error>

namespace kv::cli {

std::optional<OverwriteMode> ParseOverwriteMode(const std::string& text) {
  if (text == "ask") return Ask;
  if (text == "skip") return Skip;
  if (text == "overwrite") return Overwrite;
  return std::nullopt;
}

OverwriteMode DefaultOverwriteMode(bool interactive) {
  return interactive ? Ask : Skip;
}

SaveOutcome SaveOutput(ConsoleUi& ui, const std::string& path, std::span<const std::uint8_t> data,
                       OverwriteMode mode) {
  const int shown = ui.messages_shown();
  // A folder "exists" too: it is a failure, not a file to keep.
  std::error_code error;
  if (std::filesystem::is_directory(path, error)) {
    platform::SetLastError(platform::kErrorAccessDenied);
    ShowSystemError(text::kSaveFileCaption, path);
    return SaveOutcome::Failed;
  }
  if (SaveFile(path, data, mode)) return SaveOutcome::Written;
  return ui.messages_shown() == shown ? SaveOutcome::Skipped : SaveOutcome::Failed;
}

SaveOutcome SaveAndReport(ConsoleUi& ui, Streams streams, const std::string& path,
                          std::span<const std::uint8_t> data, OverwriteMode mode, std::string detail) {
  const SaveOutcome outcome = SaveOutput(ui, path, data, mode);
  if (outcome == SaveOutcome::Written) {
    if (detail.empty()) detail = std::to_string(data.size()) + " bytes";
    streams.out << "wrote " << path << " (" << detail << ")\n";
  } else if (outcome == SaveOutcome::Skipped) {
    streams.err << "vorevuvo: " << path
                << " exists and was left as it is (--overwrite overwrite replaces it)\n";
  }
  return outcome;
}

} // namespace kv::cli
