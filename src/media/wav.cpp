#include "media/wav.h"

#include <algorithm>
#include <new>
#include <stdexcept>

namespace kv {
namespace {

void StoreLittleEndian32(std::uint8_t* at, std::uint32_t value) {
  at[0] = static_cast<std::uint8_t>(value);
  at[1] = static_cast<std::uint8_t>(value >> 8);
  at[2] = static_cast<std::uint8_t>(value >> 16);
  at[3] = static_cast<std::uint8_t>(value >> 24);
}

} // namespace

const std::array<std::uint8_t, WavHeader::kSize> WAV_TEMPLATE = {
    'R',  'I',  'F', 'F', 0,   0,   0,   0,   // RIFF, size
    'W',  'A',  'V', 'E', 'f', 'm', 't', ' ', // WAVE, fmt
    18,   0,    0,   0,                       // format chunk size
    1,    0,                                  // PCM
    1,    0,                                  // one channel
    0x11, 0x2B, 0,   0,                       // 11025 samples per second
    0x11, 0x2B, 0,   0,                       // 11025 bytes per second
    1,    0,                                  // block alignment
    8,    0,                                  // bits per sample
    0,    0,                                  // no extra format bytes
    'd',  'a',  't', 'a', 0,   0,   0,   0,   // data, size
};

void BuildWavHeader(std::span<std::uint8_t, WavHeader::kSize> destination, std::uint32_t data_size) {
  std::copy(WAV_TEMPLATE.begin(), WAV_TEMPLATE.end(), destination.begin());
  StoreLittleEndian32(destination.data() + WavHeader::kRiffSizeOffset, data_size + WavHeader::kRiffSizeExtra);
  StoreLittleEndian32(destination.data() + WavHeader::kDataSizeOffset, data_size);
}

std::optional<WavImage> MakeWavImage(std::span<const std::uint8_t> samples) {
  if (samples.size() > kMaxWavDataSize) return std::nullopt;
  WavImage image;
  try {
    image.resize(WavHeader::kSize + samples.size());
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  } catch (const std::length_error&) {
    return std::nullopt;
  }
  BuildWavHeader(std::span(image).first<WavHeader::kSize>(), static_cast<std::uint32_t>(samples.size()));
  std::copy(samples.begin(), samples.end(), image.begin() + WavHeader::kSize);
  return image;
}

} // namespace kv
