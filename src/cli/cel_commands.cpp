#include "cli/cel_commands.h"

#include <ostream>
#include <set>

#include "cli/output_policy.h"
#include "media/cel_to_bmp.h"

namespace kv::cli {

const char* const kCelToBmpHelp =
    "usage: vorevuvo cel2bmp CEL PAL -o DIR [--overwrite ask|skip|overwrite]\n"
    "\n"
    "Writes every image of a CEL file as an 8-bit BMP file coloured by PAL (a\n"
    "768-byte palette), named BASE_IMAGE.BMP after the CEL file's name without\n"
    "its extension and the image's name.\n"
    "\n"
    "  -o DIR        the folder to write into (made when it does not exist)\n"
    "  --overwrite   what to do when a BMP exists (default: ask at a terminal, else skip)\n"
    "\n"
    "Exit status: 0 when every image was written or an existing file deliberately\n"
    "kept; 1 when a file cannot be read or an image was not written; 2 on bad usage.\n";

const CommandSyntax kCelToBmpSyntax{{"-o", "--overwrite"}, {}};

namespace {

std::string UpperAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return text;
}

} // namespace

int RunCelToBmp(const ParsedArgs& args, Streams streams) {
  if (args.positional.size() != 2 || args.values.count("-o") == 0 || IsStandardOutput(args.Value("-o"))) {
    streams.err << "vorevuvo cel2bmp: expected CEL PAL -o DIR"
                << (IsStandardOutput(args.Value("-o")) ? std::string(" (") + kSeveralToStandardOutput + ")"
                                                       : "")
                << " (see 'vorevuvo cel2bmp --help')\n";
    return kExitUsage;
  }
  OverwriteMode mode = DefaultOverwriteMode(streams.interactive);
  if (args.values.count("--overwrite") != 0) {
    const auto parsed = ParseOverwriteMode(args.Value("--overwrite"));
    if (!parsed) {
      streams.err << "vorevuvo cel2bmp: --overwrite takes ask, skip or overwrite\n";
      return kExitUsage;
    }
    mode = *parsed;
  }
  const std::string& cel_path = args.positional[0];
  const std::string& pal_path = args.positional[1];
  const std::string folder = args.Value("-o");

  ConsoleUi ui(streams.in, streams.err, streams.interactive);
  const std::optional<LoadedFile> cel = LoadFile(cel_path);
  if (!cel) return kExitFailure;
  const std::optional<LoadedFile> pal = LoadFile(pal_path);
  if (!pal) return kExitFailure;

  // Two images of one file may be named alike (or alike but for case, or
  // after PlainFileName); the later one must not replace the earlier's BMP.
  std::set<std::string> names_used;
  std::size_t written = 0;
  bool failed = false;
  std::optional<bool> folder_ready; // made before the first image, not for a refused file
  const auto deliver = [&](const std::string& name, std::span<const std::uint8_t> bmp) {
    if (!folder_ready) folder_ready = MakeOutputFolder(folder, streams.err);
    if (!*folder_ready) return;
    const std::string path = PathInFolder(folder, name);
    if (!names_used.insert(UpperAscii(name)).second) {
      streams.err << "vorevuvo: " << ShownText(path, TextOrigin::Local)
                  << ": an earlier image of this file has the same name; this one is skipped\n";
      failed = true;
      return;
    }
    const SaveOutcome outcome = SaveAndReport(streams, path, bmp, mode, {}, true);
    written += outcome == SaveOutcome::Written ? 1 : 0;
    failed = failed || outcome == SaveOutcome::Failed;
  };
  const CelConversion conversion = ConvertCelImages(nullptr, cel_path, *cel, pal_path, *pal, deliver);
  if (!conversion.completed && conversion.images == 0) return kExitFailure;
  ReportWritten(streams, written, folder);
  return conversion.completed && !failed ? kExitSuccess : kExitFailure;
}

} // namespace kv::cli
