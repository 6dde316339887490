// The commentary files of the sample folder, all made from assets/commentary:
// COMMENT.TOK from COMMENT.TXT, VOICE\VOICE.WAD from the clips that
// phrases.txt lists, the eight team files and AGENTS.FRP from names.txt, and
// REMIX.TXT as it is.
#include <sstream>
#include <stdexcept>

#include "commentary/comment_tok.h"
#include "commentary/name_file_writer.h"
#include "commentary/name_slots.h"
#include "core/implode.h"
#include "sample/embedded_assets.h"
#include "sample/sample_folder.h"
#include "wad/wad_writer.h"

namespace kv {
namespace {

std::string CommentaryAssetText(std::string_view name) {
  const auto bytes = EmbeddedAsset(CommentaryAssets(), name);
  return {bytes.begin(), bytes.end()};
}

struct SampleTeam {
  std::string file;
  TeamFileText text;
};

struct SampleNames {
  std::vector<SampleTeam> teams;
  std::vector<PlayerRecordText> agents;
};

// names.txt: "TEAM KEY FILE PART1 PART2" lines, each followed by its
// sixteen players "KEY PART1|PART2|DETAIL"; the players after "AGENTS" are
// the free agents. '#' starts a comment line.
SampleNames ReadSampleNames() {
  SampleNames names;
  std::istringstream lines(CommentaryAssetText("names.txt"));
  std::size_t players = 0;
  bool agents = false;
  for (std::string line; std::getline(lines, line);) {
    if (line.empty() || line.front() == '#') continue;
    std::istringstream fields(line);
    std::string key;
    fields >> key;
    if (key == "AGENTS") {
      agents = true;
      continue;
    }
    if (key == "TEAM") {
      SampleTeam team;
      fields >> team.text.key >> team.file >> team.text.part1 >> team.text.part2;
      names.teams.push_back(std::move(team));
      players = 0;
      continue;
    }
    PlayerRecordText player;
    player.key = key;
    std::getline(fields >> std::ws, player.part1, '|');
    std::getline(fields, player.part2, '|');
    std::getline(fields, player.detail);
    if (agents) {
      names.agents.push_back(std::move(player));
    } else if (!names.teams.empty() && players < kTeamPlayers) {
      names.teams.back().text.players[players++] = std::move(player);
    } else {
      throw std::logic_error("names.txt: a player outside a team, or a seventeenth one: " + line);
    }
  }
  return names;
}

// Text files are imploded with coded literals and the 4096-byte dictionary,
// whose byte 5 (6) marks the data as compressed where that is asked.
constexpr ImplodeOptions kTextOptions{LiteralMode::Text, 6};

std::vector<std::uint8_t> MakeCommentTok() {
  return ImplodeBlock(DosText(CommentaryAssetText("COMMENT.TXT")), kTextOptions);
}

std::vector<std::uint8_t> MakeVoiceWad(const std::vector<SampleClip>& clips) {
  std::vector<WadInput> entries;
  for (const SampleClip& clip : clips)
    entries.push_back({clip.entry_name, {clip.samples.begin(), clip.samples.end()}, std::nullopt});
  WadBuild build = BuildWadArchive(entries);
  if (!build.ok()) throw std::logic_error("VOICE.WAD: " + build.problem);
  return std::move(build.image);
}

// What a commentary line says, for the README: who speaks which words, with
// the name slots in brackets, one speaker a line ("J: [Thrower] drops back
// to throw").
std::string LineWords(const CommentaryLine& line, const std::vector<SampleClip>& clips) {
  std::string words;
  char speaker = 0;
  for (const std::string& piece : line.pieces) {
    const bool name = piece.size() == 3 && piece[0] == '*';
    const char piece_speaker = name ? piece[1] : piece[0];
    if (piece_speaker != speaker) {
      words += std::string(speaker == 0 ? "" : "\n    ") + piece_speaker + ":";
      speaker = piece_speaker;
    }
    if (name) {
      const auto slot = NameSlotOfLetter(piece[2]);
      words += std::string(" [") + (slot ? NameSlotInfoOf(*slot).button : "?") + "]";
      continue;
    }
    for (const SampleClip& clip : clips)
      if (clip.entry_name == piece) words += " " + clip.text;
  }
  return words;
}

} // namespace

std::vector<SampleClip> SampleCommentaryClips() {
  return ClipsOf(CommentaryAssets());
}

std::vector<SampleFile> SampleCommentaryFiles() {
  const std::vector<SampleClip> clips = SampleCommentaryClips();
  std::vector<SampleFile> files;
  const auto lines = ParseCommentaryText(DosText(CommentaryAssetText("COMMENT.TXT"))).lines;
  files.push_back({"COMMENT.TOK", std::to_string(lines.size()) + " commentary lines (Classic Commentary)",
                   MakeCommentTok()});
  files.push_back({"VOICE/VOICE.WAD",
                   std::to_string(clips.size()) + " clips: the lines' words and every name, in two voices",
                   MakeVoiceWad(clips)});
  const SampleNames names = ReadSampleNames();
  for (const SampleTeam& team : names.teams)
    files.push_back({team.file,
                     "team file: the " + team.text.part1 + " " + team.text.part2 + " (" + team.text.key +
                         ") and their 16 players",
                     ImplodeBlock(WriteTeamFile(team.text), kTextOptions)});
  files.push_back({kAgentsFile, std::to_string(names.agents.size()) + " free agents",
                   ImplodeBlock(WriteAgentsFile(names.agents), kTextOptions)});
  files.push_back({"REMIX.TXT", "new lines cut from the clips of VOICE.WAD (Remixed Commentary)",
                   DosText(CommentaryAssetText("REMIX.TXT"))});
  return files;
}

std::string SampleCommentaryLines() {
  const std::vector<SampleClip> clips = SampleCommentaryClips();
  std::string text;
  for (const CommentaryLine& line : ParseCommentaryText(DosText(CommentaryAssetText("COMMENT.TXT"))).lines) {
    if (line.outputName.empty()) continue;
    text += "  " + line.outputName + "\n    " + LineWords(line, clips) + "\n";
  }
  return text;
}

} // namespace kv
