// How the command line writes files: the overwrite mode from --overwrite, or
// by default Ask at a terminal and Skip otherwise (nothing is destroyed
// without being asked or told to).
#pragma once

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "cli/console_ui.h"
#include "core/file_services.h"
#include "core/output_run.h"

namespace kv::cli {

// nullopt when the text names no mode.
std::optional<OverwriteMode> ParseOverwriteMode(const std::string& text);
OverwriteMode DefaultOverwriteMode(bool interactive);
// --overwrite as `command` was given it, else the default; nullopt after
// telling the usage error.
std::optional<OverwriteMode> ReadOverwriteOption(const ParsedArgs& args, Streams streams,
                                                 const char* command);

// WriteOutputFile, then says what happened: "wrote PATH (DETAIL)" on the
// output stream (for the one output of a command, unless quiet; for one of
// several, when verbose), or that an existing file was kept on the error
// stream (a failure has been told already). DETAIL defaults to the size.
SaveOutcome SaveAndReport(Streams streams, const std::string& path, std::span<const std::uint8_t> data,
                          OverwriteMode mode, std::string detail = {}, bool one_of_several = false);

// "-o -": the one output of a command goes to standard output.
inline bool IsStandardOutput(const std::string& path) {
  return path == "-";
}
// The usage error of a command that writes several files, given "-o -".
inline constexpr const char* kSeveralToStandardOutput =
    "-o - writes one output to standard output; this writes several files";
// Writes `data` to the output stream as it is: kExitSuccess, or kExitFailure
// when it cannot be written (told once, by the command line).
int WriteStandardOutput(Streams streams, std::span<const std::uint8_t> data);

// The summary of a command that writes several files: "1 file written to
// DIR", "2 files written to DIR"; nothing when quiet.
void ReportWritten(Streams streams, std::size_t count, const std::string& folder);

// The items that names typed on the command line mean: every one when
// `typed` is empty, else those that a typed name or pattern means
// (TypedNameMeans on `shown(i)`), in their order. A typed name that means
// none is told, naming `file` and the `kind` of item, and sets `failed`.
std::vector<std::size_t> ChooseByName(std::size_t count, const std::function<std::string(std::size_t)>& shown,
                                      std::span<const std::string> typed, const std::string& file,
                                      const char* kind, std::ostream& err, bool& failed);

// Writes `count` outputs into the current directory (`folder`) through
// `write(i, run)`, each the subject of the messages shown meanwhile as
// `subject(i)`: draws the progress of `items`, names each file written or
// kept when verbose, stops once the folder is gone, then gives the
// summaries. The exit status: a failure when any message was shown or
// `failed` is set.
int WriteEachOutput(Streams streams, ConsoleUi& ui, std::size_t count, const char* items, OverwriteMode mode,
                    const std::string& folder, bool failed,
                    const std::function<std::string(std::size_t)>& subject,
                    const std::function<void(std::size_t, OutputRun&)>& write);

// Why an existing file was kept under `mode`, for the messages that say so.
const char* KeptBecause(OverwriteMode mode);

// After a run of several outputs: one line on the error stream for each
// cause of outputs not written (kept, failed, clashing with an earlier
// output, left when the folder went), so the summary says what happened.
// `left` counts the outputs the run did not reach.
void ReportNotWritten(Streams streams, const OutputRun& run, OverwriteMode mode, std::size_t left,
                      const std::string& folder);

// Whether a name typed on the command line means the line or row shown as
// `shown`: that name or a pattern of it, case ignored, with or without the
// ".wav" of its file.
bool TypedNameMeans(const std::string& typed, const std::string& shown);

// Restores the current directory when it goes out of scope.
class CurrentDirectoryKeeper {
public:
  CurrentDirectoryKeeper();
  ~CurrentDirectoryKeeper();
  CurrentDirectoryKeeper(const CurrentDirectoryKeeper&) = delete;
  CurrentDirectoryKeeper& operator=(const CurrentDirectoryKeeper&) = delete;

private:
  std::string saved_;
};

// `name` (whose '/' become the folder's separator) inside `folder`: C:\GAME
// and VOICE/VOICE.WAD give C:\GAME\VOICE\VOICE.WAD.
std::string PathInFolder(const std::string& folder, const std::string& name);

// Makes `folder` (and its parents) when missing; false after telling why,
// naming the folder, or the file that stands where a folder should be.
bool MakeOutputFolder(const std::string& folder, std::ostream& err);

// MakeOutputFolder, then makes it the current directory; false after
// telling why.
bool EnterOutputFolder(const std::string& folder, std::ostream& err);

// Counts the items of a long run on stderr when it is a terminal, in one
// line rewritten in place; silent for short runs, in logs and in pipes.
class Progress {
public:
  Progress(Streams streams, std::size_t total, const char* items);
  ~Progress();
  Progress(const Progress&) = delete;
  Progress& operator=(const Progress&) = delete;

  void Done(std::size_t done);

private:
  std::ostream& err_;
  std::size_t total_;
  const char* items_;
  bool terminal_;
  bool shown_ = false;
  std::size_t line_length_ = 0;
};

} // namespace kv::cli
