#include "cli/wad_commands.h"

#include <cctype>
#include <cstdint>
#include <numeric>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "cli/block_commands.h"
#include "cli/console_ui.h"
#include "cli/json_output.h"
#include "cli/output_policy.h"
#include "core/explode.h"
#include "core/file_services.h"
#include "core/name_pattern.h"
#include "core/output_run.h"
#include "core/text_encoding.h"
#include "media/wav.h"
#include "platform/platform.h"
#include "wad/current_wad.h"
#include "wad/wad_archive.h"
#include "wad/wad_extract.h"
#include "wad/wad_writer.h"

namespace kv::cli {

const char* const kWadHelp =
    "usage: vorevuvo wad list ARCHIVE [--json]\n"
    "       vorevuvo wad extract ARCHIVE [NAME...] -o DIR|- [--no-wav] [--overwrite ask|skip|overwrite]\n"
    "                            [--max-output SIZE]\n"
    "       vorevuvo wad create ARCHIVE FILE... [--literals binary|text] [--dict 1024|2048|4096]\n"
    "                           [--overwrite ask|skip|overwrite]\n"
    "\n"
    "Lists or extracts the entries of a WAD archive, or makes one.\n"
    "\n"
    "list      one line per directory record, in directory order, under a header line:\n"
    "          Name, Type, Compressed Size, Size (the declared decompressed size) and\n"
    "          Data Offset, numbers shown as the viewer shows them (signed 32-bit);\n"
    "          '?' for a size that lies outside the file.\n"
    "  --json    an array of {\"name\", \"type\", \"compressed_size\", \"size\",\n"
    "            \"data_offset\"} instead, with the numbers unsigned, \"size\" null when\n"
    "            unknown, and a \"problem\" text for an entry that cannot be read\n"
    "\n"
    "extract   writes entries into DIR (made when missing), decompressed: every entry\n"
    "          in directory order, or every entry named NAME (case is ignored). A NAME\n"
    "          may be a pattern: '*.TXT', 'J0??A.SFX', '[AB]*' (quote it for the shell).\n"
    "          Entries named *.SFX become WAV files (KICK.SFX is written as KICK.WAV).\n"
    "  -o DIR        the output folder; -o - writes the one entry NAME to standard\n"
    "                output instead (as a WAV file for an SFX entry unless --no-wav)\n"
    "  --no-wav      write SFX entries as raw samples under their own names\n"
    "  --overwrite   what to do when a file exists: ask, skip or overwrite (default:\n"
    "                ask at a terminal, else skip: nothing is replaced unless you say so)\n"
    "  --max-output  refuse, before writing anything, to write more than SIZE bytes\n"
    "                (K, M and G multiply by 1024): entries may share their data, so a\n"
    "                small archive can ask for much (a warning says so above 256 times\n"
    "                the archive's size)\n"
    "\n"
    "          Within one run a file is written once: an entry whose output name is\n"
    "          taken by a file written earlier in the run (KICK.SFX and KICK.WAV both\n"
    "          give KICK.WAV) is named and not written. An entry that fails to\n"
    "          decompress is written as stored, with a message. An entry whose name is\n"
    "          not a plain file name (a device name such as CON, a folder separator, a\n"
    "          trailing dot, ...) or whose data lie outside the file is not written.\n"
    "\n"
    "create    writes ARCHIVE with one entry per FILE, in the order given, each named\n"
    "          by its file's name in upper case (kick.sfx becomes KICK.SFX) in the\n"
    "          game's Windows-1252, and stored as a compressed block. Refused: a name\n"
    "          over 13 characters, one with a character Windows-1252 has not (such as\n"
    "          ナ) or that is not a plain file name, a file over 65535 bytes or under\n"
    "          4, more than 65535 files, two files of the same name (case is ignored).\n"
    "  --literals    binary (plain 8-bit literals, the default) or text (coded literals)\n"
    "  --dict        dictionary size in bytes (default 4096)\n"
    "  --overwrite   what to do when ARCHIVE exists (default as for extract)\n"
    "\n"
    "Exit status: 0 when every entry was written or an existing file deliberately\n"
    "kept; 1 when the archive cannot be read, a NAME is not in it, or an entry\n"
    "failed, was refused, clashed with an earlier one or was written as stored; for\n"
    "create, when the archive was refused or not written; 2 on bad usage.\n";

const CommandSyntax kWadSyntax{{"-o", "--overwrite", "--literals", "--dict", "--max-output"},
                               {"--json", "--no-wav"}};

namespace {

int Usage(Streams streams, const std::string& problem) {
  return UsageError(streams, "wad", problem);
}

std::string Signed(std::uint32_t value) {
  return std::to_string(static_cast<std::int32_t>(value));
}

std::string PadRight(std::string text, std::size_t width) {
  if (text.size() < width) text.append(width - text.size(), ' ');
  return text;
}

std::string PadLeft(std::string text, std::size_t width) {
  if (text.size() < width) text.insert(0, width - text.size(), ' ');
  return text;
}

// The archive, mapped, with its directory checked; none after telling why.
// Its pages are read as they are used and let go again, every kLetGoEvery
// records while the directory is read (a record's size may bring in 64 KB
// around it) and every kLetGoBytes of blocks extracted, so that a walk
// through the largest archive holds a few MB. (Each let-go costs the system
// a walk of the whole mapping: a few dozen per archive, not one per entry.)
std::optional<platform::FileMapping> OpenArchive(const std::string& path) {
  std::optional<platform::FileMapping> archive = MapFile(path);
  if (archive && !AcceptWadImage(archive->bytes(), platform::FileNameOf(path))) return std::nullopt;
  return archive;
}

constexpr std::size_t kLetGoEvery = 128;
constexpr std::uint64_t kLetGoBytes = 4 << 20;

// Every record in directory order, as ReadWadDirectory reads them.
std::vector<WadEntry> ReadDirectory(const platform::FileMapping& archive) {
  const WadImage image = archive.bytes();
  const std::uint32_t count = WadEntryCount(image);
  std::vector<WadEntry> entries;
  entries.reserve(count);
  for (std::uint32_t index = 0; index < count; ++index) {
    entries.push_back(ReadWadEntry(image, index));
    if ((index + 1) % kLetGoEvery == 0) archive.LetGo();
  }
  archive.LetGo();
  return entries;
}

// True when an option of `create` was given to another action.
bool HasCreateOptions(const ParsedArgs& args) {
  return args.values.count("--literals") != 0 || args.values.count("--dict") != 0;
}

// The entries that a NAME typed on the command line means, each once, in
// directory order: the entry of that name (case ignored), found by its own
// bytes or by its name in the process's code page, the one it was typed in
// ("café.txt" finds caf + 0xE9 + ".txt"); or every entry whose name matches
// the pattern (an entry of exactly that name comes first, for names with
// brackets). The first record of each, whose own name names the output files.
std::vector<std::uint32_t> EntriesNamedOnCommandLine(const std::vector<WadEntry>& directory,
                                                     const WadIndex& records, const std::string& typed) {
  if (const auto index = records.Find(typed)) return {*index};
  std::vector<std::uint32_t> found;
  for (std::uint32_t index = 0; index < directory.size(); ++index) {
    const std::string& name = directory[index].name;
    if (MatchesNamePattern(typed, SystemText(name)) && records.Find(name) == index) found.push_back(index);
    if (found.size() == 1 && !IsNamePattern(typed)) break;
  }
  return found;
}

int RunList(const ParsedArgs& args, Streams streams) {
  if (args.positional.size() != 2) return Usage(streams, "list takes one ARCHIVE");
  if (HasCreateOptions(args)) return Usage(streams, "list takes no --literals or --dict");
  if (args.values.count("-o") != 0 || args.values.count("--overwrite") != 0 || args.Has("--no-wav") ||
      args.values.count("--max-output") != 0) {
    return Usage(streams, "list takes no -o, --overwrite, --max-output or --no-wav");
  }
  const std::string& path = args.positional[1];
  ConsoleUi ui(streams.in, streams.err, streams.interactive);
  const std::optional<platform::FileMapping> archive = OpenArchive(path);
  if (!archive) return kExitFailure;
  const std::vector<WadEntry> entries = ReadDirectory(*archive);
  const std::size_t archive_size = archive->bytes().size();

  if (args.Has("--json")) {
    std::vector<Json> items;
    for (const WadEntry& entry : entries) {
      Json item = {{"name", FileText(entry.name)},
                   {"type", FileText(entry.type)},
                   {"compressed_size", entry.compressed_size},
                   {"size", entry.size ? Json(*entry.size) : Json(nullptr)},
                   {"data_offset", entry.data_offset}};
      if (entry.fault != WadEntryFault::None)
        item["problem"] = FileText(WadEntryFaultText(entry, archive_size));
      items.push_back(std::move(item));
    }
    WriteJsonArray(streams.out, items);
    return kExitSuccess;
  }

  streams.out << PadRight("Name", 15) << PadRight("Type", 6) << PadLeft("Compressed Size", 15)
              << PadLeft("Size", 12) << PadLeft("Data Offset", 12) << "\n";
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const WadEntry& entry = entries[i];
    streams.out << PadRight(ShownText(entry.name), 14) << ' ' << PadRight(ShownText(entry.type), 5) << ' '
                << PadLeft(Signed(entry.compressed_size), 15)
                << PadLeft(entry.size ? Signed(*entry.size) : "?", 12)
                << PadLeft(Signed(entry.data_offset), 12) << "\n";
    if (entry.fault != WadEntryFault::None) {
      streams.err << "vorevuvo: " << ShownText(platform::FileNameOf(path), TextOrigin::Local) << ": entry "
                  << i + 1 << " (" << ShownText(entry.name)
                  << "): " << ShownText(WadEntryFaultText(entry, archive_size)) << "\n";
    }
  }
  return kExitSuccess;
}

// "-o -": the one entry `name`, as extraction would write it, on standard
// output; an entry that does not decode is written as stored, with its
// message, and the status says so.
int ExtractToStandardOutput(WadImage image, const std::string& archive, const std::string& name,
                            const ExtractSettings& settings, Streams streams) {
  const WadEntry entry = ReadWadEntry(image, *FindWadEntry(image, name));
  if (entry.fault != WadEntryFault::None) {
    streams.err << "vorevuvo: " << ShownText(archive, TextOrigin::Local) << ": " << ShownText(name) << ": "
                << ShownText(WadEntryFaultText(entry, image.size())) << "\n";
    return kExitFailure;
  }
  const std::optional<ExtractedRecord> record = ExtractRecord(image, entry, name, settings.convert_sfx);
  if (!record) return kExitFailure;
  const int status = WriteStandardOutput(streams, record->bytes());
  return record->as_stored ? kExitFailure : status;
}

// A size as the user writes it: digits, then K, M or G (powers of 1024).
std::optional<std::uint64_t> ParseByteCount(const std::string& text) {
  std::uint64_t value = 0;
  std::size_t at = 0;
  for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
    if (value > (UINT64_MAX - 9) / 10) return std::nullopt;
    value = value * 10 + static_cast<unsigned>(text[at] - '0');
  }
  if (at == 0 || text.size() - at > 1) return std::nullopt;
  if (at == text.size()) return value;
  const std::size_t unit = std::string("KMG").find(static_cast<char>(std::toupper(text[at])));
  if (unit == std::string::npos) return std::nullopt;
  const unsigned shift = 10 * static_cast<unsigned>(unit + 1);
  if (value > (UINT64_MAX >> shift)) return std::nullopt;
  return value << shift;
}

