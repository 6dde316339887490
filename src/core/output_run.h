// One command's writing of several files into its output folder: what
// became of each, and which files it wrote, so that no later output of the
// same command replaces a file written moments before (two archive entries,
// lines or rows that give one name), and so that a command stops at the
// first write that finds its folder gone instead of failing on every file.
#pragma once

#include <functional>
#include <map>
#include <span>
#include <string>

#include "core/file_services.h"
#include "platform/platform.h"

namespace kv {

class OutputRun {
public:
  // The run writes into the current directory, as it is now.
  OutputRun();

  // WriteOutputFile for the output of `source` (the entry, line or row it
  // comes from, in the process's code page). A name that is a file this run
  // wrote, under the same or another spelling that the folder takes for it,
  // is not written again: it is told under `source` and counts as a failure.
  SaveOutcome Save(const std::string& path, std::span<const std::uint8_t> data, OverwriteMode mode,
                   const std::string& source);

  // Called with the path of each file written or kept, and which.
  void SetListener(std::function<void(const std::string&, SaveOutcome)> listener) {
    listener_ = std::move(listener);
  }

  int written() const { return written_; }
  int kept() const { return kept_; }
  int failed() const { return failed_; }
  // Outputs not written because an earlier one of the run had their name.
  int clashed() const { return clashed_; }
  // True once a write failed because the output folder is no longer there:
  // nothing more can be written, and the command stops.
  bool folder_gone() const { return folder_gone_; }

private:
  struct WrittenFile {
    std::string name;
    std::string source;
  };
  std::string folder_;
  std::function<void(const std::string&, SaveOutcome)> listener_;
  std::map<platform::FileIdentity, WrittenFile> files_;
  int written_ = 0;
  int kept_ = 0;
  int failed_ = 0;
  int clashed_ = 0;
  bool folder_gone_ = false;
};

namespace text {
inline constexpr const char* kWouldReplace = "Not written: it would replace ";
inline constexpr const char* kWrittenBy = " written by ";
} // namespace text

} // namespace kv
