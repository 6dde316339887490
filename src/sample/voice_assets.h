// The files of assets/voice, built into the program by
// cmake/embed-files.cmake: the sample's speech clips NAME.raw (8-bit
// unsigned mono at 11025 samples per second, made once by
// scripts/make-voice-clips.sh) and phrases.txt, which says what each says.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace kv {

struct EmbeddedFile {
  std::string_view name; // the file's name in assets/voice
  std::span<const std::uint8_t> bytes;
};

// Sorted by name.
std::span<const EmbeddedFile> VoiceAssets();

} // namespace kv
