#include "cli/cli.h"

#include <algorithm>
#include <new>
#include <ostream>

#include "cli/block_commands.h"
#include "cli/cel_commands.h"
#include "cli/commentary_commands.h"
#include "cli/help_pages.h"
#include "cli/picture_commands.h"
#include "cli/remix_commands.h"
#include "cli/sample_commands.h"
#include "cli/sound_commands.h"
#include "cli/wad_commands.h"
#include "cli/wad_edit_commands.h"

namespace kv::cli {
namespace {

// The platform the program was built for, as a compiler names it.
#if defined(_WIN64)
constexpr const char* kBuildTarget = "x86_64-w64-mingw32";
#elif defined(_WIN32)
constexpr const char* kBuildTarget = "i686-w64-mingw32";
#elif defined(__x86_64__)
constexpr const char* kBuildTarget = "x86_64-linux-gnu";
#elif defined(__aarch64__)
constexpr const char* kBuildTarget = "aarch64-linux-gnu";
#else
constexpr const char* kBuildTarget = "unknown";
#endif

const CommandInfo kCommands[] = {
    {"decompress",
     "decompress a loose compressed file",
     kDecompressHelp,
     &kDecompressSyntax,
     RunDecompress,
     true,
     {}},
    {"compress",
     "write a file as a compressed block",
     kCompressHelp,
     &kCompressSyntax,
     RunCompress,
     true,
     {}},
    {"wad",
     "list, extract, make or change WAD archives",
     kWadHelp,
     &kWadSyntax,
     RunWad,
     true,
     {"list", "extract", "create"}},
    {"wad",
     "add, replace, remove or rename the entries of a WAD archive",
     kWadEditHelp,
     &kWadEditSyntax,
     RunWadEdit,
     true,
     {"add", "replace", "remove", "rename"}},
    {"cel2bmp",
     "write the images of a CEL file as BMP files",
     kCelToBmpHelp,
     &kCelToBmpSyntax,
     RunCelToBmp,
     true,
     {}},
    {"bmp2cel",
     "write BMP pictures as the images of a CEL file",
     kBmpToCelHelp,
     &kBmpToCelSyntax,
     RunBmpToCel,
     true,
     {}},
    {"sfx", "make an SFX clip of a WAV file", kSfxHelp, &kSfxSyntax, RunSfx, true, {}},
    {"names",
     "show the team and player name lists of a game folder",
     kNamesHelp,
     &kNamesSyntax,
     RunNames,
     false,
     {}},
    {"commentary",
     "list the commentary lines of COMMENT.TOK or export them as WAV files",
     kCommentaryHelp,
     &kCommentarySyntax,
     RunCommentary,
     true,
     {"list", "export"}},
    {"remix",
     "list the lines of a REMIX.TXT script or export them as WAV files",
     kRemixHelp,
     &kRemixSyntax,
     RunRemix,
     true,
     {"list", "export"}},
    {"make-sample",
     "write a synthetic game folder to try the tool with",
     kMakeSampleHelp,
     &kMakeSampleSyntax,
     RunMakeSample,
     true,
     {}},
};

// Takes -q/--quiet and -v/--verbose out of `args` (before a "--").
bool TakeVerbosity(std::vector<std::string>& args, Verbosity& verbosity, std::string& error) {
  for (auto arg = args.begin(); arg != args.end() && *arg != "--";) {
    const bool quiet = *arg == "-q" || *arg == "--quiet", verbose = *arg == "-v" || *arg == "--verbose";
    if (!quiet && !verbose) {
      ++arg;
      continue;
    }
    const Verbosity wanted = quiet ? Verbosity::Quiet : Verbosity::Verbose;
    if (verbosity != Verbosity::Normal && verbosity != wanted) {
      error = "-q and -v cannot be given together";
      return false;
    }
    verbosity = wanted;
    arg = args.erase(arg);
  }
  return true;
}

bool Contains(const std::vector<std::string>& list, const std::string& item) {
  return std::find(list.begin(), list.end(), item) != list.end();
}

// The row of the table that runs the command `name` with the arguments
// `rest`: a command may take several rows, each serving its own actions;
// the row whose actions hold the first argument, else the command's first.
const CommandInfo* RowFor(const std::string& name, const std::vector<std::string>& rest) {
  const CommandInfo* first = nullptr;
  for (const CommandInfo& command : kCommands) {
    if (name != command.name) continue;
    if (!rest.empty() && Contains(command.actions, rest[0])) return &command;
    if (!first) first = &command;
  }
  return first;
}

} // namespace

std::span<const CommandInfo> Commands() {
  return kCommands;
}

std::string_view BuildTarget() {
  return kBuildTarget;
}

std::string ParsedArgs::Value(const std::string& name, const std::string& fallback) const {
  const auto found = values.find(name);
  return found == values.end() ? fallback : found->second;
}

bool ParseArgs(const std::vector<std::string>& args, const CommandSyntax& syntax, ParsedArgs& parsed,
               std::string& error) {
  bool options_end = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (options_end || arg.size() < 2 || arg[0] != '-') {
      parsed.positional.push_back(arg);
      continue;
    }
    if (arg == "--") {
      options_end = true;
      continue;
    }
    std::string name = arg;
    std::string value;
    bool has_value = false;
    if (const std::size_t equals = arg.find('='); arg.rfind("--", 0) == 0 && equals != std::string::npos) {
      name = arg.substr(0, equals);
      value = arg.substr(equals + 1);
      has_value = true;
    }
    if (name == "--output" && Contains(syntax.value_options, "-o")) name = "-o";
    if (Contains(syntax.switch_options, name) && !has_value) {
      parsed.switches[name] = true;
    } else if (Contains(syntax.value_options, name)) {
      if (!has_value) {
        if (i + 1 >= args.size()) {
          error = name + " needs a value";
          return false;
        }
        value = args[++i];
      }
      parsed.values[name] = value;
    } else {
      error = "unknown option " + arg;
      return false;
    }
  }
  return true;
}

