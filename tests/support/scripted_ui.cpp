#include "support/scripted_ui.h"

#include <gtest/gtest.h>

namespace kv::test {

ScriptedUi::ScriptedUi() : previous_(platform::InstallHostUi(this)) {}

ScriptedUi::~ScriptedUi() {
  platform::InstallHostUi(previous_);
  EXPECT_TRUE(answers_.empty()) << "scripted answers left unused";
  EXPECT_TRUE(files_.empty()) << "scripted file choices left unused";
  EXPECT_TRUE(folders_.empty()) << "scripted folder choices left unused";
}

int ScriptedUi::OnMessage(const platform::MessageShown& message) {
  messages.push_back(message);
  if (message.buttons == platform::Buttons::Ok) return platform::kAnswerOk;
  if (answers_.empty()) {
    ADD_FAILURE() << "unscripted question: " << message.text;
    return platform::kAnswerNo;
  }
  const int answer = answers_.front();
  answers_.pop_front();
  return answer;
}

std::optional<std::string> ScriptedUi::OnFileDialog(platform::DialogKind kind,
                                                    const platform::FileDialog& dialog) {
  dialogs.push_back({kind, dialog});
  if (files_.empty()) {
    ADD_FAILURE() << "unscripted file dialog";
    return std::nullopt;
  }
  auto path = files_.front();
  files_.pop_front();
  return path;
}

std::string ScriptedUi::OnChooseFolder(platform::WindowHandle, const std::string& instruction) {
  folder_instructions.push_back(instruction);
  if (folders_.empty()) {
    ADD_FAILURE() << "unscripted folder chooser";
    return {};
  }
  auto folder = folders_.front();
  folders_.pop_front();
  return folder;
}

} // namespace kv::test
