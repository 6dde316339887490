#include "support/scripted_ui.h"

#include <gtest/gtest.h>

namespace kv::test {

ScriptedUi::~ScriptedUi() {
  platform::InstallHostUi(previous_);
  EXPECT_TRUE(answers_.empty() && choices_.empty()) << "scripted answers left unused";
}

std::vector<std::string> ScriptedUi::Told() {
  std::vector<std::string> told;
  for (; told_ < messages.size(); ++told_) {
    const platform::MessageShown& shown = messages[told_];
    told.push_back(shown.caption + ": " + shown.text +
                   (shown.buttons == platform::Buttons::YesNo ? " [Yes/No]" : ""));
  }
  return told;
}

int ScriptedUi::OnMessage(const platform::MessageShown& message) {
  messages.push_back(message);
  if (message.buttons == platform::Buttons::Ok) return platform::kAnswerOk;
  if (answers_.empty()) ADD_FAILURE() << "unscripted question: " << message.text;
  const int answer = answers_.empty() ? platform::kAnswerNo : answers_.front();
  if (!answers_.empty()) answers_.pop_front();
  return answer;
}

std::optional<std::string> ScriptedUi::Next(const char* what) {
  if (choices_.empty()) ADD_FAILURE() << "unscripted " << what;
  std::optional<std::string> choice = choices_.empty() ? std::nullopt : choices_.front();
  if (!choices_.empty()) choices_.pop_front();
  return choice;
}

std::optional<std::string> ScriptedUi::OnFileDialog(platform::DialogKind kind,
                                                    const platform::FileDialog& dialog) {
  dialogs.push_back({kind, dialog});
  return Next("file dialog");
}

std::string ScriptedUi::OnChooseFolder(platform::WindowHandle, const std::string& instruction) {
  folder_instructions.push_back(instruction);
  return Next("folder chooser").value_or("");
}

} // namespace kv::test
