#include "cli/sample_commands.h"

#include <ostream>
#include <vector>

#include "cli/console_ui.h"
#include "cli/output_policy.h"
#include "platform/platform.h"
#include "sample/sample_folder.h"

namespace kv::cli {

const char* const kMakeSampleHelp =
    "usage: vorevuvo make-sample DIR [--force]\n"
    "\n"
    "Writes a synthetic game folder into DIR (made when missing), with which every\n"
    "function of the tool can be tried without the game:\n"
    "  SOUNDS.WAD   a WAD archive of 12 speech clips, a few other entries and one\n"
    "               damaged entry\n"
    "  RULES.CMP    a loose compressed text\n"
    "  TITLE.CEL    five images, with their palette TITLE.PAL\n"
    "  COMMENT.TOK  eleven commentary lines, whose clips and names are in\n"
    "               VOICE/VOICE.WAD, with eight team files (*.ROP) and AGENTS.FRP\n"
    "  REMIX.TXT    four new lines cut from the clips of VOICE.WAD\n"
    "  README.TXT   what is in the folder; a loose file that is not compressed\n"
    "Nothing in it comes from the game, and it is the same, byte for byte, on\n"
    "every run.\n"
    "\n"
    "  --force   replace the sample's files where they exist already\n"
    "\n"
    "Without --force nothing is replaced: when any of the files exists, nothing is\n"
    "written and the status is 1, as the sample would not be whole (this command\n"
    "keeps no file on purpose). Exit status: 0 when every file was written, 1\n"
    "otherwise, 2 on bad usage.\n";

const CommandSyntax kMakeSampleSyntax{{}, {"--force"}};

int RunMakeSample(const ParsedArgs& args, Streams streams) {
  if (args.positional.size() != 1) {
    streams.err << "vorevuvo make-sample: expected one DIR (see 'vorevuvo make-sample --help')\n";
    return kExitUsage;
  }
  const std::string& folder = args.positional[0];
  const bool force = args.Has("--force");
  const std::vector<SampleFile> files = BuildSampleFolder();

  if (!force) {
    std::vector<std::string> existing;
    for (const SampleFile& file : files) {
      const std::string path = PathInFolder(folder, file.name);
      if (platform::FileExists(path)) existing.push_back(path);
    }
    if (!existing.empty()) {
      for (const std::string& path : existing)
        streams.err << "vorevuvo: " << path << " exists\n";
      streams.err << "vorevuvo: nothing was written (--force replaces the sample's files)\n";
      return kExitFailure;
    }
  }

  ConsoleUi ui(streams.in, streams.err, streams.interactive);
  if (!MakeOutputFolder(folder, streams.err)) return kExitFailure;
  bool failed = false;
  for (const SampleFile& file : files) {
    const std::string path = PathInFolder(folder, file.name);
    if (const std::string within = platform::FolderOf(file.name); !within.empty()) {
      if (!MakeOutputFolder(PathInFolder(folder, within), streams.err)) return kExitFailure;
    }
    switch (WriteOutputFile(path, file.bytes, force ? Overwrite : Skip)) {
    case SaveOutcome::Written:
      if (streams.verbosity == Verbosity::Verbose)
        streams.out << "wrote " << path << " (" << file.bytes.size() << " bytes): " << file.description
                    << "\n";
      break;
    case SaveOutcome::Kept:
      // It appeared after the check above.
      streams.err << "vorevuvo: " << path << " exists and was left as it is\n";
      failed = true;
      break;
    case SaveOutcome::Failed: failed = true; break;
    }
  }
  if (failed) return kExitFailure;
  ReportWritten(streams, files.size(), folder);
  if (streams.verbosity != Verbosity::Quiet)
    streams.out << "The sample game folder is " << folder << " (README.TXT there tells what to try).\n";
  return kExitSuccess;
}

} // namespace kv::cli
