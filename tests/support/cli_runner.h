// Runs the command-line tool in this process, its streams held in strings.
#pragma once

#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cli/cli.h"
#include "support/temp_dir.h"

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

// Runs each test in a fresh folder as the current directory (where bare
// names land, as in a user's shell) and puts the current directory back.
class InFreshFolder : public ::testing::Test {
protected:
  InFreshFolder() { std::filesystem::current_path(dir.path()); }
  CurrentDirectoryGuard guard;
  TempDir dir;
};

} // namespace kv::test
