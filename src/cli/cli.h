// The command-line tool: `vorevuvo COMMAND ...`. Exit status 0 on success,
// 1 on failure, 2 on bad usage.
#pragma once

#include <iosfwd>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace kv::cli {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

// How much a command that writes files says: -q only its errors, -v each
// file as it is written.
enum class Verbosity { Quiet, Normal, Verbose };

struct Streams {
  std::istream& in;
  std::ostream& out;
  std::ostream& err;
  bool interactive; // standard input is a terminal that can answer questions
  Verbosity verbosity = Verbosity::Normal;
};

// `args` excludes the program name.
int RunCli(const std::vector<std::string>& args, Streams streams);

// Tells a usage problem of `command` ("wad", "commentary", ...) on stderr,
// pointing at its help; returns kExitUsage.
int UsageError(Streams streams, const std::string& command, const std::string& problem);

// Parsed arguments of one command.
struct ParsedArgs {
  std::vector<std::string> positional;
  std::map<std::string, std::string> values; // --option VALUE, -o VALUE
  std::map<std::string, bool> switches;      // --flag

  bool Has(const std::string& name) const { return switches.count(name) != 0; }
  std::string Value(const std::string& name, const std::string& fallback = {}) const;
};

// What one command accepts; the parser refuses anything else.
struct CommandSyntax {
  std::vector<std::string> value_options;  // e.g. "-o", "--dict"
  std::vector<std::string> switch_options; // e.g. "--force"
};

// One command of the tool: what `--help`, the man page and the shell's
// completion are all made from.
struct CommandInfo {
  const char* name;
  const char* summary; // one line for the list of commands
  const char* help;    // the whole help, usage lines first
  const CommandSyntax* syntax;
  int (*run)(const ParsedArgs&, Streams);
  bool writes;                      // takes -q and -v
  std::vector<std::string> actions; // its first word: wad list, wad extract, ...
};

std::span<const CommandInfo> Commands();

// The version, as the project's build gives it.
inline constexpr const char* kVersion = KV_VERSION;
// The platform the program was built for, as a compiler names it.
std::string_view BuildTarget();

// Parses `args`; on a usage error returns false with `error` set.
bool ParseArgs(const std::vector<std::string>& args, const CommandSyntax& syntax, ParsedArgs& parsed,
               std::string& error);

} // namespace kv::cli
