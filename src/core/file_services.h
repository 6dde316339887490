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
// Maps a whole file instead, refused as LoadFile refuses it: what a command
// that walks a large file once uses, letting its pages go as it goes.
std::optional<platform::FileMapping> MapFile(const std::string& path);

// What became of a file that was to be written.
enum class SaveOutcome {
  Written,
  Kept,   // it exists and stays: Skip, or the user said No under Ask
  Failed, // the user has been told why
};

// Writes `data` to `path` under `mode`. The bytes go to a temporary file in
// the same folder that is moved to the name in one step when complete,
// without replacing a file that appeared in the meantime unless `mode`
// allows; so a file appears under its name complete or not at all, an
// existing file survives any failure, and no temporary file is left, also
// when the command line is interrupted (see InterruptionGuard). A folder
// under the name is a failure.
SaveOutcome WriteOutputFile(const std::string& path, std::span<const std::uint8_t> data, OverwriteMode mode);
// The same, with what LookAtName told of `path` just before.
SaveOutcome WriteOutputFile(const std::string& path, std::span<const std::uint8_t> data, OverwriteMode mode,
                            const platform::NameLook& look);
// WriteOutputFile for a file made of `pieces`, written one behind the other
// (a large file assembled from parts of others without a copy in memory).
SaveOutcome WriteOutputPieces(const std::string& path, std::span<const std::span<const std::uint8_t>> pieces,
                              OverwriteMode mode, const platform::NameLook& look);
// WriteOutputFile: true when the bytes were written.
bool SaveFile(const std::string& path, std::span<const std::uint8_t> data, OverwriteMode mode);

// How the temporary files of SaveFile end: ~kvNNNN.kvpart.
inline constexpr const char* kTemporaryEnding = ".kvpart";

// Shows the system's text for the last error under `caption`, about the
// file at `path` when there is one (the console names it; a box does not).
// When no error code was left, `no_code_text` (or a general failure text)
// is shown instead: a failure is never told as a success.
void ShowSystemError(const std::string& caption, const std::string& path = {},
                     const std::string& no_code_text = {});

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
inline constexpr const char* kFailedWithoutCode = "The operation failed; the system gave no reason.";
inline constexpr const char* kNotRegularFile =
    "Ignored: not a file on a disk (a pipe, a device or a console)";
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
