// Format notes: the decoded text of COMMENT.TOK.
//
// 8-bit text. Everything before the first exact "<035>" is ignored. Then
// entries, each opened by a marker '<', three non-zero bytes (the entry id),
// '>'. Relative to the '<': byte 5 is not read, byte 6 is the category
// letter, byte 7 the second letter where the category has one. The entry
// runs to the next marker, which is searched for from the category letter.
//
//   <035> tg%J %1 throws to %2%B what a pass%T
//
// After the letters comes spoken text with codes: '%' and one character.
// '%J' / '%B' make that speaker the current one and, unless the byte two
// places after the code character is '%', add the speaker's next piece
// (J035A.SFX, J035B.SFX, ...; each speaker counts its own letters). '%T' and
// '%t' add the placeholder for team A or B; '%1' and '%2' the thrower and
// receiver in a passing line, else captain A and B. After a placeholder, a
// next '%' more than 4 bytes after its code character means the speaker
// talks on: one more piece of the current speaker. That '%' may lie in a
// later entry; only the distance counts. The example gives *JE, J035A.SFX,
// *JF, B035A.SFX, *BA.
//
// Error policy: an unknown code is reported under the entry id and skipped;
// a seventeenth piece is reported and ends that entry's codes. Neither stops
// the parse. Words between codes are never read.
//
// Choices where the format says nothing: a name placeholder (and the piece
// after it) before any '%J' or '%B' is spoken by J; an entry of an unknown
// category is kept as "Unknown_ID.wav" with its codes read; a 't' entry
// whose second letter is neither 'g' nor 'i' is "Throw_ID.wav", still a
// passing line.
#include "commentary/comment_tok.h"

#include <array>
#include <cstdio>

namespace kv {
namespace {

constexpr std::array<std::uint8_t, 5> kFirstMarker = {'<', '0', '3', '5', '>'};
constexpr std::array<std::int32_t, 5> kExactMask = {1, 1, 1, 1, 1};
constexpr std::array<std::int32_t, 5> kMarkerMask = {1, 0, 0, 0, 1};
constexpr std::array<std::uint8_t, 1> kPercent = {'%'};
constexpr std::array<std::int32_t, 1> kPercentMask = {1};

constexpr std::size_t kCategoryOffset = 6;
constexpr std::size_t kSecondLetterOffset = 7;
// A trailing piece needs the next '%' more than this far after the code character.
constexpr std::size_t kTrailingDistance = 4;
constexpr char kDefaultSpeaker = 'J';

std::uint8_t At(CommentaryText text, std::size_t index) {
  return index < text.size() ? text[index] : 0;
}

std::optional<std::size_t> FindPercent(CommentaryText text, std::size_t from) {
  return FindMaskedPattern(text, from, kPercent, kPercentMask);
}

struct Category {
  const char* pattern;
  bool thrower;
};

Category CategoryOf(std::uint8_t letter, std::uint8_t second) {
  switch (letter) {
  case 'a': return {"Restart_After_TouchDown_%s.wav", false};
  case 'c': return {second == 'b' ? "Catch_Bad_%s.wav" : "Interception_Drop_%s.wav", true};
  case 'h': return {second == '2' ? "Half_2nd_Start_%s.wav" : "Half_1st_Start_%s.wav", false};
  case 'o':
    if (second == '1') return {"Overtime_%s.wav", false};
    if (second == 'm') return {"Overtime_Multi_%s.wav", false};
    return {"Opening_%s.wav", false};
  case 'r': return {"Replay_%s.wav", false};
  case 't':
    if (second == 'g') return {"Pass_%s.wav", true};
    if (second == 'i') return {"Interception_%s.wav", true};
    return {"Throw_%s.wav", true};
  default: return {"Unknown_%s.wav", false};
  }
}

std::string FormatName(const char* pattern, const std::string& id) {
  std::array<char, 260> name{};
  std::snprintf(name.data(), name.size(), pattern, id.c_str());
  return name.data();
}

// The state of the entry being read.
class EntryParser {
public:
  EntryParser(CommentaryText text, std::size_t start, std::size_t next, ParsedCatalogue& out)
      : text_(text), start_(start), next_(next), out_(out) {}