// The bytes that extracting the records named as `chosen` ones are writes:
// each record's decoded size (and a WAV header), or its stored size when it
// cannot decode. Records that share their data count each time, as they are
// written each time; a name counts once however often it is chosen.
std::uint64_t BytesToWrite(const std::vector<WadEntry>& directory, const WadIndex& records,
                           const std::vector<std::uint32_t>& chosen, bool convert_sfx) {
  std::uint64_t total = 0;
  for (const std::uint32_t first : chosen) {
    const std::string& name = directory[first].name;
    if (records.Find(name) != first) continue;
    bool converted = false; // an SFX name converts once: the walk then looks for its WAV name
    for (auto index = records.Find(name); index; index = records.Find(name, *index + 1)) {
      const WadEntry& entry = directory[*index];
      if (entry.fault != WadEntryFault::None) continue;
      const bool sfx = convert_sfx && IsSfxEntryName(entry.name);
      if (*entry.size > kMaxDecompressedSize) {
        total += entry.compressed_size;
      } else if (!sfx) {
        total += *entry.size;
      } else if (!converted) {
        converted = true;
        total += *entry.size + WavHeader::kSize;
      }
    }
  }
  return total;
}

int RunExtract(const ParsedArgs& args, Streams streams) {
  if (args.positional.size() < 2) return Usage(streams, "extract takes an ARCHIVE");
  if (args.Has("--json")) return Usage(streams, "extract takes no --json");
  if (HasCreateOptions(args)) return Usage(streams, "extract takes no --literals or --dict");
  const std::string folder = args.Value("-o");
  if (folder.empty()) return Usage(streams, "extract needs -o DIR");
  ExtractSettings settings;
  settings.mode = DefaultOverwriteMode(streams.interactive);
  if (args.values.count("--overwrite") != 0) {
    const auto mode = ParseOverwriteMode(args.Value("--overwrite"));
    if (!mode) return Usage(streams, "--overwrite takes ask, skip or overwrite");
    settings.mode = *mode;
  }
  settings.convert_sfx = !args.Has("--no-wav");
  std::optional<std::uint64_t> max_output;
  if (args.values.count("--max-output") != 0) {
    max_output = ParseByteCount(args.Value("--max-output"));
    if (!max_output)
      return Usage(streams, "--max-output takes a size in bytes, such as 500000, 64K, 200M or 2G");
  }

  const std::string& path = args.positional[1];
  const std::string archive = platform::FileNameOf(path);
  ConsoleUi ui(streams.in, streams.err, streams.interactive);
  const std::optional<platform::FileMapping> mapped = OpenArchive(path);
  if (!mapped) return kExitFailure;
  const WadImage image = mapped->bytes();
  const std::vector<WadEntry> directory = ReadDirectory(*mapped);
  const WadIndex records(directory);

  bool failed = false;
  // The records whose names are extracted, by index: every record, or the
  // first of each name asked for. A name that an earlier walk covered is
  // passed over.
  std::vector<std::uint32_t> chosen;
  if (args.positional.size() == 2) {
    chosen.resize(directory.size());
    std::iota(chosen.begin(), chosen.end(), 0u);
  } else {
    for (std::size_t i = 2; i < args.positional.size(); ++i) {
      const std::vector<std::uint32_t> found =
          EntriesNamedOnCommandLine(directory, records, args.positional[i]);
      chosen.insert(chosen.end(), found.begin(), found.end());
      if (found.empty()) {
        streams.err << "vorevuvo: " << ShownText(archive, TextOrigin::Local)
                    << (IsNamePattern(args.positional[i]) ? ": no entry matches " : ": no entry named ")
                    << ShownText(args.positional[i], TextOrigin::Local) << "\n";
        failed = true;
      }
    }
  }

  const std::uint64_t to_write = BytesToWrite(directory, records, chosen, settings.convert_sfx);
  if (to_write > 256 * std::uint64_t{image.size()}) {
    streams.err << "vorevuvo: warning: " << ShownText(archive, TextOrigin::Local)
                << ": the entries share their data"
                << " and would write " << to_write << " bytes from an archive of " << image.size()
                << " bytes (--max-output sets a limit)\n";
  }
  if (max_output && to_write > *max_output) {
    streams.err << "vorevuvo: " << ShownText(archive, TextOrigin::Local) << ": the entries would write "
                << to_write << " bytes, more than --max-output " << *max_output << "; nothing was written\n";
    return kExitFailure;
  }

  if (chosen.empty() && failed) return kExitFailure; // nothing asked for is there: no folder is made
  if (IsStandardOutput(folder)) {
    if (failed) return kExitFailure;
    if (chosen.size() != 1 || args.positional.size() != 3)
      return Usage(streams, "-o - writes one entry to standard output: name exactly one");
    return ExtractToStandardOutput(image, archive, directory[chosen[0]].name, settings, streams);
  }
  WadNamesCovered covered;
  std::uint64_t read_since_let_go = 0;
  return WriteEachOutput(
      streams, ui, chosen.size(), "entries", settings.mode, folder, failed,
      [&](std::size_t i) { return directory[chosen[i]].name; },
      [&](std::size_t i, OutputRun& run) {
        const std::string& asked = directory[chosen[i]].name;
        if (covered.Has(asked)) return;
        std::string name = asked;
        ExtractFromWad(image, records, name, settings, run);
        covered.Add(asked, name);
        read_since_let_go += directory[chosen[i]].compressed_size;
        if (read_since_let_go > kLetGoBytes) {
          mapped->LetGo();
          read_since_let_go = 0;
        }
      });
}

