#include "cli/voice_option.h"

#include <ostream>

#include "platform/platform.h"
#include "wad/current_wad.h"
#include "wad/voice_wad.h"

namespace kv::cli {

std::optional<LoadedFile> LoadVoiceWad(const ParsedArgs& args, const std::string& script, std::ostream& err) {
  const std::optional<std::string> path =
      args.values.count("--voice") ? args.Value("--voice") : FindVoiceWadBeside(script);
  if (!path) {
    const std::string folder = platform::FolderOf(script);
    err << "vorevuvo: no VOICE.WAD for " << script << ": looked for VOICE/VOICE.WAD in "
        << (folder.empty() ? "." : folder) << " (case ignored); --voice FILE names one\n";
    return std::nullopt;
  }
  std::optional<LoadedFile> wad = LoadFile(*path);
  if (!wad || !AcceptWadImage(wad->bytes(), platform::FileNameOf(*path))) return std::nullopt;
  return wad;
}

} // namespace kv::cli
