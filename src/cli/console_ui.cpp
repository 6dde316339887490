#include "cli/console_ui.h"

#include <istream>
#include <ostream>
#include <string>

#ifdef _WIN32
#include <io.h>
#define KV_ISATTY _isatty
#else
#include <unistd.h>
#define KV_ISATTY isatty
#endif

namespace kv::cli {

std::string OneLine(const std::string& text) {
  std::string line;
  for (char c : text) {
    if (c == '\r') continue;
    if (c == '\n') {
      if (!line.empty() && line.back() != ' ') line += ' ';
      continue;
    }
    line += c;
  }
  while (!line.empty() && line.back() == ' ')
    line.pop_back();
  return line;
}

bool StdinIsTerminal() {
  return KV_ISATTY(0) != 0;
}

bool StderrIsTerminal() {
  return KV_ISATTY(2) != 0;
}

ConsoleUi::ConsoleUi(std::istream& in, std::ostream& err, bool interactive)
    : in_(in), err_(err), interactive_(interactive), previous_(platform::InstallHostUi(this)) {}

ConsoleUi::~ConsoleUi() {
  platform::InstallHostUi(previous_);
}

int ConsoleUi::OnMessage(const platform::MessageShown& message) {
  const std::string line = "vorevuvo: " + OneLine(message.caption) + ": " + OneLine(message.text);
  if (message.buttons == platform::Buttons::Ok) {
    ++messages_shown_;
    err_ << line << '\n';
    return platform::kAnswerOk;
  }
  if (answerer_) {
    if (const int answer = answerer_(message); answer != 0) return answer;
  }
  if (!interactive_) {
    err_ << line << " No (no terminal to ask at)\n";
    return platform::kAnswerNo;
  }
  for (;;) {
    err_ << line << " [y/n] " << std::flush;
    std::string reply;
    if (!std::getline(in_, reply)) return platform::kAnswerNo;
    if (reply == "y" || reply == "Y" || reply == "yes") return platform::kAnswerYes;
    if (reply == "n" || reply == "N" || reply == "no") return platform::kAnswerNo;
  }
}

std::optional<std::string> ConsoleUi::OnFileDialog(platform::DialogKind, const platform::FileDialog&) {
  return std::nullopt;
}

std::string ConsoleUi::OnChooseFolder(platform::WindowHandle, const std::string&) {
  return {};
}

} // namespace kv::cli
