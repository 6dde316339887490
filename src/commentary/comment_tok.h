// The commentary catalogue: COMMENT.TOK's text turned into one
// CommentaryLine per entry. Pure: no files, no user interface; the loader
// (commentary_catalogue.h) shows the messages that the parse returns. The
// format notes and an example are at the top of comment_tok.cpp.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace kv {

// A line holds at most this many sound pieces.
inline constexpr std::size_t kMaxLinePieces = 16;

// One commentary line: the WAV file it is exported to, the kinds of names
// it speaks and its sound pieces in speaking order. A piece is either an
// SFX entry name of VOICE.WAD ("J035A.SFX") or a name placeholder of three
// characters: '*', the speaker letter and the slot letter 'A' to 'F'
// ("*JA": speaker J says the name in slot A).
struct CommentaryLine {
  std::string entryId;            // the three bytes between '<' and '>'
  bool hasTeamName = false;       // a '%T' or '%t' code
  bool hasStarPlayerName = false; // '%1' or '%2' in a line that is not a passing line
  bool hasThrowerName = false;    // a passing line (category 'c' or 't')
  std::string outputName;         // "Pass_035.wav"
  std::vector<std::string> pieces;
};

// A message of the parse, shown under the entry id as its caption.
struct CatalogueMessage {
  std::string entryId;
  std::string text;
};

struct ParsedCatalogue {
  bool firstEntryFound = false; // the text holds the exact "<035>"
  std::vector<CommentaryLine> lines;
  std::vector<CatalogueMessage> messages;
};

// The decoded text of COMMENT.TOK: its bytes as decoded. A zero byte ends
// every search that meets it; reads past the end give zero.
using CommentaryText = std::span<const std::uint8_t>;

// The first position at or after `from` where `pattern` matches: every byte
// of the match is non-zero and equals the pattern's where the mask is
// non-zero. The scan stops at a zero byte or the end; none when not found.
std::optional<std::size_t> FindMaskedPattern(CommentaryText text, std::size_t from,
                                             std::span<const std::uint8_t> pattern,
                                             std::span<const std::int32_t> mask);

// The whole parse: every entry from the first exact "<035>" on.
ParsedCatalogue ParseCommentaryText(CommentaryText text);

namespace text {
inline constexpr const char* kFirstEntryNotFound = "First entry not found in comment.tok";
inline constexpr const char* kCatalogueFailedCaption = "Commentary Export Failed";
inline constexpr const char* kCatalogueAbortCaption = "Commentary Export Abort";
inline constexpr const char* kUnknownCode = "Error: Unknown code";
inline constexpr const char* kTooManyPieces = "Error: Too many comments in one file";
} // namespace text

} // namespace kv
