#include "core/output_run.h"

namespace kv {

OutputRun::OutputRun() : folder_(platform::CurrentDirectory()) {}

SaveOutcome OutputRun::Save(const std::string& path, std::span<const std::uint8_t> data, OverwriteMode mode,
                            const std::string& source) {
  const platform::NameLook look = platform::LookAtName(path);
  if (look.identity) {
    if (const auto earlier = files_.find(*look.identity); earlier != files_.end()) {
      platform::ShowMessage(
          nullptr, text::kWouldReplace + earlier->second.name + text::kWrittenBy + earlier->second.source,
          source, platform::Buttons::Ok);
      ++clashed_;
      return SaveOutcome::Failed;
    }
  }
  const SaveOutcome outcome = WriteOutputFile(path, data, mode, look);
  switch (outcome) {
  case SaveOutcome::Written:
    ++written_;
    if (const auto identity = platform::IdentityOf(path)) files_[*identity] = {path, source};
    break;
  case SaveOutcome::Kept: ++kept_; break;
  case SaveOutcome::Failed:
    ++failed_;
    folder_gone_ = !folder_.empty() && !platform::IsFolder(folder_);
    break;
  }
  if (listener_ && outcome != SaveOutcome::Failed) listener_(path, outcome);
  return outcome;
}

} // namespace kv
