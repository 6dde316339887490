#include "cli/console_ui.h"

#include <algorithm>
#include <cstdint>
#include <istream>
#include <ostream>
#include <string>
#include <string_view>

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

namespace {

void AppendEscapes(std::string& shown, std::string_view bytes) {
  static const char kHex[] = "0123456789ABCDEF";
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    shown += "\\x";
    shown += kHex[byte >> 4];
    shown += kHex[byte & 0xF];
  }
}

// The length of the UTF-8 character at the start of `text` when it is one
// that prints (not U+0080 to U+009F, not overlong, no surrogate); else 0.
std::size_t PrintableUtf8Length(std::string_view text) {
  std::size_t length = 0;
  const std::optional<std::uint32_t> code = DecodeUtf8(text, length);
  return code && *code >= 0xA0 ? length : 0;
}

} // namespace

std::string ShownText(const std::string& text, TextOrigin origin) {
  std::string shown;
  for (std::size_t i = 0; i < text.size();) {
    const auto byte = static_cast<unsigned char>(text[i]);
    std::size_t length = 1;
    bool printable = byte >= 0x20 && byte != 0x7F;
    if (byte >= 0x80 && origin == TextOrigin::Local) {
      length = std::max<std::size_t>(PrintableUtf8Length(std::string_view(text).substr(i)), 1);
      printable = length > 1;
    } else if (byte >= 0x80) {
      printable = byte != 0x81 && byte != 0x8D && byte != 0x8F && byte != 0x90 && byte != 0x9D;
    }
    const std::string_view character = std::string_view(text).substr(i, length);
    if (!printable) {
      AppendEscapes(shown, character);
    } else if (origin == TextOrigin::GameFile) {
      shown += Cp1252ToUtf8(character);
    } else {
      shown += character;
    }
    i += length;
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
  // Captions and texts come in the process's code page: a name from a game
  // file in them has been through SystemText. The subject is the game's bytes.
  const auto shown = [](const std::string& text) { return ShownText(text, TextOrigin::Local); };
  std::string line = "vorevuvo: ";
  if (!message.about.empty() &&
      (message.caption == text::kLoadFileCaption || message.caption == text::kSaveFileCaption)) {
    const char* action = message.caption == text::kLoadFileCaption ? "cannot read" : "cannot write";
    line += FileProblem(message.about, ShownText(message.about, TextOrigin::Local), action,
                        shown(OneLine(message.text)));
  } else {
    // A caption that is the subject is shown as the subject, from its bytes.
    const bool about_subject = !subject_.empty() && message.caption == SystemText(subject_);
    if (!subject_.empty()) line += ShownText(subject_) + ": ";
    if (!about_subject) line += shown(OneLine(message.caption)) + ": ";
    line += shown(OneLine(message.text));
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
  // The overwrite question takes All and None too, so that a thousand
  // existing files are not a thousand questions.
  const bool overwrite = message.text == text::kOverwriteQuestion;
  if (overwrite && answer_all_ != 0) return answer_all_;
  for (;;) {
    err_ << line << (overwrite ? " [y]es, [n]o, [A]ll, [N]one " : " [y/n] ") << std::flush;
    std::string reply;
    if (!std::getline(in_, reply)) return platform::kAnswerNo;
    if (reply == "y" || reply == "Y" || reply == "yes") return platform::kAnswerYes;
    if (reply == "n" || reply == "no" || (!overwrite && reply == "N")) return platform::kAnswerNo;
    if (overwrite && (reply == "A" || reply == "all")) return answer_all_ = platform::kAnswerYes;
    if (overwrite && (reply == "N" || reply == "none")) return answer_all_ = platform::kAnswerNo;
  }
}

std::optional<std::string> ConsoleUi::OnFileDialog(platform::DialogKind, const platform::FileDialog&) {
  return std::nullopt;
}

std::string ConsoleUi::OnChooseFolder(platform::WindowHandle, const std::string&) {
  return {};
}

} // namespace kv::cli
