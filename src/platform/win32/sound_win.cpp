// Sound from a WAV image in memory. The system reads the image while it
// plays, so the caller keeps it alive until the sound is stopped.
#include <windows.h>

#include <mmsystem.h>

#include "platform/native_ui.h"

namespace kv::platform::native {

bool PlayWav(std::span<const std::uint8_t> image) {
  // An empty image would reach PlaySoundA as "no sound", which stops instead.
  if (image.empty()) return false;
  return PlaySoundA(reinterpret_cast<LPCSTR>(image.data()), nullptr,
                    SND_MEMORY | SND_ASYNC) != FALSE;
}

void StopSound() {
  PlaySoundA(nullptr, nullptr, 0);
}

} // namespace kv::platform::native
