#include "media/sound_clip.h"

#include <memory>
#include <utility>

#include "platform/platform.h"

namespace kv {
namespace {

// Held until the next PlaySoundClip; at the end of the process the sound is
// stopped before the image goes.
struct HeldClip {
  std::unique_ptr<WavImage> image;
  std::span<const std::uint8_t> borrowed;
  HeldClip() = default;
  HeldClip(const HeldClip&) = delete;
  HeldClip& operator=(const HeldClip&) = delete;
  ~HeldClip() {
    if (image || !borrowed.empty()) platform::StopSound();
  }
};

HeldClip& Held() {
  static HeldClip held;
  return held;
}

} // namespace

void PlaySoundClip(std::optional<WavImage> image) {
  HeldClip& held = Held();
  platform::StopSound();
  held.image.reset();
  held.borrowed = {};
  if (!image) return;
  held.image = std::make_unique<WavImage>(std::move(*image));
  platform::PlayWav(*held.image);
}

void PlayBorrowedClip(std::span<const std::uint8_t> image) {
  PlaySoundClip(std::nullopt);
  Held().borrowed = image;
  platform::PlayWav(image);
}

std::span<const std::uint8_t> PlayingClip() {
  const HeldClip& held = Held();
  if (!held.image) return held.borrowed;
  return *held.image;
}

} // namespace kv
