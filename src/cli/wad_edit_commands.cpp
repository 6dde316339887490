#include "cli/wad_edit_commands.h"

#include <ostream>

#include "cli/output_policy.h"
#include "cli/sound_commands.h"
#include "core/implode.h"
#include "core/text_encoding.h"
#include "platform/platform.h"
#include "wad/current_wad.h"
#include "wad/wad_update.h"
#include "wad/wad_writer.h"

namespace kv::cli {

const char* const kWadEditHelp =
    "usage: vorevuvo wad add ARCHIVE FILE... [--as NAME] [--from-wav] [--dry-run]\n"
    "       vorevuvo wad replace ARCHIVE NAME FILE [--from-wav] [--dry-run]\n"
    "       vorevuvo wad remove ARCHIVE NAME... [--dry-run]\n"
    "       vorevuvo wad rename ARCHIVE OLD NEW [--dry-run]\n"
    "\n"
    "Changes the entries of an archive in place. The archive is written anew to a\n"
    "temporary file beside it, which then takes its name in one step: a failure\n"
    "or an interruption leaves it as it was. Entries not changed keep their place\n"
    "and their stored bytes (they are not decoded); new entries come last. A\n"
    "NAME is an entry's name, case ignored; replace and rename change the first\n"
    "entry of the name, the one the game reads.\n"
    "\n"
    "  --from-wav    FILE is a WAV file, stored as the SFX clip that 'vorevuvo sfx'\n"
    "                makes of it\n"
    "  --dry-run     tell what would change, and write nothing\n"
    "\n"
    "add       stores each FILE as a new entry, compressed as the game stores every\n"
    "          entry, named as 'wad create' names and checks them: by its file's\n"
    "          name in upper case (with --from-wav, ending in .SFX: vipers.wav\n"
    "          becomes VIPERS.SFX). Refused: a name an entry has already.\n"
    "  --as NAME     the entry's name instead (one FILE only)\n"
    "\n"
    "replace   stores FILE as the new content of the entry NAME.\n"
    "\n"
    "remove    takes out every entry of each NAME.\n"
    "\n"
    "rename    gives the entry OLD the name NEW, checked as add checks names.\n"
    "\n"
    "Exit status: 0 when the archive was written (with --dry-run: would be); 1,\n"
    "and the archive unchanged, when it cannot be read or written, a NAME is not\n"
    "in it, or a FILE or a name is refused; 2 on bad usage.\n";

const CommandSyntax kWadEditSyntax{{"--as"}, {"--from-wav", "--dry-run"}};

namespace {

int Usage(Streams streams, const std::string& problem) {
  return UsageError(streams, "wad", problem);
}

// A name typed for a new entry, in the game's Windows-1252; none after
// telling that it has a character the game's names cannot hold.
std::optional<std::string> NewEntryName(const std::string& typed, Streams streams) {
  std::optional<std::string> name = GameText(typed);
  if (!name) {
    streams.err << "vorevuvo: " << ShownText(typed, TextOrigin::Local)
                << ": the name has a character that the game's names (Windows-1252) cannot hold\n";
  }
  return name;
}

// The name of the entry that `typed` means, by its own bytes or by its
// name in the process's code page ("café.sfx" finds caf + 0xE9 + ".sfx");
// none after telling that the archive has no such entry.
std::optional<std::string> EntryNamed(WadImage image, const std::string& archive, const std::string& typed,
                                      Streams streams) {
  std::optional<std::uint32_t> index = FindWadEntry(image, typed);
  if (const std::optional<std::string> game = GameText(typed); !index && game)
    index = FindWadEntry(image, *game);
  if (!index) {
    streams.err << "vorevuvo: " << ShownText(archive, TextOrigin::Local) << ": no entry named "
                << ShownText(typed, TextOrigin::Local) << "\n";
    return std::nullopt;
  }
  return ReadWadEntry(image, *index).name;
}

// The compressed block of the content that `path` gives an entry: the file
// as it is, or the clip of a WAV file; none after telling why not.
std::optional<std::vector<std::uint8_t>> EntryBlock(const std::string& path, bool from_wav, Streams streams,
                                                    std::size_t& content_size) {
  std::vector<std::uint8_t> content;
  if (from_wav) {
    std::optional<SfxClip> clip = ReadSfxFromWav(path, streams);
    if (!clip) return std::nullopt;
    content = std::move(*clip);
  } else {
    const std::optional<LoadedFile> loaded = LoadFile(path);
    if (!loaded) return std::nullopt;
    content.assign(loaded->bytes().begin(), loaded->bytes().end());
  }
  if (const std::string problem = WadEntryDataProblem(content.size()); !problem.empty()) {
    streams.err << "vorevuvo: " << ShownText(path, TextOrigin::Local) << ": " << problem << "\n";
    return std::nullopt;
  }
  content_size = content.size();
  return ImplodeBlock(content);
}

// The entry name of a FILE to add: its file name in upper case, that of a
// WAV file read as a clip ending in .SFX.
std::string AddedName(const std::string& path, bool from_wav) {
  std::string name = WadEntryNameFor(path);
  if (!from_wav) return name;
  const std::size_t dot = name.find_last_of('.');
  return (dot == std::string::npos || dot == 0 ? name : name.substr(0, dot)) + ".SFX";
}

// The changes that the arguments ask for, each with the line that tells it
// after its verb; false after telling every refusal.
bool ReadChanges(const ParsedArgs& args, WadImage image, Streams streams, std::vector<WadChange>& changes,
                 std::vector<std::string>& told) {
  const std::string& action = args.positional[0];
  const std::string& archive = args.positional[1];
  const bool from_wav = args.Has("--from-wav");
  bool ok = true;
  const auto add_content = [&](WadChange change, const std::string& path) {
    std::size_t size = 0;
    std::optional<std::vector<std::uint8_t>> block = EntryBlock(path, from_wav, streams, size);
    if (!block) return false;
    told.push_back(ShownText(change.name) + " (" + std::to_string(size) + " bytes from " +
                   ShownText(path, TextOrigin::Local) + ", " + std::to_string(block->size()) + " stored)");
    change.block = std::move(*block);
    changes.push_back(std::move(change));
    return true;
  };
  if (action == "add") {
    for (std::size_t i = 2; i < args.positional.size(); ++i) {
      const std::string& path = args.positional[i];
      const std::optional<std::string> name =
          NewEntryName(args.values.count("--as") ? args.Value("--as") : AddedName(path, from_wav), streams);
      ok = name && add_content({WadChange::Add, *name, {}, {}}, path) && ok;
    }
  } else if (action == "replace") {
    const std::optional<std::string> name = EntryNamed(image, archive, args.positional[2], streams);
    ok = name && add_content({WadChange::Replace, *name, {}, {}}, args.positional[3]);
  } else if (action == "remove") {
    for (std::size_t i = 2; i < args.positional.size(); ++i) {
      const std::optional<std::string> name = EntryNamed(image, archive, args.positional[i], streams);
      if (!name) {
        ok = false;
        continue;
      }
      changes.push_back({WadChange::Remove, *name, {}, {}});
      told.push_back(ShownText(*name));
    }
  } else {
    const std::optional<std::string> name = EntryNamed(image, archive, args.positional[2], streams);
    const std::optional<std::string> new_name = NewEntryName(args.positional[3], streams);
    ok = name && new_name;
    if (ok) {
      changes.push_back({WadChange::Rename, *name, *new_name, {}});
      told.push_back(ShownText(*name) + " to " + ShownText(*new_name));
    }
  }
  return ok;
}

// The usage problem of the arguments, or empty.
std::string UsageProblem(const ParsedArgs& args) {
  const std::string& action = args.positional[0];
  const std::size_t operands = args.positional.size() - 1;
  if (action == "add" && operands < 2) return "add takes an ARCHIVE and at least one FILE";
  if (action == "add" && args.values.count("--as") && operands != 2) return "--as names one FILE";
  if (action != "add" && args.values.count("--as")) return "only add takes --as";
  if (action == "replace" && operands != 3) return "replace takes ARCHIVE NAME FILE";
  if (action == "remove" && operands < 2) return "remove takes an ARCHIVE and at least one NAME";
  if (action == "rename" && operands != 3) return "rename takes ARCHIVE OLD NEW";
  if (args.Has("--from-wav") && action != "add" && action != "replace")
    return "only add and replace take --from-wav";
  return {};
}

} // namespace

int RunWadEdit(const ParsedArgs& args, Streams streams) {
  if (const std::string problem = UsageProblem(args); !problem.empty()) return Usage(streams, problem);
  const std::string& path = args.positional[1];
  const std::string shown = ShownText(path, TextOrigin::Local);
  ConsoleUi ui(streams.in, streams.err, streams.interactive);
  const std::optional<LoadedFile> loaded = LoadFile(path);
  if (!loaded || !AcceptWadImage(loaded->bytes(), platform::FileNameOf(path))) return kExitFailure;

  std::vector<WadChange> changes;
  std::vector<std::string> told;
  const bool ok = ReadChanges(args, loaded->bytes(), streams, changes, told);
  const WadUpdate update = ok ? UpdateWadArchive(loaded->bytes(), changes) : WadUpdate{};
  if (ok && !update.ok()) streams.err << "vorevuvo: " << shown << ": " << ShownText(update.problem) << "\n";
  if (!ok || !update.ok()) {
    streams.err << "vorevuvo: " << shown << " was left as it is\n";
    return kExitFailure;
  }

  const bool dry_run = args.Has("--dry-run");
  if (streams.verbosity != Verbosity::Quiet) {
    const std::string& action = args.positional[0];
    for (const std::string& line : told)
      streams.out << (dry_run ? "would " + action : action + (action.back() == 'e' ? "d" : "ed")) << " "
                  << line << "\n";
  }
  const std::uint32_t count = WadEntryCount(update.directory);
  const std::string detail = std::to_string(count) + (count == 1 ? " entry, " : " entries, ") +
                             std::to_string(update.size) + " bytes";
  if (dry_run) {
    if (streams.verbosity != Verbosity::Quiet)
      streams.out << "would write " << shown << " (" << detail << "); nothing was written (--dry-run)\n";
    return kExitSuccess;
  }
  if (WriteOutputPieces(path, update.Pieces(), Overwrite, platform::LookAtName(path)) !=
      SaveOutcome::Written) {
    streams.err << "vorevuvo: " << shown << " was left as it is\n";
    return kExitFailure;
  }
  if (streams.verbosity != Verbosity::Quiet) streams.out << "wrote " << shown << " (" << detail << ")\n";
  return kExitSuccess;
}

} // namespace kv::cli
