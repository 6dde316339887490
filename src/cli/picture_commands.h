// `vorevuvo bmp2cel`: BMP pictures made into one CEL file.
#pragma once

#include "cli/cli.h"

namespace kv::cli {

extern const char* const kBmpToCelHelp;
extern const CommandSyntax kBmpToCelSyntax;

int RunBmpToCel(const ParsedArgs& args, Streams streams);

} // namespace kv::cli
