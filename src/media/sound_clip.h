// The playing clip: the one WAV image that the tool plays at a time.
//
// The platform reads an image while it sounds, so the image that plays is
// owned here and released only after its sound has been stopped.
#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "media/wav.h"

namespace kv {

// Stops whatever plays, releases the image held until now, holds `image`
// (or nothing) and starts it without waiting. A failed start is not told;
// the image stays held until the next call.
void PlaySoundClip(std::optional<WavImage> image);

// The held image; empty when none is held.
std::span<const std::uint8_t> PlayingClip();

} // namespace kv
