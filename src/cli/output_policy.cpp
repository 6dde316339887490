#include "cli/output_policy.h"

#include "core/name_pattern.h"

#include <iostream>
#include <ostream>

namespace kv::cli {

std::optional<OverwriteMode> ParseOverwriteMode(const std::string& text) {
  if (text == "ask") return Ask;
  if (text == "skip") return Skip;
  if (text == "overwrite") return Overwrite;
  return std::nullopt;
}

OverwriteMode DefaultOverwriteMode(bool interactive) {
  return interactive ? Ask : Skip;
}

std::optional<OverwriteMode> ReadOverwriteOption(const ParsedArgs& args, Streams streams,
                                                 const char* command) {
  if (args.values.count("--overwrite") == 0) return DefaultOverwriteMode(streams.interactive);
  const std::optional<OverwriteMode> mode = ParseOverwriteMode(args.Value("--overwrite"));
  if (!mode) streams.err << "vorevuvo " << command << ": --overwrite takes ask, skip or overwrite\n";
  return mode;
}

SaveOutcome SaveAndReport(Streams streams, const std::string& path, std::span<const std::uint8_t> data,
                          OverwriteMode mode, std::string detail, bool one_of_several) {
  const SaveOutcome outcome = WriteOutputFile(path, data, mode);
  const bool tell =
      one_of_several ? streams.verbosity == Verbosity::Verbose : streams.verbosity != Verbosity::Quiet;
  if (outcome == SaveOutcome::Written && tell) {
    if (detail.empty()) detail = std::to_string(data.size()) + " bytes";
    streams.out << "wrote " << ShownText(path, TextOrigin::Local) << " (" << detail << ")\n";
  } else if (outcome == SaveOutcome::Kept && streams.verbosity != Verbosity::Quiet) {
    streams.err << "vorevuvo: " << ShownText(path, TextOrigin::Local) << " exists and was left as it is "
                << KeptBecause(mode) << "\n";
  }
  return outcome;
}

namespace {
std::string Files(std::size_t count) {
  return std::to_string(count) + (count == 1 ? " file" : " files");
}
} // namespace

int WriteStandardOutput(Streams streams, std::span<const std::uint8_t> data) {
  streams.out.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
  return streams.out.flush() ? kExitSuccess : kExitFailure;
}

void ReportWritten(Streams streams, std::size_t count, const std::string& folder) {
  if (streams.verbosity == Verbosity::Quiet) return;
  streams.out << Files(count) << " written to " << ShownText(folder, TextOrigin::Local) << "\n";
}

std::vector<std::size_t> ChooseByName(std::size_t count, const std::function<std::string(std::size_t)>& shown,
                                      std::span<const std::string> typed, const std::string& file,
                                      const char* kind, std::ostream& err, bool& failed) {
  std::vector<std::size_t> chosen;
  std::vector<bool> used(typed.size(), false);
  for (std::size_t item = 0; item < count; ++item) {
    bool wanted = typed.empty();
    const std::string name = shown(item);
    for (std::size_t i = 0; i < typed.size(); ++i) {
      if (TypedNameMeans(typed[i], name)) wanted = used[i] = true;
    }
    if (wanted) chosen.push_back(item);
  }
  for (std::size_t i = 0; i < typed.size(); ++i) {
    if (used[i]) continue;
    err << "vorevuvo: " << ShownText(file, TextOrigin::Local) << ": no " << kind
        << (IsNamePattern(typed[i]) ? " matches " : " named ") << ShownText(typed[i], TextOrigin::Local)
        << "\n";
    failed = true;
  }
  return chosen;
}

int WriteEachOutput(Streams streams, ConsoleUi& ui, std::size_t count, const char* items, OverwriteMode mode,
                    const std::string& folder, bool failed,
                    const std::function<std::string(std::size_t)>& subject,
                    const std::function<void(std::size_t, OutputRun&)>& write) {
  CurrentDirectoryKeeper keeper;
  if (!EnterOutputFolder(folder, streams.err)) return kExitFailure;
  OutputRun run;
  if (streams.verbosity == Verbosity::Verbose) {
    run.SetListener([&streams, &folder, mode](const std::string& name, SaveOutcome outcome) {
      const std::string path = ShownText(PathInFolder(folder, name), TextOrigin::Local);
      if (outcome == SaveOutcome::Written) streams.out << "wrote " << path << "\n";
      if (outcome == SaveOutcome::Kept)
        streams.err << "vorevuvo: " << path << " exists and was left as it is " << KeptBecause(mode) << "\n";
    });
  }
  const int messages_before = ui.messages_shown();
  std::size_t done = 0;
  {
    Progress progress(streams, count, items);
    for (; done < count && !run.folder_gone(); ++done) {
      ui.SetSubject(subject(done));
      write(done, run);
      progress.Done(done + 1);
    }
    ui.SetSubject({});
  }
  ReportWritten(streams, static_cast<std::size_t>(run.written()), folder);
  ReportNotWritten(streams, run, mode, count - done, folder);
  return failed || ui.messages_shown() != messages_before ? kExitFailure : kExitSuccess;
}

const char* KeptBecause(OverwriteMode mode) {
  return mode == Ask ? "(as answered)" : "(--overwrite overwrite replaces it)";
}

void ReportNotWritten(Streams streams, const OutputRun& run, OverwriteMode mode, std::size_t left,
                      const std::string& folder) {
  const auto say = [&](const std::string& line) { streams.err << "vorevuvo: " << line << "\n"; };
  if (run.kept() > 0 && streams.verbosity != Verbosity::Quiet) {
    say(Files(run.kept()) + " existed and " + (run.kept() == 1 ? "was" : "were") + " kept " +
        (mode == Ask ? "(as answered)" : "(--overwrite overwrite replaces them)"));
  }
  if (run.clashed() > 0) {
    say(Files(run.clashed()) + " not written: " + (run.clashed() == 1 ? "its name was" : "their names were") +
        " taken by files written earlier in this run (told above)");
  }
  if (run.failed() > 0) say(Files(run.failed()) + " could not be written (told above)");
  if (run.folder_gone()) {
    say("the output folder " + ShownText(folder, TextOrigin::Local) + " is gone; " + std::to_string(left) +
        " more not written");
  }
}

bool TypedNameMeans(const std::string& typed, const std::string& shown) {
  return MatchesNamePattern(typed, shown) || MatchesNamePattern(typed + ".wav", shown) ||
         MatchesNamePattern(typed, shown + ".wav");
}

CurrentDirectoryKeeper::CurrentDirectoryKeeper() : saved_(platform::CurrentDirectory()) {}

CurrentDirectoryKeeper::~CurrentDirectoryKeeper() {
  platform::EnterDirectory(saved_);
}

std::string PathInFolder(const std::string& folder, const std::string& name) {
  const char separator = folder.find('\\') != std::string::npos ? '\\' : '/';
  std::string path = folder;
  if (!path.empty() && path.back() != '/' && path.back() != '\\') path += separator;
  for (const char c : name)
    path += c == '/' ? separator : c;
  return path;
}

bool MakeOutputFolder(const std::string& folder, std::ostream& err) {
  // A file where a folder of the path should be is named as such.
  for (std::string part = folder; !part.empty(); part = platform::FolderOf(part)) {
    while (part.size() > 1 && (part.back() == '/' || part.back() == '\\'))
      part.pop_back();
    if (platform::FileExists(part) && !platform::IsFolder(part)) {
      err << "vorevuvo: " << ShownText(part, TextOrigin::Local)
          << " is a file, not a folder (-o names the folder to write into)\n";
      return false;
    }
    if (platform::FolderOf(part).size() >= part.size()) break;
  }
  if (!folder.empty() && platform::MakeFolders(folder)) return true;
  err << "vorevuvo: " << ShownText(folder, TextOrigin::Local) << ": the output folder cannot be made ("
      << (folder.empty() ? "no folder was named" : platform::ErrorText(platform::LastError())) << ")\n";
  return false;
}

bool EnterOutputFolder(const std::string& folder, std::ostream& err) {
  if (!MakeOutputFolder(folder, err)) return false;
  if (platform::EnterDirectory(folder)) return true;
  err << "vorevuvo: " << ShownText(folder, TextOrigin::Local) << ": cannot enter the output folder ("
      << platform::ErrorText(platform::LastError()) << ")\n";
  return false;
}

namespace {
constexpr std::size_t kProgressStep = 100;
}

Progress::Progress(Streams streams, std::size_t total, const char* items)
    : err_(streams.err), total_(total), items_(items),
      terminal_(&streams.err == &std::cerr && StderrIsTerminal()) {}

Progress::~Progress() {
  if (terminal_ && shown_) err_ << "\r" << std::string(line_length_, ' ') << "\r" << std::flush;
}

void Progress::Done(std::size_t done) {
  // Only a terminal shows it: nothing of it reaches logs or pipes.
  if (!terminal_ || total_ < kProgressStep || (done % kProgressStep != 0 && done != total_)) return;
  const std::string line =
      "vorevuvo: " + std::to_string(done) + " of " + std::to_string(total_) + " " + items_;
  line_length_ = line.size();
  shown_ = true;
  err_ << "\r" << line << std::flush;
}

} // namespace kv::cli
