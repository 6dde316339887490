// Format notes: REMIX.TXT.
//
// Text, read up to its first zero byte. It is cut into entries at '<': what
// stands before the first '<' is ignored, and each entry runs from just after
// its '<' to the next '<' or the end. Inside an entry one token reader goes
// through the text; reading a token up to a delimiter first skips every copy
// of the delimiter at the current place, then takes the text up to the next
// copy (consumed) or the end. An entry reads: its name up to '>', a comment
// up to '@' (ignored), then pieces, each a sound name up to ',', a start up
// to ',' and a length up to '@':
//
//   <Goal>
//   @A,0,100@B,50,10
//
// gives the line Goal: the first 100 bytes of A.SFX, then 10 bytes of B.SFX
// from its byte 50. Names are used as they stand (blanks and line breaks
// included) and looked up in VOICE.WAD without regard to case. A length past
// the sound's end is cut to it; a start past the end is an error.
//
// Error policy: the first error ends the reading and is returned with the
// entry and piece it is about. Errors are a start past the sound's end (also
// a start other than 0 for a sound that VOICE.WAD lacks), an entry without a
// name, a name too long to take ".wav" in a 260-character file name, a piece
// name over 9 characters, a piece without a start or a length, and a script
// whose sounds (the lines' images and the clips decoded for them) would
// need more than kMaxRemixSoundBytes, checked before they are made. A sound whose declared size is above the
// largest a compressed block holds cannot decode and counts as 0 bytes.
#include "remix/remix_script.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <map>
#include <string_view>

#include "core/explode.h"
#include "wad/wad_extract.h"

namespace kv {
namespace {

constexpr std::uint8_t kSilence = 0x80;
constexpr std::size_t kMaxFileName = 259;

class TokenReader {
public:
  explicit TokenReader(std::string_view text) : text_(text) {}

  std::optional<std::string> Read(char delimiter) {
    while (at_ < text_.size() && text_[at_] == delimiter)
      ++at_;
    if (at_ >= text_.size()) return std::nullopt;
    const std::size_t end = std::min(text_.find(delimiter, at_), text_.size());
    std::string token(text_.substr(at_, end - at_));
    at_ = std::min(end + 1, text_.size());
    return token;
  }

private:
  std::string_view text_;
  std::size_t at_ = 0;
};

// The sounds of VOICE.WAD as the script uses them: each looked up and
// decoded once per script.
class SoundCache {
public:
  explicit SoundCache(WadImage voice) : voice_(voice) {}

  std::uint32_t Size(const std::string& name) { return Get(name).size; }

  // The memory the clip will take when it is decoded, counted once per clip.
  std::uint32_t Reserve(const std::string& name) {
    Sound& sound = Get(name);
    if (sound.reserved) return 0;
    sound.reserved = true;
    return sound.size;
  }

  const SfxClip& Clip(const std::string& name) {
    Sound& sound = Get(name);
    if (!sound.decoded) {
      sound.clip.assign(sound.size, kSilence);
      const std::uint32_t produced = ReadFromWad(voice_, name, sound.clip);
      std::fill(sound.clip.begin() + produced, sound.clip.end(), kSilence);
      sound.decoded = true;
    }
    return sound.clip;
  }

private:
  struct Sound {
    std::uint32_t size = 0;
    bool reserved = false;
    bool decoded = false;
    SfxClip clip;
  };

  Sound& Get(const std::string& name) {
    std::string key = name;
    for (char& c : key)
      c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    auto [found, added] = sounds_.try_emplace(key);
    if (added) {
      const std::uint32_t size = ReadFromWad(voice_, name);
      found->second.size = size > kMaxDecompressedSize ? 0 : size;
      // A damaged clip is never decoded here: it is told about once.
      if (size == 0) ReportWadEntryFault(voice_, name);
    }
    return found->second;
  }

