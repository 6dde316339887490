#include "media/sound_import.h"

#include <algorithm>
#include <cmath>

#include "media/resample.h"
#include "media/wav_reader.h"

namespace kv {
namespace {

// A small generator of fixed sequence (xorshift32): the dither must not
// depend on the platform's random numbers.
class DitherNoise {
public:
  // Uniform from 0 to 1.
  double Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return state_ / 4294967296.0;
  }
  // Triangular from -1 to 1: the sum of two uniform values.
  double Triangular() { return Next() + Next() - 1; }

private:
  std::uint32_t state_ = 0x2545F491u;
};

SfxImport Refuse(std::string problem) {
  return {{}, std::move(problem)};
}

} // namespace

SfxImport ImportSfxClip(std::span<const std::uint8_t> wav_file) {
  const WavReading reading = ReadWav(wav_file);
  if (!reading.sound) return Refuse(reading.problem);
  const WavSound& sound = *reading.sound;
  if (sound.frames() == 0) return Refuse("its data chunk holds no sound");
  const std::size_t length = ResampledLength(sound.frames(), sound.sample_rate, kSfxSamplesPerSecond);
  if (length > kMaxSfxClipSize) {
    return Refuse("at 11025 samples per second it makes " + std::to_string(length) +
                  " samples; a clip holds at most " + std::to_string(kMaxSfxClipSize) + " (about 5.9 s)");
  }
  if (sound.bits == 8 && !sound.is_float && sound.channels == 1 && sound.sample_rate == kSfxSamplesPerSecond)
    return {{sound.data.begin(), sound.data.end()}, {}};

  const std::vector<float> samples = Resample(MixToMono(sound), sound.sample_rate, kSfxSamplesPerSecond);
  SfxImport import;
  import.clip.resize(samples.size());
  DitherNoise noise;
  for (std::size_t i = 0; i < samples.size(); ++i) {
    const double level = 128 + 128.0 * samples[i] + noise.Triangular();
    import.clip[i] = static_cast<std::uint8_t>(std::clamp(std::floor(level + 0.5), 0.0, 255.0));
  }
  return import;
}

} // namespace kv
