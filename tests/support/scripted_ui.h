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
  // The next open or save dialog returns `path`, or cancels with nullopt.
  void ChooseFile(std::optional<std::string> path) { files_.push_back(std::move(path)); }
  // The next folder chooser returns `folder` ("" cancels).
  void ChooseFolder(std::string folder) { folders_.push_back(std::move(folder)); }
  // Takes the messages shown so far out of `messages`, each as "caption:
  // text", with " [Yes/No]" after a question: compared as one list, a message
  // too many or too few fails as surely as a wrong text.
  std::vector<std::string> Told();

  std::vector<platform::MessageShown> messages;
  std::vector<DialogShown> dialogs;
  std::vector<std::string> folder_instructions;
  std::vector<std::vector<std::uint8_t>> played; // every image handed to the player

  void OnPlayWav(std::span<const std::uint8_t> image) override {
    played.emplace_back(image.begin(), image.end());
  }

  int OnMessage(const platform::MessageShown& message) override;
  std::optional<std::string> OnFileDialog(platform::DialogKind kind,
                                          const platform::FileDialog& dialog) override;
  std::string OnChooseFolder(platform::WindowHandle owner, const std::string& instruction) override;

private:
  std::deque<int> answers_;
  std::deque<std::optional<std::string>> files_;
  std::deque<std::string> folders_;
  platform::HostUi* previous_;
};

} // namespace kv::test
