// `vorevuvo sfx`: a WAV file made into an SFX clip.
#pragma once

#include <optional>
#include <string>

#include "cli/cli.h"
#include "media/wav.h"

namespace kv::cli {

extern const char* const kSfxHelp;
extern const CommandSyntax kSfxSyntax;

int RunSfx(const ParsedArgs& args, Streams streams);

// The clip that the WAV file at `path` makes (ImportSfxClip); nullopt after
// telling why it cannot be read or made into one. A ConsoleUi must be in
// place for the reading's messages.
std::optional<SfxClip> ReadSfxFromWav(const std::string& path, Streams streams);

// A clip's duration in seconds, to two decimals: "1.25".
std::string ClipSeconds(std::size_t samples);

} // namespace kv::cli
