#include "support/scripted_ui.h"

#include <gtest/gtest.h>

namespace kv::test {
namespace {

// The first of `queue`, or `none` after a failure when nothing was scripted.
template <typename Choice> Choice TakeFirst(std::deque<Choice>& queue, const char* what, Choice none) {
  if (queue.empty()) {
    ADD_FAILURE() << "unscripted " << what;
    return none;
  }
  Choice first = std::move(queue.front());
  queue.pop_front();
  return first;
}

} // namespace

ScriptedUi::~ScriptedUi() {
  platform::InstallHostUi(previous_);
  EXPECT_TRUE(answers_.empty() && files_.empty() && folders_.empty()) << "scripted answers left unused";
}

std::vector<std::string> ScriptedUi::Told() {
  std::vector<std::string> told;
  for (const platform::MessageShown& shown : messages)
    told.push_back(shown.caption + ": " + shown.text +
                   (shown.buttons == platform::Buttons::YesNo ? " [Yes/No]" : ""));
  messages.clear();
  return told;
}

int ScriptedUi::OnMessage(const platform::MessageShown& message) {
  messages.push_back(message);
  if (message.buttons == platform::Buttons::Ok) return platform::kAnswerOk;
  return TakeFirst(answers_, ("question: " + message.text).c_str(), platform::kAnswerNo);
}

std::optional<std::string> ScriptedUi::OnFileDialog(platform::DialogKind kind,
                                                    const platform::FileDialog& dialog) {
  dialogs.push_back({kind, dialog});
  return TakeFirst<std::optional<std::string>>(files_, "file dialog", std::nullopt);
}

std::string ScriptedUi::OnChooseFolder(platform::WindowHandle, const std::string& instruction) {
  folder_instructions.push_back(instruction);
  return TakeFirst<std::string>(folders_, "folder chooser", "");
}

} // namespace kv::test
