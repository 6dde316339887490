// VOICE.WAD for a script on the command line: --voice FILE, else
// VOICE/VOICE.WAD beside the script; shared by `commentary` and `remix`.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>

#include "cli/cli.h"
#include "core/file_services.h"

namespace kv::cli {

// The archive read and its directory checked; none after telling why,
// naming where it was looked for when it was not found.
std::optional<LoadedFile> LoadVoiceWad(const ParsedArgs& args, const std::string& script, std::ostream& err);

} // namespace kv::cli
