#include "cli/console_ui.h"

#include <istream>
#include <ostream>
#include <string>

#include "core/file_services.h"
#include "core/text_encoding.h"

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

std::string ShownText(const std::string& text) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string shown;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    const bool undefined = byte == 0x81 || byte == 0x8D || byte == 0x8F || byte == 0x90 || byte == 0x9D;
    if (byte < 0x20 || byte == 0x7F || undefined) {
      shown += "\\x";
      shown += kHex[byte >> 4];
      shown += kHex[byte & 0xF];
    } else {
      shown += Cp1252ToUtf8(std::string_view(&c, 1));
    }
  }
  return shown;
}

std::string FileProblem(const std::string& path, const std::string& shown, const char* action,
                        const std::string& reason) {
  if (platform::IsFolder(path)) return shown + ": is a folder, not a file";
  return shown + ": " + action + ": " + reason;
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
  const auto shown = [this](const std::string& text) { return subject_.empty() ? text : ShownText(text); };
  std::string line = "vorevuvo: ";
  if (!message.about.empty() &&
      (message.caption == text::kLoadFileCaption || message.caption == text::kSaveFileCaption)) {
    const char* action = message.caption == text::kLoadFileCaption ? "cannot read" : "cannot write";
    line += FileProblem(message.about, shown(message.about), action, OneLine(message.text));
  } else {
    if (!subject_.empty() && message.caption != subject_) line += ShownText(subject_) + ": ";
    line += shown(OneLine(message.caption)) + ": " + shown(OneLine(message.text));
  }
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
