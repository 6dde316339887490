// Locating VOICE.WAD, the archive of the game's recorded speech, for a
// script beside it (COMMENT.TOK or REMIX.TXT): the folder VOICE inside the
// script's folder, then the system's search order for files, then an open
// dialog.
#pragma once

#include <optional>
#include <string>

namespace kv {

// VOICE\VOICE.WAD in the folder of `script` (names matched without regard to
// case); none when it is not there.
std::optional<std::string> FindVoiceWadBeside(const std::string& script);

// Where VOICE.WAD was found, and the folder that holds the game's other
// files: the script's folder, or the picked file's when the user picked it.
struct VoiceWadLocation {
  std::string path;
  std::string gameFolder;
};

// VOICE.WAD for `script`: beside it, else along the system's search order
// for files, else picked in an open dialog ("" as the initial name or, when
// `initial_name` is true, "VOICE.WAD"). None when the dialog was cancelled.
std::optional<VoiceWadLocation> LocateVoiceWad(const std::string& script, bool initial_name = false);

namespace text {
inline constexpr const char* kSelectVoiceWad = "Select VOICE.WAD file";
inline constexpr const char* kVoiceFolder = "VOICE\\";
inline constexpr const char* kVoiceWad = "VOICE.WAD";
} // namespace text

} // namespace kv
