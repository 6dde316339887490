// Sound from a WAV image in memory. The system reads the image while it
// plays, so the caller keeps it alive until the sound is stopped.
//
// A diagnostic for the tests: when the environment variable KV_PLAYED_SOUNDS
// names a folder, every image handed to PlaySoundA is also written there, as
// played-1.wav, played-2.wav, ..., so a test can hear what was played
// without a sound device.
#include <windows.h>

#include <mmsystem.h>

#include <string>

#include "platform/native_ui.h"

namespace kv::platform::native {
namespace {

void RecordPlayed(std::span<const std::uint8_t> image) {
  char folder[MAX_PATH];
  const DWORD length = GetEnvironmentVariableA("KV_PLAYED_SOUNDS", folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return;
  static unsigned played = 0;
  const std::string path = std::string(folder) + "\\played-" + std::to_string(++played) + ".wav";
  HANDLE file =
      CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, image.data(), static_cast<DWORD>(image.size()), &written, nullptr);
  CloseHandle(file);
}

} // namespace

bool PlayWav(std::span<const std::uint8_t> image) {
  // An empty image would reach PlaySoundA as "no sound", which stops instead.
  if (image.empty()) return false;
  RecordPlayed(image);
  return PlaySoundA(reinterpret_cast<LPCSTR>(image.data()), nullptr, SND_MEMORY | SND_ASYNC) != FALSE;
}

void StopSound() {
  PlaySoundA(nullptr, nullptr, 0);
}

} // namespace kv::platform::native
