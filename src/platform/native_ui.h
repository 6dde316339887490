// The platform's own dialogs and sound, used when no HostUi is installed:
// the real Win32 calls on Windows, and on other hosts boxes that answer OK
// or No, dialogs that cancel and silence.
#pragma once

#include "platform/platform.h"

namespace kv::platform::native {

int ShowMessage(WindowHandle owner, const std::string& text, const std::string& caption, Buttons buttons,
                Icon icon);
std::optional<std::string> ShowOpenDialog(const FileDialog& dialog);
std::optional<std::string> ShowSaveDialog(const FileDialog& dialog);
std::string ChooseFolder(WindowHandle owner, const std::string& instruction);
bool PlayWav(std::span<const std::uint8_t> image);
void StopSound();

} // namespace kv::platform::native
