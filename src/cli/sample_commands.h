// `vorevuvo make-sample`: writes the synthetic game folder of
// sample/sample_folder.h.
#pragma once

#include "cli/cli.h"

namespace kv::cli {

extern const char* const kMakeSampleHelp;
extern const CommandSyntax kMakeSampleSyntax;

int RunMakeSample(const ParsedArgs& args, Streams streams);

} // namespace kv::cli
