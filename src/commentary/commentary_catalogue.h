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

// Shows the parse's messages, each under its entry id.
void ShowCatalogueMessages(const ParsedCatalogue& catalogue);

// The whole loading, dialogs included; the lines of the catalogue, or none
// when the mode cannot be entered (the user has been told why, or
// cancelled). On success VOICE.WAD is CurrentWad, the name lists are built
// (or empty) and the name slots hold their defaults.
std::optional<std::vector<CommentaryLine>> LoadCommentaryCatalogue();

namespace text {
inline constexpr const char* kSelectCommentTok = "Select COMMENT.TOK file";
inline constexpr const char* kCommentTokNotCompressed =
    "File does not appear to be compressed\n Decompress Anyways?";
} // namespace text

} // namespace kv
