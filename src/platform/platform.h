// The operations the tool takes from the platform, as plain functions.
//
// Two implementations stand behind this header: win32/ makes the real calls
// (CreateFileA, MessageBoxA, GetOpenFileNameA, SHBrowseForFolderA,
// PlaySoundA, ...); host/ uses POSIX files and hands every dialog to a
// HostUi (host/host_ui.h) that tests script and the command line serves
// from the terminal. Callers above the seam never include <windows.h>.
#pragma once

#include <compare>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace kv::platform {

// An opaque window handle (an HWND on Windows); null means "no owner".
using WindowHandle = void*;

// ---------------------------------------------------------------- errors

// System error codes as Windows numbers them; the host maps errno onto them.
inline constexpr std::uint32_t kErrorSuccess = 0;
inline constexpr std::uint32_t kErrorFileNotFound = 2;
inline constexpr std::uint32_t kErrorPathNotFound = 3;
inline constexpr std::uint32_t kErrorAccessDenied = 5;
inline constexpr std::uint32_t kErrorNotEnoughMemory = 8;
inline constexpr std::uint32_t kErrorWriteFault = 29;
inline constexpr std::uint32_t kErrorReadFault = 30;
inline constexpr std::uint32_t kErrorSharingViolation = 32;
inline constexpr std::uint32_t kErrorHandleDiskFull = 39;
inline constexpr std::uint32_t kErrorFileExists = 80;
inline constexpr std::uint32_t kErrorInvalidParameter = 87;
inline constexpr std::uint32_t kErrorOpenFailed = 110;
inline constexpr std::uint32_t kErrorDiskFull = 112;
inline constexpr std::uint32_t kErrorFileTooLarge = 223;

// The calling thread's last error code, as the failing operation left it.
std::uint32_t LastError();
void SetLastError(std::uint32_t code);
// The system's text for an error code in the user's language, as the system
// gives it (Windows ends it with "\r\n"); empty when the system has none.
std::string ErrorText(std::uint32_t code);

// ----------------------------------------------------------------- files

// An open file; closing it never disturbs LastError().
class File {
public:
  File() = default;
  explicit File(std::intptr_t native) : native_(native) {}
  File(File&& other) noexcept : native_(other.release()) {}
  File& operator=(File&& other) noexcept;
  File(const File&) = delete;
  File& operator=(const File&) = delete;
  ~File() { Close(); }

  bool IsOpen() const { return native_ != kInvalid; }
  std::intptr_t native() const { return native_; }
  std::intptr_t release();
  void Close();

  static constexpr std::intptr_t kInvalid = -1;

private:
  std::intptr_t native_ = kInvalid;
};

// Opens an existing file for reading, shared with other readers only. A
// pipe, a device or anything else that is not a file on a disk is refused
// before it is read (it could block forever) with kErrorOpenFailed.
File OpenForReading(const std::string& path);
// Creates a new file for writing, shared with nobody; fails with
// kErrorFileExists when the path exists.
File CreateExclusive(const std::string& path);
// The file's full size in bytes; nullopt (LastError() set) on failure.
std::optional<std::uint64_t> FileSize(File& file);
// One read of up to `size` bytes; `done` receives the count read.
bool ReadFromFile(File& file, void* data, std::uint32_t size, std::uint32_t& done);
// One write of `size` bytes; `done` receives the count written.
bool WriteToFile(File& file, const void* data, std::uint32_t size, std::uint32_t& done);
// Moves `from` over `to`, replacing `to` if it exists (same folder).
bool MoveFileOver(const std::string& from, const std::string& to);
// Moves `from` to `to` in one step unless `to` exists, which fails with
// kErrorFileExists and leaves both as they were (same folder).
bool MoveFileNoReplace(const std::string& from, const std::string& to);
// Removes a file; keeps LastError() as it was, for clean-up on failure paths.
void RemoveFileQuietly(const std::string& path);
bool FileExists(const std::string& path);
// What tells one file from another on its volume (device and inode, volume
// and file index): two names of one file, as a folder that ignores case
// gives them, have the same identity. None when `path` is not there.
struct FileIdentity {
  std::uint64_t volume = 0;
  std::uint64_t index = 0;
  auto operator<=>(const FileIdentity&) const = default;
};
std::optional<FileIdentity> IdentityOf(const std::string& path);
bool IsFolder(const std::string& path);
// What a name stands for right now, in one look (a name that is not there
// costs Wine a read of its folder, so each is looked at once). LastError()
// is kept.
enum class NameHolds { Nothing, File, Folder, Unknown };
struct NameLook {
  NameHolds holds = NameHolds::Unknown;
  std::optional<FileIdentity> identity; // when it holds a file or a folder
};
NameLook LookAtName(const std::string& path);
// Makes the folder `path` and every missing folder above it. True when
// `path` is a folder afterwards; otherwise LastError tells why not.
bool MakeFolders(const std::string& path);