int RunCreate(const ParsedArgs& args, Streams streams) {
  if (args.positional.size() < 3) return Usage(streams, "create takes an ARCHIVE and at least one FILE");
  if (args.values.count("-o") != 0 || args.Has("--json") || args.Has("--no-wav") ||
      args.values.count("--max-output") != 0) {
    return Usage(streams, "create takes no -o, --json, --max-output or --no-wav");
  }
  const std::optional<ImplodeOptions> options = ReadImplodeOptions(args, streams, "wad create");
  if (!options) return kExitUsage;
  OverwriteMode mode = DefaultOverwriteMode(streams.interactive);
  if (args.values.count("--overwrite") != 0) {
    const auto parsed = ParseOverwriteMode(args.Value("--overwrite"));
    if (!parsed) return Usage(streams, "--overwrite takes ask, skip or overwrite");
    mode = *parsed;
  }
  const std::string& archive = args.positional[1];
  const std::size_t files = args.positional.size() - 2;
  if (files > kMaxWadEntries) {
    streams.err << "vorevuvo: cannot create " << archive << ": " << files
                << " files are too many for one archive (at most " << kMaxWadEntries << ")\n";
    return kExitFailure;
  }

  ConsoleUi ui(streams.in, streams.err, streams.interactive);
  std::vector<WadInput> entries;
  entries.reserve(files);
  for (std::size_t i = 2; i < args.positional.size(); ++i) {
    const std::string& path = args.positional[i];
    // The name is checked before the file is read, so that a long list
    // fails at once on a bad name. It is stored in the game's Windows-1252.
    const std::optional<std::string> stored = GameText(WadEntryNameFor(path));
    const std::string name = stored.value_or("");
    const std::string problem =
        stored ? WadEntryNameProblem(name)
               : "the name has a character that the game's names (Windows-1252) cannot hold";
    if (!problem.empty()) {
      streams.err << "vorevuvo: cannot create "
                  << ShownText(archive + ": " + path + ": " + problem, TextOrigin::Local) << "\n";
      return kExitFailure;
    }
    const std::optional<LoadedFile> loaded = LoadFile(path);
    if (!loaded) {
      // LoadFile has told why, but not which of the files.
      streams.err << "vorevuvo: cannot create " << ShownText(archive + ": " + path, TextOrigin::Local)
                  << " was not read\n";
      return kExitFailure;
    }
    entries.push_back({name, {loaded->bytes().begin(), loaded->bytes().end()}, std::nullopt});
  }
  const WadBuild build = BuildWadArchive(entries, *options);
  if (!build.ok()) {
    streams.err << "vorevuvo: cannot create " << ShownText(archive + ": ", TextOrigin::Local)
                << ShownText(build.problem) << "\n";
    return kExitFailure;
  }
  const std::string detail = std::to_string(entries.size()) +
                             (entries.size() == 1 ? " entry, " : " entries, ") +
                             std::to_string(build.image.size()) + " bytes";
  return SaveAndReport(streams, archive, build.image, mode, detail) == SaveOutcome::Written ? kExitSuccess
                                                                                            : kExitFailure;
}

} // namespace

int RunWad(const ParsedArgs& args, Streams streams) {
  if (args.positional.empty())
    return Usage(streams, "expected list, extract, create, add, replace, remove or rename");
  const std::string& action = args.positional[0];
  if (action == "list") return RunList(args, streams);
  if (action == "extract") return RunExtract(args, streams);
  if (action == "create") return RunCreate(args, streams);
  return Usage(streams, "unknown action '" + action +
                            "', expected list, extract, create, add, replace, remove or rename");
}

} // namespace kv::cli
