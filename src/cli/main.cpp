#include <iostream>

#include "cli/cli.h"
#include "cli/console_ui.h"
#include "platform/platform.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#endif

int main(int argc, char** argv) {
#ifdef _WIN32
  // The tool prints UTF-8; its manifest makes its arguments and paths UTF-8
  // too (Windows 10 1903 and later).
  SetConsoleOutputCP(CP_UTF8);
  // "-o -" writes a file's bytes to standard output as they are.
  _setmode(_fileno(stdout), _O_BINARY);
#endif
  // An interrupted run ends with 130 (143 when asked to end), never with a
  // temporary file left or a file half-written under its name.
  kv::platform::EndProcessOnInterruption();
  const std::vector<std::string> args(argv + 1, argv + argc);
  return kv::cli::RunCli(args, {std::cin, std::cout, std::cerr, kv::cli::StdinIsTerminal()});
}
