// The files of assets/, built into the program by cmake/embed-files.cmake:
// - assets/voice: the speech clips of the sample's SOUNDS.WAD, NAME.raw
//   (8-bit unsigned mono at 11025 samples per second, made once by
//   scripts/make-voice-clips.sh), and phrases.txt, which says what each says;
// - assets/commentary: the text of COMMENT.TOK (COMMENT.TXT), the teams and
//   free agents (names.txt), REMIX.TXT and the clips of VOICE\VOICE.WAD with
//   their phrases.txt (scripts/commentary-phrases.py).
#pragma once

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace kv {

struct EmbeddedFile {
  std::string_view name; // the file's name in its folder
  std::span<const std::uint8_t> bytes;
};

// Sorted by name.
std::span<const EmbeddedFile> VoiceAssets();
std::span<const EmbeddedFile> CommentaryAssets();

// A file as the generated source holds it: its bytes as hex digits.
struct HexFile {
  std::string_view name;
  std::string_view hex;
};

// The files of a folder, decoded once from their digits and kept.
class EmbeddedFiles {
public:
  explicit EmbeddedFiles(std::span<const HexFile> files);
  std::span<const EmbeddedFile> files() const { return files_; }

private:
  std::vector<std::vector<std::uint8_t>> bytes_;
  std::vector<EmbeddedFile> files_;
};

// The file `name` of `assets`; throws std::logic_error when it is not built in.
std::span<const std::uint8_t> EmbeddedAsset(std::span<const EmbeddedFile> assets, std::string_view name);

} // namespace kv
