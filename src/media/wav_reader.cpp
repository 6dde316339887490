// WAV format notes, as far as the sound import reads it.
//
// Integers are little-endian. The file is a RIFF form:
//
//   0   4  "RIFF"
//   4   4  the form's size (not trusted: many writers leave it wrong)
//   8   4  "WAVE"
//   12     chunks to the end of the file: a 4-byte identifier, a 4-byte size,
//          that many bytes, and one pad byte when the size is odd
//
// Two chunks are needed, in any order, the first of each counting:
//
//   "fmt "  0  2  format tag: 1 integer PCM, 3 IEEE float, 0xFFFE extensible
//           2  2  channels
//           4  4  samples per second
//           8  4  bytes per second (not needed)
//          12  2  block alignment: bytes per frame, channels × bytes per sample
//          14  2  bits per sample: 8, 16, 24 or 32 (float: 32)
//          the extensible form goes on with a 2-byte extra size (22 or more),
//          2 valid bits, 4 channel mask and a 16-byte sub-format whose first
//          two bytes are the real tag, 1 or 3; its value sits in the high
//          bits of the sample's container, so it is read as the container's
//          size
//   "data"  the frames, channel by channel within each frame; 8-bit samples
//           are unsigned (128 is silence), wider ones signed
//
// Bounds. Every read is checked against the file's length as `at > length -
// size`; a chunk whose size runs past the end of the file is refused when it
// is the data (the sound would be cut short without a word) and ends the walk
// otherwise. A last frame cut short is not sound and is left out.
#include "media/wav_reader.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "core/little_endian.h"

namespace kv {
namespace {

constexpr std::uint16_t kTagPcm = 1;
constexpr std::uint16_t kTagFloat = 3;
constexpr std::uint16_t kTagExtensible = 0xFFFE;
constexpr std::size_t kChunkHeader = 8;
constexpr std::size_t kFormatSize = 16;
constexpr std::size_t kExtensibleSize = 40;
// The sub-format of the extensible form: the tag, then this fixed GUID tail.
constexpr std::uint8_t kGuidTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                        0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

WavReading Refuse(std::string problem) {
  return {std::nullopt, std::move(problem)};
}

// The format chunk's sound, without its data; a problem when it is not one
// that the import reads.
WavReading ReadFormat(std::span<const std::uint8_t> chunk) {
  if (chunk.size() < kFormatSize) return Refuse("its format chunk is cut short");
  std::uint16_t tag = LoadLE16(chunk.data());
  if (tag == kTagExtensible) {
    if (chunk.size() < kExtensibleSize || std::memcmp(chunk.data() + 26, kGuidTail, sizeof kGuidTail) != 0)
      return Refuse("its extensible format chunk names no sub-format that is read here");
    tag = LoadLE16(chunk.data() + 24);
  }
  WavSound sound;
  sound.channels = LoadLE16(chunk.data() + 2);
  sound.sample_rate = LoadLE32(chunk.data() + 4);
  const std::uint16_t block_align = LoadLE16(chunk.data() + 12);
  sound.bits = LoadLE16(chunk.data() + 14);
  sound.is_float = tag == kTagFloat;
  const std::string shape = std::to_string(sound.bits) + "-bit " +
                            (sound.is_float   ? "float"
                             : tag == kTagPcm ? "PCM"
                                              : "data");
  if (tag != kTagPcm && tag != kTagFloat)
    return Refuse("its samples are coded (format " + std::to_string(tag) +
                  "); only PCM and 32-bit float are read");
  if (sound.is_float ? sound.bits != 32 : (sound.bits % 8 != 0 || sound.bits < 8 || sound.bits > 32))
    return Refuse("its samples are " + shape + "; read are PCM of 8, 16, 24 or 32 bits and 32-bit float");
  if (sound.channels == 0) return Refuse("it says it has no channels");
  if (block_align != sound.frame_size())
    return Refuse("its frames are " + std::to_string(block_align) + " bytes, not " +
                  std::to_string(sound.frame_size()) + " for " + std::to_string(sound.channels) +
                  " channels of " + shape);
  if (sound.sample_rate < kMinWavRate || sound.sample_rate > kMaxWavRate)
    return Refuse("its rate of " + std::to_string(sound.sample_rate) + " samples per second is outside " +
                  std::to_string(kMinWavRate) + " to " + std::to_string(kMaxWavRate));
  return {sound, {}};
}

// One sample as a value from -1 to 1.
float SampleValue(const std::uint8_t* at, const WavSound& sound) {
  if (sound.is_float) {
    float value = 0;
    const std::uint32_t bits = LoadLE32(at);
    std::memcpy(&value, &bits, sizeof value);
    return std::isnan(value) ? 0.0f : std::clamp(value, -1.0f, 1.0f);
  }
  switch (sound.bits) {
  case 8: return (at[0] - 128) / 128.0f;
  case 16: return static_cast<std::int16_t>(LoadLE16(at)) / 32768.0f;
  case 24:
    return static_cast<std::int32_t>(std::uint32_t{at[0]} << 8 | std::uint32_t{at[1]} << 16 |
                                     std::uint32_t{at[2]} << 24) /
           2147483648.0f;
  default: return static_cast<std::int32_t>(LoadLE32(at)) / 2147483648.0f;
  }
}

} // namespace

WavReading ReadWav(std::span<const std::uint8_t> file) {
  if (file.size() < 12 || std::memcmp(file.data(), "RIFF", 4) != 0 ||
      std::memcmp(file.data() + 8, "WAVE", 4) != 0)
    return Refuse("it is not a WAV file (it does not start with RIFF....WAVE)");
  std::optional<std::span<const std::uint8_t>> format, data;
  for (std::size_t at = 12; at <= file.size() && kChunkHeader <= file.size() - at;) {
    const std::uint8_t* header = file.data() + at;
    const std::uint32_t size = LoadLE32(header + 4);
    at += kChunkHeader;
    const bool is_data = std::memcmp(header, "data", 4) == 0;
    if (size > file.size() - at) {
      if (is_data && !data)
        return Refuse("its data chunk says " + std::to_string(size) + " bytes but the file holds " +
                      std::to_string(file.size() - at) + " after it: the file is cut short");
      break;
    }
    const std::span<const std::uint8_t> body = file.subspan(at, size);
    if (is_data && !data) data = body;
    if (std::memcmp(header, "fmt ", 4) == 0 && !format) format = body;
    at += size;
    if (size % 2 != 0) ++at;
  }
  if (!format) return Refuse("it has no format chunk");
  if (!data) return Refuse("it has no data chunk");
  WavReading reading = ReadFormat(*format);
  if (reading.sound)
    reading.sound->data = data->first(data->size() - data->size() % reading.sound->frame_size());
  return reading;
}

std::vector<float> MixToMono(const WavSound& sound) {
  const std::size_t frames = sound.frames(), bytes = sound.bits / 8;
  std::vector<float> mono(frames);
  for (std::size_t frame = 0; frame < frames; ++frame) {
    const std::uint8_t* at = sound.data.data() + frame * sound.frame_size();
    double sum = 0;
    for (std::size_t channel = 0; channel < sound.channels; ++channel)
      sum += SampleValue(at + channel * bytes, sound);
    mono[frame] = static_cast<float>(sum / sound.channels);
  }
  return mono;
}

} // namespace kv
