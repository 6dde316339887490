// The command line's user interface: messages go to stderr as
// "vorevuvo: CAPTION: TEXT"; questions are answered by a preset answer, or
// at the terminal, or No when there is no terminal to ask at.
//
// Every message names the file it is about: a system error of the file
// services ("LoadFile()", "SaveFile()", captions that name no file) is told
// as "vorevuvo: PATH: cannot read: TEXT", or "PATH: is a folder, not a
// file"; while a subject is set (the entry or line being written), every
// message starts with it.
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
  // Names taken from a game file (an entry name, an output name) that the
  // messages until the next call are about; empty for none. The subject is
  // shown as game text; the captions and texts of every message come in the
  // process's code page (SystemText) and are shown as local text (ShownText).
  void SetSubject(std::string subject) { subject_ = std::move(subject); }
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
  int answer_all_ = 0; // All or None to the overwrite question, for the rest of the command
  std::string subject_;
  platform::HostUi* previous_;
};

// One line for the console: line breaks and trailing white space folded.
std::string OneLine(const std::string& text);

// Where a text printed on the console comes from.
enum class TextOrigin {
  GameFile, // Windows-1252: names and texts read from the game's files
  Local,    // UTF-8: paths, command-line arguments, messages made here
};

// A text for the console, as UTF-8 that cannot move the cursor or change the
// terminal: control characters, DEL, the C1 controls and every byte that is
// not a character of its encoding (the five bytes Windows-1252 leaves
// undefined; UTF-8 that does not decode) become \xNN, one per byte.
std::string ShownText(const std::string& text, TextOrigin origin = TextOrigin::GameFile);

// How a file that cannot be read or written is told, under the name `shown`:
// "is a folder, not a file" when `path` is a folder, else `action` and the
// system's `reason`.
std::string FileProblem(const std::string& path, const std::string& shown, const char* action,
                        const std::string& reason);

// True when standard input, or standard error, is a terminal.
bool StdinIsTerminal();
bool StderrIsTerminal();

} // namespace kv::cli
