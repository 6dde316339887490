// REMIX.TXT: new commentary lines cut and joined from the game's recorded
// speech. The reader turns a script and a VOICE.WAD image into one WAV image
// per entry; it touches no files. The grammar and an example are at the top
// of remix_script.cpp.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "media/wav.h"
#include "wad/wad_archive.h"

namespace kv {

// A piece of an entry: `length` bytes from `start` of the sound `name`
// (the script's piece name and ".SFX"), clamped to the sound's `size`.
struct RemixPiece {
  std::string name;
  std::uint32_t start = 0;
  std::uint32_t length = 0;
  std::uint32_t size = 0;
};

struct RemixEntry {
  std::string name; // the row's text; its file is name + ".wav"
  std::vector<RemixPiece> pieces;
  WavImage image; // the header for the pieces' total, then the pieces in order
};

// Where a script is in error: the entry (empty before its name is read), the
// piece (empty for the entry as a whole) and why.
struct RemixScriptError {
  std::string entry;
  std::string piece;
  std::string reason;
  bool too_large = false; // the script's sounds would pass kMaxRemixSoundBytes
};

struct RemixScript {
  std::vector<RemixEntry> entries;       // in script order, up to an error
  std::optional<RemixScriptError> error; // the first error; reading stops there
};

// The most memory a script's sounds may take, the lines' images and the
// clips decoded for them together: far above any script of the game, and
// within reach of the 32-bit program.
inline constexpr std::uint64_t kMaxRemixSoundBytes = std::uint64_t{512} << 20;

// A piece name holds at most this many characters (with ".SFX", 13).
inline constexpr std::size_t kMaxRemixPieceName = 9;

// Reads the whole script (up to its first zero byte) against `voice`, whose
// clips are decoded once each. A clip that fails to decode is told about by
// ReadFromWad and gives silence.
RemixScript ReadRemixScript(std::span<const std::uint8_t> script, WadImage voice);

// A decimal number as the script writes it: white space, a sign, digits up
// to the first other character (none give 0), saturated at the signed
// 32-bit limits, then taken as unsigned 32 bits.
std::uint32_t RemixNumber(const std::string& token);

// One line for the user: entry, piece and reason.
std::string DescribeRemixError(const RemixScriptError& error);

namespace text {
inline constexpr const char* kRemixScriptError = "Error in REMIX script";
inline constexpr const char* kRemixErrorCaption = "Abort";
} // namespace text

} // namespace kv
