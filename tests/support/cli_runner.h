// Runs the command-line tool in the test's own process, with its input,
// output and error streams held in strings.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include "cli/cli.h"

namespace kv::test {

struct CliRun {
  int status;
  std::string out;
  std::string err;
};

inline CliRun Cli(const std::vector<std::string>& args, const std::string& input = {},
                  bool interactive = false) {
  std::istringstream in(input);
  std::ostringstream out;
  std::ostringstream err;
  const int status = cli::RunCli(args, {in, out, err, interactive});
  return {status, out.str(), err.str()};
}

} // namespace kv::test
