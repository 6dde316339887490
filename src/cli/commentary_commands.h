// `vorevuvo names` and `vorevuvo commentary list|export`: the team and
// player name lists and the commentary lines of a game folder.
#pragma once

#include "cli/cli.h"

namespace kv::cli {

extern const char* const kNamesHelp;
extern const CommandSyntax kNamesSyntax;
int RunNames(const ParsedArgs& args, Streams streams);

extern const char* const kCommentaryHelp;
extern const CommandSyntax kCommentarySyntax;
int RunCommentary(const ParsedArgs& args, Streams streams);

} // namespace kv::cli
