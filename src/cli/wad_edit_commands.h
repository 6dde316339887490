// `vorevuvo wad add`, `wad replace`, `wad remove` and `wad rename`: the
// entries of a WAD archive changed in place, the archive published anew in
// one step.
#pragma once

#include "cli/cli.h"

namespace kv::cli {

extern const char* const kWadEditHelp;
extern const CommandSyntax kWadEditSyntax;

int RunWadEdit(const ParsedArgs& args, Streams streams);

} // namespace kv::cli
