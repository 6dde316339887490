#include "sample/sample_folder.h"

#include <algorithm>
#include <sstream>
#include <stdexcept>
#include <string_view>

#include "core/implode.h"
#include "sample/embedded_assets.h"
#include "wad/wad_writer.h"

namespace kv {
namespace {

// ------------------------------------------------------------ SOUNDS.WAD

const char* const kCreditsText = "SOUNDS.WAD of the Kroll Vorevuvo sample folder\n"
                                 "\n"
                                 "Every byte of this archive was made by 'vorevuvo make-sample'. The\n"
                                 "commentators are synthetic: espeak-ng speaks each phrase, sox turns it\n"
                                 "into 8-bit samples at 11025 per second, and the program stores them\n"
                                 "as SFX entries, each one imploded into a compressed block.\n"
                                 "\n"
                                 "The two teams, the Harbor City Gulls and the Ironvale Rams, are made up.\n";

const char* const kPlaysText = "PLAYBOOK OF THE HARBOR CITY GULLS\n"
                               "\n"
                               "1. Slant right    The receiver runs five yards and cuts inside.\n"
                               "2. Slant left     The same to the other side.\n"
                               "3. Long bomb      Both receivers go deep; the thrower waits.\n"
                               "4. Draw           Fake the throw, hand the ball to the runner.\n"
                               "5. Punt           When all else fails.\n";

// A table of match results, eight bytes a match: week, home team, away
// team, home score, away score, attendance in hundreds (16 bits), flags
// (bit 0: overtime). Drawn by a fixed linear congruential generator.
std::vector<std::uint8_t> MakeScores() {
  std::uint32_t state = 0x4B524F4Cu;
  const auto next = [&state](std::uint32_t range) {
    state = state * 1664525u + 1013904223u;
    return (state >> 16) % range;
  };
  std::vector<std::uint8_t> table;
  for (std::uint8_t week = 1; week <= 24; ++week) {
    const auto home = static_cast<std::uint8_t>(next(8));
    const auto away = static_cast<std::uint8_t>((home + 1 + next(7)) % 8);
    const auto attendance = static_cast<std::uint16_t>(200 + next(600));
    table.insert(table.end(),
                 {week, home, away, static_cast<std::uint8_t>(next(50)), static_cast<std::uint8_t>(next(50)),
                  static_cast<std::uint8_t>(attendance), static_cast<std::uint8_t>(attendance >> 8),
                  static_cast<std::uint8_t>(next(8) == 0 ? 1 : 0)});
  }
  return table;
}

// A text block cut after half its stream: its declared size promises more
// than the stream holds, so decoding runs out of input and fails, and the
// viewer offers to extract it as it is.
std::vector<std::uint8_t> MakeDamagedBlock() {
  std::vector<std::uint8_t> block = ImplodeBlock(DosText(kPlaysText));
  block.resize(4 + (block.size() - 4) / 2);
  return block;
}

std::vector<std::uint8_t> MakeSoundsWad() {
  std::vector<WadInput> entries;
  for (const SampleClip& clip : SampleSpeechClips()) {
    entries.push_back({clip.entry_name, {clip.samples.begin(), clip.samples.end()}, std::nullopt});
  }
  entries.push_back({"CREDITS.TXT", DosText(kCreditsText), std::nullopt});
  entries.push_back({"SCORES.DAT", MakeScores(), std::nullopt});
  entries.push_back({"PLAYS.TXT", DosText(kPlaysText), std::nullopt});
  entries.push_back({"DAMAGED.DAT", {}, MakeDamagedBlock()});
  WadBuild build = BuildWadArchive(entries);
  if (!build.ok()) throw std::logic_error("SOUNDS.WAD: " + build.problem);
  return std::move(build.image);
}

// ----------------------------------------------------------- loose files

const char* const kRulesText = "THE RULES OF THE GAME, IN SHORT\n"
                               "\n"
                               "Two teams of eleven play four quarters of fifteen minutes. A team has\n"
                               "four downs to gain ten yards; when it does, it gets four more. Carrying\n"
                               "or catching the ball in the end zone is a touchdown, six points; a kick\n"
                               "through the posts after it is one more. A field goal is three.\n"
                               "\n"
                               "A thrown ball caught by the defence is an interception: the ball\n"
                               "changes sides at once. A ball dropped by its carrier is a fumble, and\n"
                               "whoever falls on it first keeps it.\n"
                               "\n"
                               "If you can read this, 'Decompress Non-WAD File' works: RULES.CMP holds\n"
                               "this text as a compressed block (a 4-byte size, then an implode stream\n"
                               "with coded literals and a 4096-byte dictionary).\n";

// Decompress Non-WAD File takes byte 5 (the dictionary bits) equal to 6 as
// the sign of compressed data, so the loose file uses the 4096-byte window.
std::vector<std::uint8_t> MakeRules() {
  return ImplodeBlock(DosText(kRulesText), {LiteralMode::Text, 6});
}

// ------------------------------------------------------------ the list

struct SampleFileMaker {
  const char* name;
  const char* description;
  std::vector<std::uint8_t> (*make)();
};

const SampleFileMaker kSampleFiles[] = {
    {"SOUNDS.WAD", "WAD archive: 12 speech clips (*.SFX), 3 other entries and 1 damaged entry",
     MakeSoundsWad},
    {"RULES.CMP", "a loose compressed text (Decompress Non-WAD File)", MakeRules},
    {"TITLE.CEL", "5 images of different sizes (Convert CEL to BMP, with TITLE.PAL)", MakeTitleCel},
    {"TITLE.PAL", "the 256-colour palette of TITLE.CEL", MakeTitlePal},
};

const char* const kReadmeName = "README.TXT";
const char* const kReadmeDescription = "what is in this folder; a loose file that is not compressed";

std::vector<std::uint8_t> MakeReadme(const std::vector<SampleFile>& files) {
  std::ostringstream text;
  text << "KROLL VOREVUVO SAMPLE GAME FOLDER\n"
          "\n"
          "Made by 'vorevuvo make-sample' so that every function of the tool can be\n"
          "tried without the game. Nothing here comes from the game: the speech is\n"
          "synthetic, the teams are made up and the pictures are drawn by the program.\n"
          "\n";
  const auto list = [&text](std::string name, const std::string& description) {
    std::replace(name.begin(), name.end(), '/', '\\');
    name.resize(std::max<std::size_t>(name.size() + 1, 16), ' ');
    text << name << description << "\n";
  };
  for (const SampleFile& file : files)
    list(file.name, file.description);
  list(kReadmeName, kReadmeDescription);
  text << "\n"
          "To try:\n"
          "- WAD Viewer: open SOUNDS.WAD, tick 'Convert SFX to WAV when extracting'\n"
          "  and press Extract All. Each clip becomes a WAV file; DAMAGED.DAT cannot\n"
          "  be decompressed and is written as it is stored, after a message.\n"
          "- Decompress Non-WAD File: RULES.CMP gives a readable text. README.TXT\n"
          "  (this file) is not compressed, and the tool says so.\n"
          "- Convert CEL to BMP: TITLE.CEL with TITLE.PAL gives five BMP files.\n"
          "- Classic Commentary: choose COMMENT.TOK; VOICE.WAD and the team files are\n"
          "  found beside it. Select a line and press Preview Selection. Set Names\n"
          "  shows the teams and free agents: select one (a team speaks its name),\n"
          "  press the slot to fill (Team A, Captain A, Thrower, ...), and the next\n"
          "  preview or Export says that name.\n"
          "- Remixed Commentary: choose REMIX.TXT; each entry joins pieces of the\n"
          "  clips of VOICE.WAD into a new line. Its comments say how.\n"
          "\n"
          "The speech clips of SOUNDS.WAD (8-bit mono, 11025 samples per second):\n";
  for (const SampleClip& clip : SampleSpeechClips()) {
    std::string name = clip.entry_name;
    name.resize(14, ' ');
    text << "  " << name << "\"" << clip.text << "\"\n";
  }
  text << "\n"
          "The commentary lines of COMMENT.TOK, with the default names: Team A is\n"
          "BVK, Team B LDM, Captain A BVK00, Captain B LDM00, the thrower F037 and\n"
          "the receiver F006. J and B are the two commentators.\n"
       << SampleCommentaryLines();
  return DosText(text.str());
}

} // namespace

std::vector<std::uint8_t> DosText(std::string_view text) {
  std::vector<std::uint8_t> bytes;
  bytes.reserve(text.size() + text.size() / 32);
  for (const char c : text) {
    if (c == '\n') bytes.push_back('\r');
    bytes.push_back(static_cast<std::uint8_t>(c));
  }
  return bytes;
}

std::span<const std::uint8_t> EmbeddedAsset(std::span<const EmbeddedFile> assets, std::string_view name) {
  const auto found =
      std::find_if(assets.begin(), assets.end(), [&](const EmbeddedFile& file) { return file.name == name; });
  if (found == assets.end()) throw std::logic_error("assets: " + std::string(name) + " is not built in");
  return found->bytes;
}

std::vector<SampleClip> ClipsOf(std::span<const EmbeddedFile> assets) {
  const auto phrases = EmbeddedAsset(assets, "phrases.txt");
  std::istringstream lines(std::string(phrases.begin(), phrases.end()));
  std::vector<SampleClip> clips;
  for (std::string line; std::getline(lines, line);) {
    std::istringstream fields(line);
    std::string name;
    std::string speaker;
    if (!(fields >> name >> speaker) || name.front() == '#') continue;
    std::string text;
    std::getline(fields >> std::ws, text);
    clips.push_back({name + ".SFX", text, EmbeddedAsset(assets, name + ".raw")});
  }
  return clips;
}

std::vector<SampleClip> SampleSpeechClips() {
  return ClipsOf(VoiceAssets());
}

std::vector<SampleFile> BuildSampleFolder() {
  std::vector<SampleFile> files;
  for (const SampleFileMaker& file : kSampleFiles)
    files.push_back({file.name, file.description, file.make()});
  for (SampleFile& file : SampleCommentaryFiles())
    files.push_back(std::move(file));
  files.push_back({kReadmeName, kReadmeDescription, MakeReadme(files)});
  return files;
}

} // namespace kv
