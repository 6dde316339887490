// The command line's user interface: messages go to stderr as
// "vorevuvo: CAPTION: TEXT"; questions are answered by a preset answer, or
// at the terminal, or No when there is no terminal to ask at.
#pragma once

#include <functional>
#include <iosfwd>

#include "platform/host/host_ui.h"

namespace kv::cli {

class ConsoleUi final : public platform::HostUi {
public:
  // Decides a Yes/No question; returns 0 to leave it to the terminal.
  using Answerer = std::function<int(const platform::MessageShown&)>;

  ConsoleUi(std::istream& in, std::ostream& err, bool interactive);
  ~ConsoleUi() override;
  ConsoleUi(const ConsoleUi&) = delete;
  ConsoleUi& operator=(const ConsoleUi&) = delete;

  void SetAnswerer(Answerer answerer) { answerer_ = std::move(answerer); }
  bool interactive() const { return interactive_; }
  // How many messages (not questions) were shown: each is a failure or a refusal.
  int messages_shown() const { return messages_shown_; }

  int OnMessage(const platform::MessageShown& message) override;
  std::optional<std::string> OnFileDialog(platform::DialogKind kind,
                                          const platform::FileDialog& dialog) override;
  std::string OnChooseFolder(platform::WindowHandle owner, const std::string& instruction) override;

private:
  std::istream& in_;
  std::ostream& err_;
  bool interactive_;
  Answerer answerer_;
  int messages_shown_ = 0;
  platform::HostUi* previous_;
};

// One line for the console: line breaks and trailing white space folded.
std::string OneLine(const std::string& text);

// True when standard input, or standard error, is a terminal.
bool StdinIsTerminal();
bool StderrIsTerminal();

} // namespace kv::cli
