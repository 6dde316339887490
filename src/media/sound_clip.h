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

// Plays an image that its owner keeps (a remix row's, which can be large)
// without a copy: the owner must stop the sound before it lets the image go,
// as leaving a mode does.
void PlayBorrowedClip(std::span<const std::uint8_t> image);

// The held or borrowed image; empty when none is held.
std::span<const std::uint8_t> PlayingClip();

} // namespace kv
