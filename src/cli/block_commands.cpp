#include "cli/block_commands.h"

#include <ostream>

#include "cli/output_policy.h"
#include "core/compressed_block.h"
#include "core/explode.h"
#include "core/implode.h"
#include "platform/platform.h"

namespace kv::cli {

const char* const kDecompressHelp =
    "usage: vorevuvo decompress FILE [-o OUT] [--force] [--overwrite ask|skip|overwrite]\n"
    "\n"
    "Decompresses a loose compressed file (a 4-byte size, then an implode stream).\n"
    "\n"
    "  -o OUT        where to write (default: FILE.unpacked beside FILE; - for\n"
    "                standard output)\n"
    "  --force       decode even when the data do not look compressed\n"
    "  --overwrite   what to do when OUT exists (default: ask at a terminal, else skip)\n"
    "\n"
    "Files named *.WAD are archives: list and extract them with 'vorevuvo wad'.\n";

const char* const kCompressHelp =
    "usage: vorevuvo compress FILE [-o OUT] [--literals binary|text] [--dict 1024|2048|4096]\n"
    "                         [--overwrite ask|skip|overwrite]\n"
    "\n"
    "Writes FILE (at most 65535 bytes) as a compressed block: a 4-byte size, then an\n"
    "implode stream.\n"
    "\n"
    "  -o OUT        where to write (default: FILE.packed beside FILE; - for standard\n"
    "                output)\n"
    "  --literals    binary (plain 8-bit literals, the default) or text (coded literals)\n"
    "  --dict        dictionary size in bytes (default 4096)\n"
    "  --overwrite   what to do when OUT exists (default: ask at a terminal, else skip)\n";

const CommandSyntax kDecompressSyntax{{"-o", "--overwrite"}, {"--force"}};
const CommandSyntax kCompressSyntax{{"-o", "--literals", "--dict", "--overwrite"}, {}};

namespace {

// Reads the shared options of both commands; false on a usage error.
bool ReadOutputOptions(const ParsedArgs& args, Streams streams, const char* command, std::string& input,
                       OverwriteMode& mode) {
  if (args.positional.size() != 1) {
    streams.err << "vorevuvo " << command << ": expected one FILE (see 'vorevuvo " << command
                << " --help')\n";
    return false;
  }
  input = args.positional[0];
  mode = DefaultOverwriteMode(streams.interactive);
  if (args.values.count("--overwrite") != 0) {
    const auto parsed = ParseOverwriteMode(args.Value("--overwrite"));
    if (!parsed) {
      streams.err << "vorevuvo " << command << ": --overwrite takes ask, skip or overwrite\n";
      return false;
    }
    mode = *parsed;
  }
  return true;
}

// An existing file kept on purpose is a success, as for every command.
int Finish(SaveOutcome outcome) {
  return outcome == SaveOutcome::Failed ? kExitFailure : kExitSuccess;
}

} // namespace

std::optional<ImplodeOptions> ReadImplodeOptions(const ParsedArgs& args, Streams streams,
                                                 const char* command) {
  ImplodeOptions options;
  const std::string literals = args.Value("--literals", "binary");
  if (literals == "text") {
    options.literals = LiteralMode::Text;
  } else if (literals != "binary") {
    streams.err << "vorevuvo " << command << ": --literals takes binary or text\n";
    return std::nullopt;
  }
  const std::string dict = args.Value("--dict", "4096");
  if (dict == "1024") {
    options.dictionary_bits = 4;
  } else if (dict == "2048") {
    options.dictionary_bits = 5;
  } else if (dict != "4096") {
    streams.err << "vorevuvo " << command << ": --dict takes 1024, 2048 or 4096\n";
    return std::nullopt;
  }
  return options;
}

namespace {
// Every header the format defines: a size, literal mode 0 or 1 and 4, 5 or 6
// dictionary bits, as `compress` writes them (the window's check looks at
// the dictionary byte of 6 alone).
bool HasImplodeHeader(std::span<const std::uint8_t> block) {
  return block.size() >= kMinBlockSize && block[4] <= 1 && block[5] >= 4 && block[5] <= 6;
}
} // namespace

int RunDecompress(const ParsedArgs& args, Streams streams) {
  std::string input;
  OverwriteMode mode = Ask;
  if (!ReadOutputOptions(args, streams, "decompress", input, mode)) return kExitUsage;
  const std::string output = args.Value("-o", input + ".unpacked");

  ConsoleUi ui(streams.in, streams.err, streams.interactive);
  if (HasWadExtension(input)) {
    platform::ShowMessage(nullptr, text::kWadRefused, input, platform::Buttons::Ok);
    return kExitFailure;
  }
  const std::optional<LoadedFile> loaded = LoadFile(input);
  if (!loaded) return kExitFailure;
  if (!HasImplodeHeader(loaded->bytes()) && !args.Has("--force")) {
    streams.err << "vorevuvo: " << platform::FileNameOf(input)
                << ": Data doesn't appear to be compressed (--force decodes it anyway)\n";
    return kExitFailure;
  }
  // With --force the question "Skip Decompression?" is answered No.
  ui.SetAnswerer([](const platform::MessageShown& question) {
    return question.text == text::kNotCompressedQuestion ? platform::kAnswerNo : 0;
  });
  const BlockResult result = DecompressBlock(loaded->bytes(), platform::FileNameOf(input));
  if (result.kind != BlockResult::Decompressed) return kExitFailure;
  if (IsStandardOutput(output)) return WriteStandardOutput(streams, result.data);
  return Finish(SaveAndReport(streams, output, result.data, mode));
}

int RunCompress(const ParsedArgs& args, Streams streams) {
  std::string input;
  OverwriteMode mode = Ask;
  if (!ReadOutputOptions(args, streams, "compress", input, mode)) return kExitUsage;
  const std::optional<ImplodeOptions> options = ReadImplodeOptions(args, streams, "compress");
  if (!options) return kExitUsage;
  const std::string output = args.Value("-o", input + ".packed");

  ConsoleUi ui(streams.in, streams.err, streams.interactive);
  const std::optional<LoadedFile> loaded = LoadFile(input);
  if (!loaded) return kExitFailure;
  if (loaded->size() > kMaxDecompressedSize) {
    streams.err << "vorevuvo: " << input << ": " << loaded->size()
                << " bytes is too large for a compressed block (at most " << kMaxDecompressedSize << ")\n";
    return kExitFailure;
  }
  const std::vector<std::uint8_t> block = ImplodeBlock(loaded->bytes(), *options);
  if (IsStandardOutput(output)) return WriteStandardOutput(streams, block);
  return Finish(SaveAndReport(streams, output, block, mode));
}

} // namespace kv::cli
