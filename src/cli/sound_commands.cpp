#include "cli/sound_commands.h"

#include <ostream>

#include "cli/output_policy.h"
#include "media/sound_import.h"

namespace kv::cli {

const char* const kSfxHelp =
    "usage: vorevuvo sfx FROM.WAV -o NAME.SFX [--overwrite ask|skip|overwrite]\n"
    "\n"
    "Makes an SFX clip, the game's sound as its archives hold it (8-bit unsigned\n"
    "samples, one channel, 11025 per second, no header), of a WAV file of PCM with\n"
    "8, 16, 24 or 32 bits or 32-bit float, of any channel count and rate. The\n"
    "channels are mixed into one, the sound is resampled to 11025 per second with\n"
    "a band-limited filter and reduced to 8 bits with dither; a WAV file in the\n"
    "clip's own format (as 'wad extract' writes them) gives its samples unchanged.\n"
    "A clip holds at most 65535 samples (about 5.9 s): a longer sound is refused.\n"
    "\n"
    "  -o NAME.SFX   where to write the clip (- for standard output)\n"
    "  --overwrite   what to do when it exists (default: ask at a terminal, else skip)\n"
    "\n"
    "'vorevuvo wad add' and 'wad replace' take --from-wav to put a WAV file into an\n"
    "archive as a clip in one step.\n";

const CommandSyntax kSfxSyntax{{"-o", "--overwrite"}, {}};

int RunSfx(const ParsedArgs& args, Streams streams) {
  if (args.positional.size() != 1 || args.values.count("-o") == 0)
    return UsageError(streams, "sfx", "expected FROM.WAV -o NAME.SFX");
  const std::optional<OverwriteMode> mode = ReadOverwriteOption(args, streams, "sfx");
  if (!mode) return kExitUsage;
  const std::string& input = args.positional[0];
  const std::string output = args.Value("-o");

  ConsoleUi ui(streams.in, streams.err, streams.interactive);
  const std::optional<SfxClip> clip = ReadSfxFromWav(input, streams);
  if (!clip) return kExitFailure;
  if (IsStandardOutput(output)) return WriteStandardOutput(streams, *clip);
  const std::string detail = std::to_string(clip->size()) + " samples, " + ClipSeconds(clip->size()) + " s";
  return SaveAndReport(streams, output, *clip, *mode, detail) == SaveOutcome::Failed ? kExitFailure
                                                                                     : kExitSuccess;
}

std::optional<SfxClip> ReadSfxFromWav(const std::string& path, Streams streams) {
  const std::optional<LoadedFile> loaded = LoadFile(path);
  if (!loaded) return std::nullopt;
  SfxImport import = ImportSfxClip(loaded->bytes());
  if (!import.ok()) {
    streams.err << "vorevuvo: " << ShownText(path, TextOrigin::Local)
                << ": cannot become a clip: " << import.problem << "\n";
    return std::nullopt;
  }
  return std::move(import.clip);
}

std::string ClipSeconds(std::size_t samples) {
  const std::size_t hundredths = (samples * 100 + kSfxSamplesPerSecond / 2) / kSfxSamplesPerSecond;
  const std::string fraction = std::to_string(hundredths % 100);
  return std::to_string(hundredths / 100) + "." + (fraction.size() == 1 ? "0" : "") + fraction;
}

} // namespace kv::cli
