// Dialogs go to the installed HostUi, or to the platform's own when there is none.
#include "platform/host/host_ui.h"
#include "platform/native_ui.h"

namespace kv::platform {
namespace {
HostUi* g_ui = nullptr;
}

HostUi* InstallHostUi(HostUi* ui) {
  HostUi* previous = g_ui;
  g_ui = ui;
  return previous;
}

int ShowMessage(WindowHandle owner, const std::string& text, const std::string& caption, Buttons buttons,
                Icon icon, const std::string& about) {
  if (g_ui == nullptr) return native::ShowMessage(owner, text, caption, buttons, icon);
  return g_ui->OnMessage(MessageShown{owner, text, caption, buttons, icon, about});
}

std::optional<std::string> ShowOpenDialog(const FileDialog& dialog) {
  if (g_ui == nullptr) return native::ShowOpenDialog(dialog);
  return g_ui->OnFileDialog(DialogKind::Open, dialog);
}

std::optional<std::string> ShowSaveDialog(const FileDialog& dialog) {
  if (g_ui == nullptr) return native::ShowSaveDialog(dialog);
  return g_ui->OnFileDialog(DialogKind::Save, dialog);
}

std::string ChooseFolder(WindowHandle owner, const std::string& instruction) {
  if (g_ui == nullptr) return native::ChooseFolder(owner, instruction);
  return g_ui->OnChooseFolder(owner, instruction);
}

bool PlayWav(std::span<const std::uint8_t> image) {
  if (g_ui == nullptr) return native::PlayWav(image);
  g_ui->OnPlayWav(image);
  return true;
}

void StopSound() {
  if (g_ui == nullptr) return native::StopSound();
  g_ui->OnStopSound();
}

} // namespace kv::platform