  CommentaryLine Parse() {
    line_.entryId = {static_cast<char>(At(text_, start_ + 1)), static_cast<char>(At(text_, start_ + 2)),
                     static_cast<char>(At(text_, start_ + 3))};
    const std::uint8_t letter = At(text_, start_ + kCategoryOffset);
    // The second letter is read only by the categories that have one.
    const bool has_second = letter == 'c' || letter == 'h' || letter == 'o' || letter == 't';
    const Category category = CategoryOf(letter, has_second ? At(text_, start_ + kSecondLetterOffset) : 0);
    line_.outputName = FormatName(category.pattern, line_.entryId);
    line_.hasThrowerName = category.thrower;

    for (auto percent = FindPercent(text_, start_ + kCategoryOffset); percent && *percent < next_;
         percent = FindPercent(text_, *percent + 1)) {
      if (!ReadCode(*percent + 1)) break;
    }
    return std::move(line_);
  }

private:
  // Reads the code whose character is at `code`; false when the line is full.
  bool ReadCode(std::size_t code) {
    const char c = static_cast<char>(At(text_, code));
    switch (c) {
    case 'J':
    case 'B':
      speaker_ = c;
      if (At(text_, code + 2) == '%') return true;
      return AddSpeakerPiece();
    case 'T': line_.hasTeamName = true; return AddPlaceholder('A', code);
    case 't': line_.hasTeamName = true; return AddPlaceholder('B', code);
    case '1':
      if (!line_.hasThrowerName) line_.hasStarPlayerName = true;
      return AddPlaceholder(line_.hasThrowerName ? 'E' : 'C', code);
    case '2':
      if (!line_.hasThrowerName) line_.hasStarPlayerName = true;
      return AddPlaceholder(line_.hasThrowerName ? 'F' : 'D', code);
    default: Tell(text::kUnknownCode); return true;
    }
  }

  bool AddPlaceholder(char slot, std::size_t code) {
    if (!Add(std::string{'*', speaker_, slot})) return false;
    const auto later = FindPercent(text_, code);
    if (later && *later - code > kTrailingDistance) return AddSpeakerPiece();
    return true;
  }

  bool AddSpeakerPiece() {
    char& letter = speaker_ == 'B' ? letter_b_ : letter_j_;
    std::string piece = {speaker_};
    piece += line_.entryId;
    piece += letter;
    piece += ".SFX";
    if (!Add(std::move(piece))) return false;
    ++letter;
    return true;
  }

  bool Add(std::string piece) {
    if (line_.pieces.size() >= kMaxLinePieces) {
      Tell(text::kTooManyPieces);
      return false;
    }
    line_.pieces.push_back(std::move(piece));
    return true;
  }

  void Tell(const char* message) { out_.messages.push_back({line_.entryId, message}); }

  CommentaryText text_;
  std::size_t start_;
  std::size_t next_;
  ParsedCatalogue& out_;
  CommentaryLine line_;
  char speaker_ = kDefaultSpeaker;
  char letter_j_ = 'A';
  char letter_b_ = 'A';
};

} // namespace

std::optional<std::size_t> FindMaskedPattern(CommentaryText text, std::size_t from,
                                             std::span<const std::uint8_t> pattern,
                                             std::span<const std::int32_t> mask) {
  for (std::size_t start = from; At(text, start) != 0; ++start) {
    bool match = true;
    for (std::size_t i = 0; i < pattern.size() && match; ++i) {
      const std::uint8_t byte = At(text, start + i);
      match = byte != 0 && (mask[i] == 0 || byte == pattern[i]);
    }
    if (match) return start;
  }
  return std::nullopt;
}

ParsedCatalogue ParseCommentaryText(CommentaryText text) {
  ParsedCatalogue out;
  auto entry = FindMaskedPattern(text, 0, kFirstMarker, kExactMask);
  if (!entry) return out;
  out.firstEntryFound = true;
  while (*entry < text.size()) {
    const std::size_t next =
        FindMaskedPattern(text, *entry + kCategoryOffset, kFirstMarker, kMarkerMask).value_or(text.size());
    out.lines.push_back(EntryParser(text, *entry, next, out).Parse());
    *entry = next;
  }
  return out;
}

} // namespace kv
