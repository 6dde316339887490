// Reading WAV files that a user brings, to make SFX clips of them: PCM of
// 8, 16, 24 or 32 bits and 32-bit IEEE float, any channel count and sample
// rate. Pure: bytes in, the sound (or why it cannot be read) out. The format
// notes and the bounds policy are at the top of wav_reader.cpp.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace kv {

// The rates a WAV file may have here: beyond them the work to resample
// grows without any sound to gain.
inline constexpr std::uint32_t kMinWavRate = 1;
inline constexpr std::uint32_t kMaxWavRate = 1000000;

// The sound of a WAV file, its samples still as stored.
struct WavSound {
  std::uint32_t sample_rate = 0;
  std::uint16_t channels = 0;
  std::uint16_t bits = 0;             // per sample as stored: 8, 16, 24 or 32
  bool is_float = false;              // 32-bit IEEE float rather than integer PCM
  std::span<const std::uint8_t> data; // whole frames only, inside the file's bytes

  std::size_t frame_size() const { return std::size_t{channels} * (bits / 8); }
  std::size_t frames() const { return data.size() / frame_size(); }
};

// A WAV file's sound, or why it cannot be had as a phrase ("the file is not
// a WAV file (it does not start with RIFF....WAVE)").
struct WavReading {
  std::optional<WavSound> sound;
  std::string problem;
};

WavReading ReadWav(std::span<const std::uint8_t> file);

// Each frame's channels averaged into one value from -1 to 1: 8-bit samples
// are unsigned around 128, the others signed; a float that is not a number
// counts as silence and one beyond full scale as full scale.
std::vector<float> MixToMono(const WavSound& sound);

} // namespace kv
