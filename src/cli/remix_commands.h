// vorevuvo remix: the entries of a REMIX.TXT script listed, or written as
// WAV files.
#pragma once

#include "cli/cli.h"

namespace kv::cli {

extern const char* const kRemixHelp;
extern const CommandSyntax kRemixSyntax;
int RunRemix(const ParsedArgs& args, Streams streams);

} // namespace kv::cli
