// Loading the Classic Commentary mode: COMMENT.TOK chosen by the user and
// decoded, VOICE.WAD found beside it and held as CurrentWad, the name lists
// built and the name slots reset, then the catalogue parsed. Each step tells
// the user about its own failures; the command line reuses the steps.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "commentary/comment_tok.h"

namespace kv {

// COMMENT.TOK's decoded text: read whole, asked about when it does not look
// compressed, decoded. The text ends where the decoded bytes end. None after
// the user has been told why (or answered No).
std::optional<std::vector<std::uint8_t>> ReadCommentaryText(const std::string& path);

// VOICE\VOICE.WAD in the folder of `script` (case ignored where files are
// case-sensitive); none when it is not there.
std::optional<std::string> FindVoiceWadBeside(const std::string& script);

// Where VOICE.WAD was found, and the folder that holds the name lists.
struct VoiceWadLocation {
  std::string path;
  std::string nameListFolder;
};

// VOICE.WAD for `script`: beside it, else along the system's search order
// for files (the name lists are then looked for beside the script), else
// picked in an open dialog (the name lists beside the picked file). None
// when the dialog was cancelled.
std::optional<VoiceWadLocation> LocateVoiceWad(const std::string& script);

// Shows the parse's messages, each under its entry id.
void ShowCatalogueMessages(const ParsedCatalogue& catalogue);

// The whole loading, dialogs included; the lines of the catalogue, or none
// when the mode cannot be entered (the user has been told why, or
// cancelled). On success VOICE.WAD is CurrentWad, the name lists are built
// (or empty) and the name slots hold their defaults.
std::optional<std::vector<CommentaryLine>> LoadCommentaryCatalogue();

namespace text {
inline constexpr const char* kSelectCommentTok = "Select COMMENT.TOK file";
inline constexpr const char* kSelectVoiceWad = "Select VOICE.WAD file";
inline constexpr const char* kCommentTokNotCompressed =
    "File does not appear to be compressed\n Decompress Anyways?";
inline constexpr const char* kVoiceFolder = "VOICE\\";
inline constexpr const char* kVoiceWad = "VOICE.WAD";
} // namespace text

} // namespace kv
