// Whole-file reading and writing with an overwrite policy, the system-error
// box, and the output-folder steps shared by every command that writes
// several files. Each service tells the user about its own failures; callers
// learn only success or failure.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace kv {

// A whole file in memory: `size` bytes, followed by one zero byte, so that a
// text file is also one zero-terminated string.
class LoadedFile {
public:
  explicit LoadedFile(std::uint32_t size) : storage_(std::size_t{size} + 1, 0) {}

  std::uint32_t size() const { return static_cast<std::uint32_t>(storage_.size() - 1); }
  std::uint8_t* data() { return storage_.data(); }
  const std::uint8_t* data() const { return storage_.data(); }
  std::span<const std::uint8_t> bytes() const { return {storage_.data(), size()}; }
  const char* text() const { return reinterpret_cast<const char*>(storage_.data()); }

private:
  std::vector<std::uint8_t> storage_;
};

// What SaveFile does when the target exists; values other than Ask and Skip
// behave as Overwrite.
enum OverwriteMode : std::int32_t { Ask = 0, Skip = 1, Overwrite = 2 };

// The largest file LoadFile takes: its size is counted in 32 bits.
inline constexpr std::uint64_t kMaxLoadSize = 0xFFFFFFFEu;

// Reads a whole file; nullopt after the user has been told why.
std::optional<LoadedFile> LoadFile(const std::string& path);

// Writes `data` to `path` under `mode`. True when the bytes were written;
// false when the file was skipped (nothing shown) or something failed (the
// user has been told). The bytes go to a temporary file in the same folder
// that replaces the target only when complete, so a failure never destroys
// or truncates an existing file nor leaves a partial new one.
bool SaveFile(const std::string& path, std::span<const std::uint8_t> data, OverwriteMode mode);

// Shows the system's text for the last error under `caption`, about the
// file at `path` when there is one (the console names it; a box does not).
void ShowSystemError(const std::string& caption, const std::string& path = {});

// The folder chooser: the chosen folder's full path, or "" when cancelled.
std::string BrowseForFolder(platform::WindowHandle owner);

// The output-folder steps: asks for a folder and makes it the current
// directory. False when the user cancelled (nothing shown) or the folder
// cannot be entered ("Abort", owned by `owner`).
bool ChooseOutputFolder(platform::WindowHandle owner);

namespace text {
inline constexpr const char* kFileSizeZero = "Ignored: File Size is zero";
inline constexpr const char* kFileTooLarge = "Ignored: File is 4 GiB or larger";
inline constexpr const char* kFileChanged = "Failed: the file changed while it was being read";
inline constexpr const char* kOverwriteQuestion = "File Already Exist!\nDo you wish to overwrite it?";
inline constexpr const char* kLoadFileCaption = "LoadFile()";
inline constexpr const char* kSaveFileCaption = "SaveFile()";
inline constexpr const char* kFolderInstruction =
    "Select the place where you want to extract the selected item(s).";
inline constexpr const char* kAbort = "Abort";
inline constexpr const char* kOutputFolderCaption = "Failed to set output directory";
inline constexpr const char* kAlertCaption = "Alert";
inline constexpr const char* kNoSelection = "No Selection";
} // namespace text

} // namespace kv
