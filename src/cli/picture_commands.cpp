#include "cli/picture_commands.h"

#include <ostream>

#include "cli/output_policy.h"
#include "core/text_encoding.h"
#include "media/cel_to_bmp.h"
#include "media/cel_writer.h"
#include "media/picture_import.h"

namespace kv::cli {

const char* const kBmpToCelHelp =
    "usage: vorevuvo bmp2cel IMAGE.BMP... --pal PALETTE.PAL -o NEW.CEL [--overwrite ask|skip|overwrite]\n"
    "       vorevuvo bmp2cel IMAGE.BMP... --write-pal NEW.PAL -o NEW.CEL [--overwrite ask|skip|overwrite]\n"
    "\n"
    "Writes a CEL file holding one image per 8-bit indexed BMP file, in the order\n"
    "given, the way back from 'vorevuvo cel2bmp': each image is named by its file's\n"
    "name without its extension, from after its first '_' (TITLE_LOGO.BMP and\n"
    "LOGO.BMP both give LOGO; at most 7 characters, no spaces).\n"
    "\n"
    "  --pal PALETTE.PAL  the game's palette (768 bytes) the pixels are given in: a\n"
    "                     pixel whose colour the palette holds keeps it exactly (the\n"
    "                     BMP files that cel2bmp writes come back byte for byte);\n"
    "                     any other takes the palette's nearest colour, and a\n"
    "                     warning names the file and counts such pixels\n"
    "  --write-pal NEW.PAL  instead, write a new palette made of the first BMP's\n"
    "                     colours (each reduced to the game's 6 bits) and use it\n"
    "  -o NEW.CEL         the CEL file to write\n"
    "  --overwrite        what to do when an output exists (default: ask at a\n"
    "                     terminal, else skip)\n"
    "\n"
    "Read are 8-bit indexed BMP files, uncompressed or run-length coded (as\n"
    "ImageMagick writes them). Refused, and nothing written: any other BMP, a\n"
    "picture wider or higher than 65535 pixels, a name that does not fit, two\n"
    "images of the same name.\n";

const CommandSyntax kBmpToCelSyntax{{"-o", "--pal", "--write-pal", "--overwrite"}, {}};

namespace {

int Usage(Streams streams, const std::string& problem) {
  return UsageError(streams, "bmp2cel", problem);
}

} // namespace

int RunBmpToCel(const ParsedArgs& args, Streams streams) {
  const std::string output = args.Value("-o"), pal_path = args.Value("--pal"),
                    new_pal = args.Value("--write-pal");
  if (args.positional.empty() || output.empty()) return Usage(streams, "expected IMAGE.BMP... -o NEW.CEL");
  if (pal_path.empty() == new_pal.empty()) return Usage(streams, "give one of --pal and --write-pal");
  if (IsStandardOutput(output) || IsStandardOutput(new_pal))
    return Usage(streams, "the CEL and the palette are written as files");
  const std::optional<OverwriteMode> mode = ReadOverwriteOption(args, streams, "bmp2cel");
  if (!mode) return kExitUsage;

  ConsoleUi ui(streams.in, streams.err, streams.interactive);
  std::optional<LoadedFile> pal;
  if (!pal_path.empty()) {
    pal = LoadFile(pal_path);
    if (!pal) return kExitFailure;
    if (pal->size() != kPalSize) {
      streams.err << "vorevuvo: " << ShownText(pal_path, TextOrigin::Local) << ": " << text::kPalSizeWrong
                  << "\n";
      return kExitFailure;
    }
  }
  std::array<std::uint8_t, kPalSize> palette{};
  if (pal) std::copy(pal->bytes().begin(), pal->bytes().end(), palette.begin());

  bool failed = false;
  std::vector<CelImageInput> images;
  for (const std::string& path : args.positional) {
    const std::string shown = ShownText(path, TextOrigin::Local);
    const std::optional<std::string> name = GameText(CelImageNameFor(path));
    if (!name) {
      streams.err << "vorevuvo: " << shown
                  << ": its image name has a character the game's names cannot hold\n";
      failed = true;
      continue;
    }
    const std::optional<LoadedFile> loaded = LoadFile(path);
    if (!loaded) {
      failed = true;
      continue;
    }
    const BmpReading reading = ReadBmp(loaded->bytes());
    if (!reading.picture) {
      streams.err << "vorevuvo: " << shown << ": cannot become a CEL image: " << reading.problem << "\n";
      failed = true;
      continue;
    }
    if (images.empty() && !new_pal.empty()) palette = PaletteOfPicture(*reading.picture);
    PaletteMapping mapping = MapToPalette(*reading.picture, palette);
    if (mapping.changed != 0) {
      streams.err << "vorevuvo: warning: " << shown << ": " << mapping.changed
                  << (mapping.changed == 1 ? " pixel has a colour" : " pixels have colours")
                  << " that the palette does not hold, and took the nearest it holds\n";
    }
    images.push_back({*name, reading.picture->width, reading.picture->height, std::move(mapping.pixels)});
  }
  if (failed) {
    streams.err << "vorevuvo: " << ShownText(output, TextOrigin::Local) << " was not written\n";
    return kExitFailure;
  }
  const CelBuild cel = BuildCelFile(images);
  if (!cel.ok()) {
    streams.err << "vorevuvo: cannot write " << ShownText(output, TextOrigin::Local) << ": "
                << ShownText(cel.problem) << "\n";
    return kExitFailure;
  }
  const std::string detail = std::to_string(images.size()) + (images.size() == 1 ? " image, " : " images, ") +
                             std::to_string(cel.bytes.size()) + " bytes";
  bool written = SaveAndReport(streams, output, cel.bytes, *mode, detail) != SaveOutcome::Failed;
  if (!new_pal.empty())
    written = SaveAndReport(streams, new_pal, palette, *mode) != SaveOutcome::Failed && written;
  return written ? kExitSuccess : kExitFailure;
}

} // namespace kv::cli
