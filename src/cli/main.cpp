#include <iostream>

#include "cli/cli.h"
#include "cli/console_ui.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  return kv::cli::RunCli(args, {std::cin, std::cout, std::cerr, kv::cli::StdinIsTerminal()});
}
