// Where the host build's dialogs go: tests install a scripted HostUi that
// answers from a script and records everything shown; the command line
// installs one that prints to stderr and answers from its flags or the
// terminal. With none installed, the platform's own dialogs are shown (native_ui.h).
#pragma once

#include "platform/platform.h"

namespace kv::platform {

struct MessageShown {
  WindowHandle owner = nullptr;
  std::string text;
  std::string caption;
  Buttons buttons = Buttons::Ok;
  Icon icon = Icon::None;
  std::string about; // the file the message is about, when the caption does not say
};

enum class DialogKind { Open, Save };

class HostUi {
public:
  virtual ~HostUi() = default;
  virtual int OnMessage(const MessageShown& message) = 0;
  virtual std::optional<std::string> OnFileDialog(DialogKind kind, const FileDialog& dialog) = 0;
  virtual std::string OnChooseFolder(WindowHandle owner, const std::string& instruction) = 0;
  virtual void OnPlayWav(std::span<const std::uint8_t> image) { (void)image; }
  virtual void OnStopSound() {}
};

// Installs `ui` (not owned) for the dialogs that follow; returns the previous.
HostUi* InstallHostUi(HostUi* ui);

} // namespace kv::platform