int UsageError(Streams streams, const std::string& command, const std::string& problem) {
  streams.err << "vorevuvo " << command << ": " << problem << " (see 'vorevuvo " << command << " --help')\n";
  return kExitUsage;
}

int RunCli(const std::vector<std::string>& args, Streams streams) {
  if (args.empty()) {
    streams.err << MainHelp();
    return kExitUsage;
  }
  if (args[0] == "--version" || args[0] == "-V") {
    streams.out << "vorevuvo " << kVersion << " (" << kBuildTarget << ")\n";
    return kExitSuccess;
  }
  if (args[0] == "help" && args.size() == 2 && args[1] == "--man") {
    streams.out << ManPage();
    return kExitSuccess;
  }
  if (args[0] == "help" && args.size() == 2 && args[1] == "--bash-completion") {
    streams.out << BashCompletion();
    return kExitSuccess;
  }
  if (args[0] == "help" && args.size() >= 2) {
    std::vector<std::string> asked(args.begin() + 1, args.end());
    asked.push_back("--help");
    return RunCli(asked, streams);
  }
  if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
    streams.out << MainHelp();
    return kExitSuccess;
  }
  const std::vector<std::string> rest(args.begin() + 1, args.end());
  if (const CommandInfo* found = RowFor(args[0], rest)) {
    const CommandInfo& command = *found;
    if (Contains(rest, "--help") || Contains(rest, "-h")) {
      const bool action = !rest.empty() && Contains(command.actions, rest[0]);
      streams.out << (action ? ActionHelp(command, rest[0]) : CommandHelp(command));
      return kExitSuccess;
    }
    ParsedArgs parsed;
    std::string error;
    std::vector<std::string> options = rest;
    if ((command.writes && !TakeVerbosity(options, streams.verbosity, error)) ||
        !ParseArgs(options, *command.syntax, parsed, error)) {
      streams.err << "vorevuvo " << command.name << ": " << error << " (see 'vorevuvo " << command.name
                  << " --help')\n";
      return kExitUsage;
    }
    // Inputs are bounded before their memory is asked for; a command that
    // still runs out of it ends with a message, not a crash.
    int status = kExitFailure;
    try {
      status = command.run(parsed, streams);
    } catch (const std::bad_alloc&) {
      streams.err << "vorevuvo " << command.name
                  << ": not enough memory to finish; what was written is whole\n";
    }
    // What could not be printed is lost as surely as a file not written.
    if (!streams.out.flush()) {
      streams.err << "vorevuvo " << command.name
                  << ": the output could not be written (is the disk full, or the reader gone?)\n";
      return kExitFailure;
    }
    return status;
  }
  streams.err << "vorevuvo: unknown command '" << args[0] << "' (see 'vorevuvo --help')\n";
  return kExitUsage;
}

} // namespace kv::cli