// The path of the file `name` in `folder` alone (with or without a trailing
// separator), matched without regard to case; nullopt when it is not there.
std::optional<std::string> SearchFolder(const std::string& folder, const std::string& name);
// The path of the file `name` along the system's search order for files: the
// program's folder, the current folder, the system folders, then the PATH.
std::optional<std::string> SearchPathForFile(const std::string& name);

std::string CurrentDirectory();
bool EnterDirectory(const std::string& path);

// True when the process's 8-bit texts (paths, window texts, the "A"
// functions) are UTF-8: always on Linux, and on Windows when the manifest's
// UTF-8 code page took effect (Windows 10 1903 and later).
bool TextIsUtf8();

// The folder part of a path, with its trailing separator ("" for a bare name).
std::string FolderOf(const std::string& path);
// The file-name part of a path (after the last '\\', '/' or ':').
std::string FileNameOf(const std::string& path);

// ---------------------------------------------------------- interruption

// Ends the process on Ctrl-C, SIGTERM and their kind (Ctrl-Break and the
// console's closing on Windows) with 130 (an interrupt) or 143 (a request to
// end), but never while an InterruptionGuard lives: the interruption waits
// for it. The command line installs it; the window program has no console.
void EndProcessOnInterruption();

// Holds off the end that EndProcessOnInterruption installs while it lives,
// so that a temporary file is made, written and published, or removed,
// before the process ends. Guards nest.
class InterruptionGuard {
public:
  InterruptionGuard();
  ~InterruptionGuard();
  InterruptionGuard(const InterruptionGuard&) = delete;
  InterruptionGuard& operator=(const InterruptionGuard&) = delete;
};

// --------------------------------------------------------------- dialogs

enum class Buttons { Ok, YesNo };
enum class Icon { None, Information };
// Message-box answers, numbered as Windows numbers them.
inline constexpr int kAnswerOk = 1;
inline constexpr int kAnswerCancel = 2;
inline constexpr int kAnswerYes = 6;
inline constexpr int kAnswerNo = 7;

// A modal message box; returns kAnswerOk, kAnswerYes or kAnswerNo. `about`
// is the path of the file the message is about when its caption does not
// say (a system error under "LoadFile()"); a box does not show it, the
// console names the file with it.
int ShowMessage(WindowHandle owner, const std::string& text, const std::string& caption, Buttons buttons,
                Icon icon = Icon::None, const std::string& about = {});

struct FileFilter {
  std::string name;    // "All Files"
  std::string pattern; // "*"
};

// An open or save dialog. `flags` are the OFN_* values the dialog is shown
// with; `path` is the starting path (empty, or the file to offer).
struct FileDialog {
  WindowHandle owner = nullptr;
  std::string title; // empty: the system's default title
  std::vector<FileFilter> filters;
  std::string path;
  std::uint32_t flags = 0;
};

inline constexpr std::uint32_t kOfnOverwritePrompt = 0x00000002;
inline constexpr std::uint32_t kOfnNoReadOnlyReturn = 0x00008000;
inline constexpr std::uint32_t kOfnFileMustExist = 0x00001000;
inline constexpr std::uint32_t kOfnExplorer = 0x00080000;

// The chosen full path, or nullopt when the user cancelled.
std::optional<std::string> ShowOpenDialog(const FileDialog& dialog);
std::optional<std::string> ShowSaveDialog(const FileDialog& dialog);

// The folder chooser, limited to file-system folders; the chosen folder's
// full path, or "" when cancelled or unavailable.
std::string ChooseFolder(WindowHandle owner, const std::string& instruction);

// ----------------------------------------------------------------- sound

// Starts playing a WAV image without waiting; the image must stay alive
// until StopSound() or the next PlayWav().
bool PlayWav(std::span<const std::uint8_t> image);
void StopSound();

} // namespace kv::platform
