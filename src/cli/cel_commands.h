// `vorevuvo cel2bmp`: every image of a CEL file as a BMP file in a folder.
#pragma once

#include "cli/cli.h"

namespace kv::cli {

extern const char* const kCelToBmpHelp;
extern const CommandSyntax kCelToBmpSyntax;

int RunCelToBmp(const ParsedArgs& args, Streams streams);

} // namespace kv::cli
