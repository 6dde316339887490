// SFX clips and the WAV images made from them.
//
// An SfxClip is bare sample data as a WAD archive stores it: 8-bit unsigned
// samples, one channel, 11025 samples per second, no header. A WAV image is
// one WavHeader followed by the sample bytes unchanged, 46 + n bytes in all.
//
// WavHeader, 46 bytes, integers little-endian:
//
//   offset size field                 value
//        0    4 chunk identifier      "RIFF"
//        4    4 RIFF size             data size + 38
//        8    4 form type             "WAVE"
//       12    4 chunk identifier      "fmt "
//       16    4 format chunk size     18 (it carries the extra-bytes count)
//       20    2 format tag            1 (PCM)
//       22    2 channels              1
//       24    4 samples per second    11025
//       28    4 bytes per second      11025
//       32    2 block alignment       1
//       34    2 bits per sample       8
//       36    2 extra format bytes    0
//       38    4 chunk identifier      "data"
//       42    4 data size             the number of sample bytes that follow
//
// Nothing else is written: no other chunk, and no pad byte behind data of
// odd length (the RIFF size stays data size + 38).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace kv {

// Decoded SFX entry: sample bytes only.
using SfxClip = std::vector<std::uint8_t>;
inline constexpr std::uint32_t kSfxSamplesPerSecond = 11025;

// A WAV image: a WavHeader, then the samples.
using WavImage = std::vector<std::uint8_t>;

struct WavHeader {
  static constexpr std::size_t kSize = 46;
  static constexpr std::size_t kRiffSizeOffset = 4;
  static constexpr std::size_t kDataSizeOffset = 42;
  // The RIFF size counts everything behind its own field: 46 - 8 header bytes.
  static constexpr std::uint32_t kRiffSizeExtra = 38;
};

// The header with both size fields 0.
extern const std::array<std::uint8_t, WavHeader::kSize> WAV_TEMPLATE;

// The most sample bytes one image can hold: its length, 46 + data size, and
// the RIFF size must both fit in 32 bits.
inline constexpr std::uint32_t kMaxWavDataSize = 0xFFFFFFFFu - WavHeader::kSize;

// Writes the 46 header bytes for `data_size` sample bytes; the caller keeps
// data_size at or under kMaxWavDataSize.
void BuildWavHeader(std::span<std::uint8_t, WavHeader::kSize> destination, std::uint32_t data_size);

// A new image holding `samples` behind their header; nullopt when they are
// too many for one image or there is no memory for it.
std::optional<WavImage> MakeWavImage(std::span<const std::uint8_t> samples);

} // namespace kv
