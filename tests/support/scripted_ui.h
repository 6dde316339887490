// A user interface for tests: answers message boxes and dialogs from a
// script, and records everything that was shown.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "platform/host/host_ui.h"

namespace kv::test {

struct DialogShown {
  platform::DialogKind kind;
  platform::FileDialog dialog;
};

class ScriptedUi : public platform::HostUi {
public:
  ScriptedUi() : previous_(platform::InstallHostUi(this)) {}
  ~ScriptedUi() override;
  ScriptedUi(const ScriptedUi&) = delete;
  ScriptedUi& operator=(const ScriptedUi&) = delete;

  // The answer to the next Yes/No box (kAnswerYes or kAnswerNo).
  void Answer(int answer) { answers_.push_back(answer); }
  // The next open or save dialog or folder chooser returns `path`; nullopt cancels.
  void Choose(std::optional<std::string> path) { choices_.push_back(std::move(path)); }
  // The messages shown since the last call, each as "caption: text", with
  // " [Yes/No]" after a question: compared as one list, a message too many
  // or too few fails as surely as a wrong text.
  std::vector<std::string> Told();

  std::vector<platform::MessageShown> messages;
  std::vector<DialogShown> dialogs;
  std::vector<std::string> folder_instructions;

  int OnMessage(const platform::MessageShown& message) override;
  std::optional<std::string> OnFileDialog(platform::DialogKind kind,
                                          const platform::FileDialog& dialog) override;
  std::string OnChooseFolder(platform::WindowHandle owner, const std::string& instruction) override;

private:
  std::optional<std::string> Next(const char* what);

  std::deque<int> answers_;
  std::deque<std::optional<std::string>> choices_;
  std::size_t told_ = 0;
  platform::HostUi* previous_;
};

} // namespace kv::test
