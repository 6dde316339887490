// Hosts without a window system of ours: nothing is shown and nothing plays.
#include "platform/native_ui.h"

namespace kv::platform::native {

int ShowMessage(WindowHandle, const std::string&, const std::string&, Buttons buttons, Icon) {
  return buttons == Buttons::Ok ? kAnswerOk : kAnswerNo;
}
std::optional<std::string> ShowOpenDialog(const FileDialog&) {
  return std::nullopt;
}
std::optional<std::string> ShowSaveDialog(const FileDialog&) {
  return std::nullopt;
}
std::string ChooseFolder(WindowHandle, const std::string&) {
  return {};
}
bool PlayWav(std::span<const std::uint8_t>) {
  return true;
}
void StopSound() {}

} // namespace kv::platform::native
