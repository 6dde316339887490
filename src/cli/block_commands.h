// `vorevuvo decompress` and `vorevuvo compress`: loose compressed files.
#pragma once

#include "cli/cli.h"

namespace kv::cli {

extern const char* const kDecompressHelp;
extern const char* const kCompressHelp;

int RunDecompress(const ParsedArgs& args, Streams streams);
int RunCompress(const ParsedArgs& args, Streams streams);

extern const CommandSyntax kDecompressSyntax;
extern const CommandSyntax kCompressSyntax;

} // namespace kv::cli
