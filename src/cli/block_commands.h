// `vorevuvo decompress` and `vorevuvo compress`: loose compressed files.
#pragma once

#include <optional>

#include "cli/cli.h"
#include "core/implode.h"

namespace kv::cli {

extern const char* const kDecompressHelp;
extern const char* const kCompressHelp;

int RunDecompress(const ParsedArgs& args, Streams streams);
int RunCompress(const ParsedArgs& args, Streams streams);

// --literals binary|text and --dict 1024|2048|4096, shared by every command
// that compresses; nullopt after telling `command`'s usage error.
std::optional<ImplodeOptions> ReadImplodeOptions(const ParsedArgs& args, Streams streams,
                                                 const char* command);

extern const CommandSyntax kDecompressSyntax;
extern const CommandSyntax kCompressSyntax;

} // namespace kv::cli
