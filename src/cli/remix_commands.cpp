#include "cli/remix_commands.h"

#include <new>
#include <ostream>
#include <span>
#include <string>
#include <vector>

#include "cli/console_ui.h"
#include "cli/json_output.h"
#include "cli/output_policy.h"
#include "cli/voice_option.h"
#include "core/file_services.h"
#include "core/name_pattern.h"
#include "core/text_encoding.h"
#include "platform/platform.h"
#include "remix/remix_load.h"

namespace kv::cli {

const char* const kRemixHelp =
    "usage: vorevuvo remix list REMIX.TXT [--voice FILE] [--json]\n"
    "       vorevuvo remix export REMIX.TXT -o DIR [ENTRY...] [--voice FILE]\n"
    "                             [--overwrite ask|skip|overwrite]\n"
    "\n"
    "Lists or writes the new commentary lines of a REMIX.TXT script, each cut and\n"
    "joined from the sounds of VOICE.WAD. A script entry reads '<', its name, '>',\n"
    "a comment line, then pieces SOUND,START,LENGTH separated by '@':\n"
    "\n"
    "    <Goal>\n"
    "    Scored!\n"
    "    @J035A,0,4000@B035C,1200,2500\n"
    "\n"
    "list      one line per entry in script order: its name, its data size in bytes\n"
    "          (the WAV file is 46 bytes more), then each piece as SOUND.SFX@START+LENGTH\n"
    "          with the length cut to the sound's end.\n"
    "  --json    an array of {\"name\", \"size\", \"pieces\": [{\"name\", \"start\",\n"
    "            \"length\"}]} instead\n"
    "\n"
    "export    writes every entry as NAME.wav into DIR (made when missing), or those\n"
    "          named ENTRY (case ignored, \".wav\" may be left out; a pattern such as\n"
    "          'Goal*' chooses every entry it matches), then the count, \"N files\n"
    "          written to DIR\". The whole script is checked first: an error in it\n"
    "          writes nothing.\n"
    "  --overwrite   what to do when a WAV file exists: ask, skip or overwrite\n"
    "                (default: ask at a terminal, else skip)\n"
    "\n"
    "--voice FILE    VOICE.WAD, for both (default: VOICE/VOICE.WAD beside REMIX.TXT)\n"
    "\n"
    "A script error (a start past its sound's end, a piece without a start or a\n"
    "length, a sound name over 9 characters, an entry without a name) is told with\n"
    "its entry and piece. An entry whose name is not a plain file name is listed\n"
    "but not written.\n"
    "\n"
    "Exit status: 0 when every entry was written (or an existing file kept); 1 when\n"
    "a file cannot be read, the script is in error or an entry failed or was\n"
    "refused; 2 on bad usage.\n";

const CommandSyntax kRemixSyntax{{"-o", "--voice", "--overwrite"}, {"--json"}};

namespace {

int Usage(Streams streams, const std::string& problem) {
  return UsageError(streams, "remix", problem);
}

// The script read against its VOICE.WAD; none after telling why.
std::optional<RemixScript> ReadScript(const ParsedArgs& args, Streams streams) {
  const std::string& path = args.positional[1];
  const std::optional<LoadedFile> script = LoadFile(path);
  if (!script) return std::nullopt;
  const std::optional<LoadedFile> voice = LoadVoiceWad(args, path, streams.err);
  if (!voice) return std::nullopt;
  RemixScript read;
  try {
    read = ReadRemixScript(script->bytes(), voice->bytes());
  } catch (const std::bad_alloc&) {
    read.error = RemixScriptError{{}, {}, "there is not enough memory for the script's sounds", true};
  }
  if (read.error) {
    streams.err << "vorevuvo: " << ShownText(path, TextOrigin::Local) << ": " << text::kRemixScriptError
                << ": " << ShownText(DescribeRemixError(*read.error)) << "\n";
    return std::nullopt;
  }
  if (read.entries.empty()) {
    streams.err << "vorevuvo: " << ShownText(path, TextOrigin::Local)
                << ": no entry found (an entry begins with '<' and its name)\n";
    return std::nullopt;
  }
  return read;
}

int RunList(const ParsedArgs& args, Streams streams) {
  if (args.values.count("-o") != 0 || args.values.count("--overwrite") != 0)
    return Usage(streams, "list takes no -o or --overwrite");
  ConsoleUi ui(streams.in, streams.err, streams.interactive);
  const std::optional<RemixScript> read = ReadScript(args, streams);
  if (!read) return kExitFailure;
  std::vector<Json> items;
  for (const RemixEntry& entry : read->entries) {
    const std::size_t size = entry.image.size() - WavHeader::kSize;
    if (args.Has("--json")) {
      Json pieces = Json::array();
      for (const RemixPiece& piece : entry.pieces)
        pieces.push_back({{"name", FileText(piece.name)}, {"start", piece.start}, {"length", piece.length}});
      items.push_back({{"name", FileText(entry.name)}, {"size", size}, {"pieces", std::move(pieces)}});
      continue;
    }
    streams.out << ShownText(entry.name) << "  " << size;
    for (const RemixPiece& piece : entry.pieces)
      streams.out << "  " << ShownText(piece.name) << "@" << piece.start << "+" << piece.length;
    streams.out << "\n";
  }
  if (args.Has("--json")) WriteJsonArray(streams.out, items);
  return kExitSuccess;
}

int RunExport(const ParsedArgs& args, Streams streams) {
  if (args.Has("--json")) return Usage(streams, "export takes no --json");
  const std::string folder = args.Value("-o");
  if (folder.empty()) return Usage(streams, "export needs -o DIR");
  if (IsStandardOutput(folder)) return Usage(streams, kSeveralToStandardOutput);
  OverwriteMode mode = DefaultOverwriteMode(streams.interactive);
  if (args.values.count("--overwrite") != 0) {
    const auto parsed = ParseOverwriteMode(args.Value("--overwrite"));
    if (!parsed) return Usage(streams, "--overwrite takes ask, skip or overwrite");
    mode = *parsed;
  }
  ConsoleUi ui(streams.in, streams.err, streams.interactive);
  const std::optional<RemixScript> read = ReadScript(args, streams);
  if (!read) return kExitFailure;

  bool failed = false;
  const std::span<const std::string> rows(args.positional.begin() + 2, args.positional.end());
  const std::vector<RemixEntry>& entries = read->entries;
  const std::vector<std::size_t> chosen = ChooseByName(
      entries.size(), [&](std::size_t i) { return SystemText(entries[i].name); }, rows, args.positional[1],
      "entry", streams.err, failed);
  return WriteEachOutput(
      streams, ui, chosen.size(), "entries", mode, folder, failed,
      [&](std::size_t i) { return entries[chosen[i]].name + ".wav"; },
      [&](std::size_t i, OutputRun& run) { ExportRemixEntry(entries[chosen[i]], mode, run); });
}

} // namespace

int RunRemix(const ParsedArgs& args, Streams streams) {
  if (args.positional.size() < 2) return Usage(streams, "expected list or export and one REMIX.TXT");
  const std::string& action = args.positional[0];
  if (action == "list" && args.positional.size() != 2) return Usage(streams, "list takes one REMIX.TXT");
  if (action == "list") return RunList(args, streams);
  if (action == "export") return RunExport(args, streams);
  return Usage(streams, "unknown action '" + action + "', expected list or export");
}

} // namespace kv::cli
