// Runs the command-line tool in this process, its streams held in strings.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "cli/cli.h"

namespace kv::test {

struct CliRun {
  int status;
  std::string out, err;
};

inline CliRun Cli(const std::vector<std::string>& args, const std::string& input = {},
                  bool interactive = false) {
  std::istringstream in(input);
  std::ostringstream out, err;
  const int status = cli::RunCli(args, {in, out, err, interactive});
  return {status, out.str(), err.str()};
}

inline bool Has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

} // namespace kv::test
