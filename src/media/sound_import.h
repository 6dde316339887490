// A WAV file made into an SFX clip, the way back from the WAV files that
// extraction writes: one channel, 11025 samples per second, 8-bit unsigned.
// Pure: the file's bytes in, the clip (or why it cannot be made) out.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "media/wav.h"

namespace kv {

// The most samples a clip can hold: it is stored as one CompressedBlock.
inline constexpr std::size_t kMaxSfxClipSize = 65535;

// A clip, or why the WAV file cannot become one, as a phrase.
struct SfxImport {
  SfxClip clip;
  std::string problem;
  bool ok() const { return problem.empty(); }
};

// A WAV file that already holds a clip's format (8-bit PCM, one channel,
// 11025 per second) gives its samples unchanged, so that a clip that was
// extracted comes back byte for byte. Any other is mixed to one channel,
// resampled to 11025 per second (resample.h) and reduced to 8 bits with
// triangular dither of one step either way, from a fixed seed so that a
// file always gives the same clip. Refused: a file ReadWav refuses, and one
// whose clip would pass 65535 samples (about 5.9 seconds).
SfxImport ImportSfxClip(std::span<const std::uint8_t> wav_file);

} // namespace kv
