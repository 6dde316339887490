// Every text that tells how to use the tool, made from the one table of
// commands (Commands()): the help of the tool, of a command and of one of
// its actions, the man page and the completion script for bash. They cannot
// drift apart: a command or an option added to the table appears in all.
#pragma once

#include <string>

#include "cli/cli.h"

namespace kv::cli {

// `vorevuvo --help`: the usage and the list of commands.
std::string MainHelp();
// `vorevuvo COMMAND --help`.
std::string CommandHelp(const CommandInfo& command);
// `vorevuvo wad list --help`: the usage and section of one action, and what
// the command's help says of all its actions.
std::string ActionHelp(const CommandInfo& command, const std::string& action);

// vorevuvo.1, for man(1).
std::string ManPage();
// A script that bash sources to complete commands, actions, options and
// their values, folders after -o and files elsewhere.
std::string BashCompletion();

} // namespace kv::cli
