// ReadWav, MixToMono and ImportSfxClip on arbitrary bytes taken as a WAV
// file, copied into a heap block of its own size so that a read past its end
// is caught: a sound read lies inside the file in whole frames of a form
// that is read, mixes to values from -1 to 1, and makes a clip of the
// length its rate gives, or is refused with a reason.
#include <vector>

#include "media/resample.h"
#include "media/sound_import.h"
#include "media/wav_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::uint8_t> file(data, data + size);
  const kv::WavReading reading = kv::ReadWav(file);
  if (!reading.sound) {
    if (reading.problem.empty()) __builtin_trap();
    return 0;
  }
  const kv::WavSound& sound = *reading.sound;
  if (sound.data.data() < file.data() || sound.data.data() + sound.data.size() > file.data() + file.size() ||
      sound.data.size() % sound.frame_size() != 0 || sound.channels == 0 ||
      (sound.is_float ? sound.bits != 32 : sound.bits % 8 != 0 || sound.bits < 8 || sound.bits > 32))
    __builtin_trap();
  for (const float value : kv::MixToMono(sound))
    if (!(value >= -1 && value <= 1)) __builtin_trap();
  // Resampling costs time in the rate ratio; small sounds are enough here.
  if (sound.frames() > 2000 || sound.sample_rate > 200000) return 0;
  const kv::SfxImport import = kv::ImportSfxClip(file);
  const std::size_t length = kv::ResampledLength(sound.frames(), sound.sample_rate, kv::kSfxSamplesPerSecond);
  if (import.ok() != (sound.frames() != 0 && length <= kv::kMaxSfxClipSize) ||
      (import.ok() && import.clip.size() != length))
    __builtin_trap();
  return 0;
}