  WadImage voice_;
  std::map<std::string, Sound> sounds_;
};

struct EntryResult {
  RemixEntry entry;
  std::optional<RemixScriptError> error;
};

EntryResult Fail(RemixEntry entry, std::string piece, std::string reason, bool too_large = false) {
  RemixScriptError error{entry.name, std::move(piece), std::move(reason), too_large};
  return {std::move(entry), std::move(error)};
}

// `used` counts the bytes of the sounds made so far for the whole script.
EntryResult ReadEntry(std::string_view text, SoundCache& sounds, std::uint64_t& used) {
  TokenReader reader(text);
  RemixEntry entry;
  const auto name = reader.Read('>');
  if (!name) return Fail(std::move(entry), {}, "the entry has no name");
  entry.name = *name;
  if (entry.name.size() + 4 > kMaxFileName)
    return Fail(std::move(entry), {}, "the name is too long for a file name with \".wav\"");

  std::uint64_t total = 0;
  if (reader.Read('@')) { // the comment
    while (const auto piece = reader.Read(',')) {
      if (piece->size() > kMaxRemixPieceName)
        return Fail(std::move(entry), *piece, "a sound name has at most 9 characters");
      const auto start = reader.Read(',');
      if (!start) return Fail(std::move(entry), *piece, "the piece has no start");
      const auto length = reader.Read('@');
      if (!length) return Fail(std::move(entry), *piece, "the piece has no length");

      RemixPiece cut{*piece + ".SFX", RemixNumber(*start), RemixNumber(*length), 0};
      cut.size = sounds.Size(cut.name);
      if (cut.start > cut.size) {
        return Fail(std::move(entry), *piece,
                    "the start " + std::to_string(cut.start) + " lies past the end of " + cut.name + " (" +
                        std::to_string(cut.size) + " bytes)");
      }
      cut.length = std::min(cut.length, cut.size - cut.start);
      total += cut.length;
      if (cut.length > 0) used += sounds.Reserve(cut.name);
      if (used + WavHeader::kSize + total > kMaxRemixSoundBytes) {
        return Fail(std::move(entry), *piece,
                    "the script's sounds would need more than " + std::to_string(kMaxRemixSoundBytes >> 20) +
                        " MiB of memory",
                    true);
      }
      entry.pieces.push_back(std::move(cut));
    }
  }
  used += WavHeader::kSize + total;

  entry.image.resize(WavHeader::kSize + total);
  BuildWavHeader(std::span<std::uint8_t, WavHeader::kSize>(entry.image.data(), WavHeader::kSize),
                 static_cast<std::uint32_t>(total));
  auto at = entry.image.begin() + WavHeader::kSize;
  for (const RemixPiece& cut : entry.pieces) {
    if (cut.length == 0) continue;
    const SfxClip& clip = sounds.Clip(cut.name);
    at = std::copy_n(clip.begin() + cut.start, cut.length, at);
  }
  return {std::move(entry), std::nullopt};
}

} // namespace

std::uint32_t RemixNumber(const std::string& token) {
  std::size_t at = 0;
  while (at < token.size() && std::isspace(static_cast<unsigned char>(token[at])))
    ++at;
  bool negative = false;
  if (at < token.size() && (token[at] == '+' || token[at] == '-')) negative = token[at++] == '-';
  std::int64_t value = 0;
  for (; at < token.size() && token[at] >= '0' && token[at] <= '9'; ++at)
    value = std::min<std::int64_t>(value * 10 + (token[at] - '0'), std::int64_t{INT32_MAX} + 1);
  value = negative ? -value : std::min<std::int64_t>(value, INT32_MAX);
  return static_cast<std::uint32_t>(static_cast<std::int32_t>(value));
}

RemixScript ReadRemixScript(std::span<const std::uint8_t> script, WadImage voice) {
  const auto end = std::find(script.begin(), script.end(), std::uint8_t{0});
  const std::string_view text(reinterpret_cast<const char*>(script.data()),
                              static_cast<std::size_t>(end - script.begin()));
  SoundCache sounds(voice);
  std::uint64_t used = 0;
  RemixScript result;
  for (std::size_t open = text.find('<'); open != std::string_view::npos;) {
    const std::size_t next = text.find('<', open + 1);
    EntryResult read = ReadEntry(
        text.substr(open + 1, next == std::string_view::npos ? next : next - open - 1), sounds, used);
    if (read.error) {
      result.error = std::move(read.error);
      break;
    }
    result.entries.push_back(std::move(read.entry));
    open = next;
  }
  return result;
}

std::string DescribeRemixError(const RemixScriptError& error) {
  std::string where = error.entry.empty() ? "an entry" : "entry \"" + error.entry + "\"";
  if (!error.piece.empty()) where += ", piece \"" + error.piece + "\"";
  return where + ": " + error.reason;
}

} // namespace kv
