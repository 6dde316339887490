#include "cli/output_policy.h"

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
  if (SaveFile(path, data, mode)) return SaveOutcome::Written;
  return ui.messages_shown() == shown ? SaveOutcome::Skipped : SaveOutcome::Failed;
}

} // namespace kv::cli
