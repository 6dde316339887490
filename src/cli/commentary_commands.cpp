#include "cli/commentary_commands.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "cli/console_ui.h"
#include "cli/json_output.h"
#include "cli/output_policy.h"
#include "cli/voice_option.h"
#include "commentary/commentary_catalogue.h"
#include "commentary/commentary_export.h"
#include "commentary/name_lists.h"
#include "commentary/name_slots.h"
#include "core/file_services.h"
#include "core/name_pattern.h"
#include "core/text_encoding.h"
#include "platform/platform.h"

namespace kv::cli {

const char* const kNamesHelp =
    "usage: vorevuvo names GAMEDIR [--json]\n"
    "\n"
    "Shows the team and player name lists of the game folder GAMEDIR (the eight\n"
    "team files *.ROP and AGENTS.FRP) in the order the Set Names tree shows them:\n"
    "each team flush left with its sixteen players indented under it, then \"Free\n"
    "Agents\" and the free agents, with each entry's key in a column at the right.\n"
    "A key names the sounds of its team or player, and is what the name slots of\n"
    "'vorevuvo commentary export' take.\n"
    "\n"
    "  --json   an array of {\"group\": true|false, \"name\": \"...\", \"key\": \"...\"|null}\n"
    "           instead, each name exactly as the tree shows it (trailing blanks\n"
    "           included); \"Free Agents\" has no key\n"
    "\n"
    "Exit status: 0 when all nine files were read, 1 otherwise, 2 on bad usage.\n";

const char* const kCommentaryHelp =
    "usage: vorevuvo commentary list COMMENT.TOK [--json]\n"
    "       vorevuvo commentary export COMMENT.TOK -o DIR [LINE...] [--voice FILE] [--names DIR]\n"
    "                [--exclude team,star,thrower] [--team-a V] [--team-b V] [--captain-a V]\n"
    "                [--captain-b V] [--thrower V] [--receiver V] [--overwrite ask|skip|overwrite]\n"
    "\n"
    "Lists or exports the commentary lines of the script COMMENT.TOK.\n"
    "\n"
    "list      one row per line: its output name; Yes or No for Team (it speaks a\n"
    "          team name), Star (a captain's name) and Thrower (a passing line, whose\n"
    "          names are the thrower's and the receiver's); and its pieces in speaking\n"
    "          order: VOICE.WAD entries such as J035A.SFX, and name placeholders such\n"
    "          as *JA, speaker J saying the name in slot A (A team A, B team B,\n"
    "          C captain A, D captain B, E thrower, F receiver).\n"
    "  --json    an array of {\"name\", \"team\", \"star\", \"thrower\", \"pieces\"} instead:\n"
    "            the output name, three true|false and the pieces' texts\n"
    "\n"
    "export    writes each line as a WAV file named by its output name into DIR (made\n"
    "          when missing), in list order: every line, or those named LINE (case is\n"
    "          ignored, \".wav\" may be left out; a pattern such as 'Pass_*' chooses\n"
    "          every line it matches); then \"N files written to DIR\".\n"
    "  --voice FILE     VOICE.WAD (default: VOICE/VOICE.WAD beside COMMENT.TOK)\n"
    "  --names DIR      the folder of the team files and AGENTS.FRP (default: the\n"
    "                   folder of COMMENT.TOK); without them, slot values are keys\n"
    "  --exclude KINDS  leaves out the lines that speak these kinds of names, given\n"
    "                   as a list: team, star (captains), thrower (passing lines)\n"
    "  --team-a V, --team-b V, --captain-a V, --captain-b V, --thrower V, --receiver V\n"
    "                   the name spoken for a slot (defaults: BVK, LDM, BVK00, LDM00,\n"
    "                   F037, F006). V is a key, or a text found in exactly one entry\n"
    "                   of the slot's kind in 'vorevuvo names' (case ignored:\n"
    "                   \"vipers\" finds a team named Vortan Vipers). Team slots take\n"
    "                   teams, the others players and free agents.\n"
    "  --overwrite      what to do when a WAV file exists: ask, skip or overwrite\n"
    "                   (default: ask at a terminal, else skip)\n"
    "\n"
    "          A line whose sound cannot be built, or whose output name is not a\n"
    "          plain file name (it comes from three bytes of the script), is reported\n"
    "          and not written; the others are.\n"
    "\n"
    "How the script is read: an entry of category 't' whose second letter is neither\n"
    "'g' nor 'i' is named Throw_ID.wav and is still a passing line; an entry of an\n"
    "unknown category is named Unknown_ID.wav and its codes are read; a name\n"
    "placeholder before any speaker code is spoken by J. The script's own messages\n"
    "go to stderr, such as \"COMMENT.TOK: entry 048: Error: Unknown code\".\n"
    "\n"
    "Exit status: 0 when every chosen line was written (or an existing file kept);\n"
    "1 when a file cannot be read, a LINE is not in the script, or a line failed or\n"
    "was refused; 2 on bad usage, including a slot value that is refused, matches\n"
    "several entries or none.\n";

const CommandSyntax kNamesSyntax{{}, {"--json"}};
const CommandSyntax kCommentarySyntax{{"-o", "--voice", "--names", "--exclude", "--team-a", "--team-b",
                                       "--captain-a", "--captain-b", "--thrower", "--receiver",
                                       "--overwrite"},
                                      {"--json"}};

namespace {

// The key column of `vorevuvo names`: past the longest player text, indented.
constexpr std::size_t kKeyColumn = 72;
// More candidates than this are not listed: 'vorevuvo names' shows them.
constexpr std::size_t kMaxCandidatesShown = 20;

int Usage(Streams streams, const std::string& command, const std::string& problem) {
  return UsageError(streams, command, problem);
}

std::string TrimRight(std::string text) {
  text.erase(text.find_last_not_of(' ') + 1);
  return text;
}

// Pads UTF-8 `text` with blanks to `width` characters.
std::string PadColumn(std::string text, std::size_t width) {
  std::size_t characters = 0;
  for (const char c : text)
    characters += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  if (characters < width) text.append(width - characters, ' ');
  return text;
}

std::string FolderShown(const std::string& folder) {
  return folder.empty() ? "." : folder;
}

// The name files that `folder` lacks: CreatePlayerList would ask for them in
// dialogs, which the console cannot show.
std::vector<std::string> MissingNameFiles(const std::string& folder) {
  std::vector<std::string> missing;
  for (const char* name : kTeamFiles)
    if (!platform::SearchFolder(folder, name)) missing.push_back(name);
  if (!platform::SearchFolder(folder, kAgentsFile)) missing.push_back(kAgentsFile);
  return missing;
}

std::string JoinedNames(const std::vector<std::string>& names) {
  std::string joined;
  for (const std::string& name : names)
    joined += (joined.empty() ? "" : ", ") + name;
  return joined;
}

// Builds the name table from `folder`. False when it cannot be: told as
// `lead`, the folder, what is wrong and `tail` (CreatePlayerList has told
// the details of a file that cannot be read).
bool BuildNameTable(const std::string& folder, std::ostream& err, const char* lead, const char* tail) {
  std::string problem;
  if (platform::FileExists(FolderShown(folder)) && !platform::IsFolder(FolderShown(folder))) {
    problem =
        "is a file; the game folder is expected (did you mean " +
        ShownText(platform::FolderOf(FolderShown(folder)).empty() ? "."
                                                                  : platform::FolderOf(FolderShown(folder)),
                  TextOrigin::Local) +
        "?)";
  } else if (!platform::IsFolder(FolderShown(folder))) {
    problem = "no such folder";
  } else if (const std::vector<std::string> missing = MissingNameFiles(folder); !missing.empty()) {
    problem = "no " + JoinedNames(missing) + " there";
  } else if (!CreatePlayerList(folder)) {
    problem = "the name lists cannot be read";
  } else {
    return true;
  }
  err << lead << FolderShown(folder) << ": " << problem << tail << "\n";
  return false;
}

std::string NameLine(const NameListItem& item) {
  std::string line = (item.isGroup ? "" : "  ") + ShownText(TrimRight(item.text));
  return item.key ? PadColumn(line, kKeyColumn) + ShownText(*item.key) : line;
}

// The script parsed, its messages told on stderr under `path`; none after
// telling why it cannot be read.
std::optional<ParsedCatalogue> ReadScript(const std::string& path, Streams streams, ConsoleUi& ui) {
  // Where no one can answer "Decompress Anyways?", a file that is not a
  // compressed script is said to be so.
  if (!streams.interactive) {
    ui.SetAnswerer([&err = streams.err, path](const platform::MessageShown& question) {
      if (question.text != text::kCommentTokNotCompressed) return 0;
      err << "vorevuvo: " << ShownText(path, TextOrigin::Local)
          << ": not a compressed COMMENT.TOK (its data do not look compressed)\n";
      return platform::kAnswerNo;
    });
  }
  const auto text = ReadCommentaryText(path);
  if (!text) return std::nullopt;
  ParsedCatalogue catalogue = ParseCommentaryText(*text);
  if (!catalogue.firstEntryFound) {
    streams.err << "vorevuvo: " << ShownText(path, TextOrigin::Local) << ": " << text::kFirstEntryNotFound
                << "\n";
    return std::nullopt;
  }
  for (const CatalogueMessage& message : catalogue.messages)
    streams.err << ShownText(path, TextOrigin::Local) << ": entry " << ShownText(message.entryId) << ": "
                << message.text << "\n";
  return catalogue;
}

const char* YesNo(bool flag) {
  return flag ? "Yes" : "No";
}

int RunList(const ParsedArgs& args, Streams streams) {
  if (args.positional.size() != 2) return Usage(streams, "commentary", "list takes one COMMENT.TOK");
  if (!args.values.empty()) return Usage(streams, "commentary", "list takes no options but --json");
  ConsoleUi ui(streams.in, streams.err, streams.interactive);
  const std::optional<ParsedCatalogue> catalogue = ReadScript(args.positional[1], streams, ui);
  if (!catalogue) return kExitFailure;

  if (args.Has("--json")) {
    std::vector<Json> items;
    for (const CommentaryLine& line : catalogue->lines) {
      Json pieces = Json::array();
      for (const std::string& piece : line.pieces)
        pieces.push_back(FileText(piece));
      items.push_back({{"name", FileText(line.outputName)},
                       {"team", line.hasTeamName},
                       {"star", line.hasStarPlayerName},
                       {"thrower", line.hasThrowerName},
                       {"pieces", std::move(pieces)}});
    }
    WriteJsonArray(streams.out, items);
    return kExitSuccess;
  }
  streams.out << PadColumn("Name", 32) << "Team Star Thrower Pieces\n";
  for (const CommentaryLine& line : catalogue->lines) {
    streams.out << PadColumn(ShownText(line.outputName), 31) << ' ' << PadColumn(YesNo(line.hasTeamName), 5)
                << PadColumn(YesNo(line.hasStarPlayerName), 5) << PadColumn(YesNo(line.hasThrowerName), 7);
    for (const std::string& piece : line.pieces)
      streams.out << ' ' << ShownText(piece);
    streams.out << "\n";
  }
  return kExitSuccess;
}

std::optional<CommentaryFilter> ReadFilter(const std::string& list) {
  CommentaryFilter filter;
  std::size_t start = 0;
  while (start <= list.size() && !list.empty()) {
    const std::size_t end = std::min(list.find(',', start), list.size());
    const std::string kind = list.substr(start, end - start);
    if (kind == "team") {
      filter.teamNames = false;
    } else if (kind == "star") {
      filter.starPlayerNames = false;
    } else if (kind == "thrower") {
      filter.throwerNames = false;
    } else {
      return std::nullopt;
    }
    start = end + 1;
  }
  return filter;
}

// Tells why `value` fills no slot: `problem`, then the entries that can
// fill the slot, or where to see them when they are many.
void TellSlotProblem(const NameSlotInfo& info, const std::string& value, const std::string& problem,
                     const std::vector<const NameListItem*>& candidates, std::ostream& err) {
  err << "vorevuvo commentary: " << info.option << " " << value << ": " << problem;
  if (candidates.size() > kMaxCandidatesShown) {
    err << "; 'vorevuvo names' lists the " << candidates.size() << " candidates\n";
    return;
  }
  err << "; the candidates:\n";
  for (const NameListItem* item : candidates)
    err << "  " << NameLine(*item) << "\n";
}

// The key that `value` names for the slot: a key of `table`, or the one
// entry of the slot's kind whose text holds it; `value` itself without a
// table. None after telling why (a usage error).
std::optional<NameKey> ResolveSlotValue(const NameSlotInfo& info, const std::string& value,
                                        const std::vector<NameListItem>& table, std::ostream& err) {
  if (table.empty()) return value;
  const std::string folded = FoldAsciiCase(value);
  std::vector<const NameListItem*> fitting;
  std::vector<const NameListItem*> matching;
  for (const NameListItem& item : table) {
    if (NameSlotRefusal(info.slot, item.key.has_value(), item.isGroup) != nullptr) continue;
    fitting.push_back(&item);
    if (FoldAsciiCase(SystemText(item.text)).find(folded) != std::string::npos) matching.push_back(&item);
  }
  for (const NameListItem& item : table) {
    if (!item.key || FoldAsciiCase(*item.key) != folded) continue;
    if (const char* refusal = NameSlotRefusal(info.slot, true, item.isGroup)) {
      TellSlotProblem(info, value, refusal, fitting, err);
      return std::nullopt;
    }
    return item.key;
  }
  const std::string kind = info.team ? "team" : "player";
  if (matching.size() == 1) return matching[0]->key;
  if (matching.empty()) {
    TellSlotProblem(info, value, "no " + kind + " has this key or a name holding it", fitting, err);
  } else {
    TellSlotProblem(info, value, std::to_string(matching.size()) + " " + kind + "s match", matching, err);
  }
  return std::nullopt;
}

// Fills the slots from their options, by `table`; false after telling a
// usage error.
bool FillNameSlots(const ParsedArgs& args, const std::vector<NameListItem>& table, std::ostream& err) {
  ResetNameSlots();
  bool filled = true;
  for (const NameSlotInfo& info : kNameSlots) {
    if (args.values.count(info.option) == 0) continue;
    if (auto key = ResolveSlotValue(info, args.Value(info.option), table, err)) {
      SetNameSlotKey(info.slot, std::move(*key));
    } else {
      filled = false;
    }
  }
  return filled;
}

int RunExport(const ParsedArgs& args, Streams streams) {
  if (args.positional.size() < 2) return Usage(streams, "commentary", "export takes a COMMENT.TOK");
  if (args.Has("--json")) return Usage(streams, "commentary", "export takes no --json");
  const std::string folder = args.Value("-o");
  if (folder.empty()) return Usage(streams, "commentary", "export needs -o DIR");
  if (IsStandardOutput(folder)) return Usage(streams, "commentary", kSeveralToStandardOutput);
  OverwriteMode mode = DefaultOverwriteMode(streams.interactive);
  if (args.values.count("--overwrite") != 0) {
    const auto parsed = ParseOverwriteMode(args.Value("--overwrite"));
    if (!parsed) return Usage(streams, "commentary", "--overwrite takes ask, skip or overwrite");
    mode = *parsed;
  }
  const std::optional<CommentaryFilter> filter = ReadFilter(args.Value("--exclude"));
  if (!filter) return Usage(streams, "commentary", "--exclude takes a list of team, star and thrower");

  const std::string& script = args.positional[1];
  ConsoleUi ui(streams.in, streams.err, streams.interactive);
  const std::optional<ParsedCatalogue> catalogue = ReadScript(script, streams, ui);
  if (!catalogue) return kExitFailure;
  const std::optional<LoadedFile> voice = LoadVoiceWad(args, script, streams.err);
  if (!voice) return kExitFailure;
  const std::string names_folder = args.Value("--names", platform::FolderOf(script));
  const bool have_names =
      BuildNameTable(names_folder, streams.err, "vorevuvo: warning: ", "; slot values are taken as keys");
  if (!FillNameSlots(args, have_names ? NameListTable() : std::vector<NameListItem>{}, streams.err))
    return kExitUsage;

  bool failed = false;
  const std::span<const std::string> names(args.positional.begin() + 2, args.positional.end());
  const std::vector<CommentaryLine>& lines = catalogue->lines;
  const auto shown = [&](std::size_t i) { return SystemText(lines[i].outputName); };
  std::vector<const CommentaryLine*> chosen;
  for (const std::size_t i : ChooseByName(lines.size(), shown, names, script, "line", streams.err, failed)) {
    if (!IsLineExcluded(lines[i], *filter)) chosen.push_back(&lines[i]);
  }
  return WriteEachOutput(
      streams, ui, chosen.size(), "lines", mode, folder, failed,
      [&](std::size_t i) { return chosen[i]->outputName; },
      [&](std::size_t i, OutputRun& run) {
        ExportCommentaryLine(*chosen[i], voice->bytes(), mode, nullptr, run);
      });
}

} // namespace

int RunNames(const ParsedArgs& args, Streams streams) {
  if (args.positional.size() != 1) return Usage(streams, "names", "expected one GAMEDIR");
  const std::string& folder = args.positional[0];
  ConsoleUi ui(streams.in, streams.err, streams.interactive);
  if (!BuildNameTable(folder, streams.err, "vorevuvo: ", "")) return kExitFailure;
  if (args.Has("--json")) {
    std::vector<Json> items;
    for (const NameListItem& item : NameListTable()) {
      items.push_back({{"group", item.isGroup},
                       {"name", FileText(item.text)},
                       {"key", item.key ? FileText(*item.key) : Json(nullptr)}});
    }
    WriteJsonArray(streams.out, items);
    return kExitSuccess;
  }
  for (const NameListItem& item : NameListTable())
    streams.out << NameLine(item) << "\n";
  return kExitSuccess;
}

int RunCommentary(const ParsedArgs& args, Streams streams) {
  if (args.positional.empty()) return Usage(streams, "commentary", "expected list or export");
  const std::string& action = args.positional[0];
  if (action == "list") return RunList(args, streams);
  if (action == "export") return RunExport(args, streams);
  return Usage(streams, "commentary", "unknown action '" + action + "', expected list or export");
}

} // namespace kv::cli
