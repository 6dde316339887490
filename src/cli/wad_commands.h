// `vorevuvo wad list`, `vorevuvo wad extract` and `vorevuvo wad create`: WAD
// archives.
#pragma once

#include "cli/cli.h"

namespace kv::cli {

extern const char* const kWadHelp;
extern const CommandSyntax kWadSyntax;

int RunWad(const ParsedArgs& args, Streams streams);

} // namespace kv::cli
