// Files, the last error and the current directory, as the Win32 calls give
// them. Each operation is one call; the error code it leaves is the one the
// caller reports, so clean-up here (closing, removing) must never change it.
#include <windows.h>

#include <memory>

#include "platform/platform.h"

namespace kv::platform {
namespace {

HANDLE Handle(const File& file) {
  return reinterpret_cast<HANDLE>(file.native());
}

File Adopt(HANDLE handle) {
  if (handle == INVALID_HANDLE_VALUE) return File();
  // CreateFileA does not promise to clear the code on success; the host does.
  ::SetLastError(ERROR_SUCCESS);
  return File(reinterpret_cast<std::intptr_t>(handle));
}

// Keeps the thread's last error across a clean-up call.
class KeepLastError {
public:
  KeepLastError() : code_(::GetLastError()) {}
  ~KeepLastError() { ::SetLastError(code_); }
  KeepLastError(const KeepLastError&) = delete;
  KeepLastError& operator=(const KeepLastError&) = delete;

private:
  DWORD code_;
};

struct LocalFreeDeleter {
  void operator()(char* text) const { LocalFree(text); }
};

} // namespace

std::uint32_t LastError() {
  return ::GetLastError();
}
void SetLastError(std::uint32_t code) {
  ::SetLastError(code);
}

std::string ErrorText(std::uint32_t code) {
  char* raw = nullptr;
  const DWORD length = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                          FORMAT_MESSAGE_IGNORE_INSERTS,
                                      nullptr, code, 0x400, reinterpret_cast<char*>(&raw), 0, nullptr);
  const std::unique_ptr<char, LocalFreeDeleter> text(raw);
  if (length == 0 || text == nullptr) return {};
  return std::string(text.get(), length);
}

void File::Close() {
  if (native_ == kInvalid) return;
  const KeepLastError keep;
  CloseHandle(reinterpret_cast<HANDLE>(native_));
  native_ = kInvalid;
}

File OpenForReading(const std::string& path) {
  File file = Adopt(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  // A console (CON), a pipe or a device would be read until it ends, if ever.
  if (file.IsOpen() && GetFileType(Handle(file)) != FILE_TYPE_DISK) {
    file.Close();
    ::SetLastError(ERROR_OPEN_FAILED);
  }
  return file;
}

File CreateExclusive(const std::string& path) {
  return Adopt(
      CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
}

std::optional<std::uint64_t> FileSize(File& file) {
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(Handle(file), &size)) return std::nullopt;
  return static_cast<std::uint64_t>(size.QuadPart);
}

bool ReadFromFile(File& file, void* data, std::uint32_t size, std::uint32_t& done) {
  DWORD count = 0;
  const BOOL ok = ReadFile(Handle(file), data, size, &count, nullptr);
  done = count;
  return ok != FALSE;
}

bool WriteToFile(File& file, const void* data, std::uint32_t size, std::uint32_t& done) {
  DWORD count = 0;
  const BOOL ok = WriteFile(Handle(file), data, size, &count, nullptr);
  done = count;
  return ok != FALSE;
}

bool MoveFileOver(const std::string& from, const std::string& to) {
  return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
}

bool MoveFileNoReplace(const std::string& from, const std::string& to) {
  if (MoveFileExA(from.c_str(), to.c_str(), 0)) return true;
  if (::GetLastError() == ERROR_ALREADY_EXISTS) ::SetLastError(ERROR_FILE_EXISTS);
  return false;
}

void RemoveFileQuietly(const std::string& path) {
  const KeepLastError keep;
  DeleteFileA(path.c_str());
}

bool FileExists(const std::string& path) {
  const KeepLastError keep;
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::optional<FileIdentity> IdentityOf(const std::string& path) {
  const KeepLastError keep;
  const HANDLE handle = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return std::nullopt;
  const File file(reinterpret_cast<std::intptr_t>(handle));
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(handle, &info)) return std::nullopt;
  return FileIdentity{info.dwVolumeSerialNumber,
                      std::uint64_t{info.nFileIndexHigh} << 32 | info.nFileIndexLow};
}

bool IsFolder(const std::string& path) {
  const KeepLastError keep;
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

NameLook LookAtName(const std::string& path) {
  const KeepLastError keep;
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = GetLastError();
    const bool nothing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    return {nothing ? NameHolds::Nothing : NameHolds::Unknown, std::nullopt};
  }
  return {(attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? NameHolds::Folder : NameHolds::File,
          IdentityOf(path)};
}

bool MakeFolders(const std::string& path) {
  // Each folder on the way down, from the first that can be made: a drive
  // or a share's root only fails with "exists" or "access denied".
  DWORD failure = ERROR_SUCCESS;
  for (std::size_t end = path.find_first_of("\\/", 1);; end = path.find_first_of("\\/", end + 1)) {
    const std::string folder = path.substr(0, end);
    if (!folder.empty() && folder.back() != ':' && !CreateDirectoryA(folder.c_str(), nullptr))
      failure = ::GetLastError();
    if (end == std::string::npos) break;
  }
  if (IsFolder(path)) return true;
  ::SetLastError(failure == ERROR_SUCCESS || failure == ERROR_ALREADY_EXISTS ? ERROR_DIRECTORY : failure);
  return false;
}

namespace {
std::optional<std::string> Search(const char* folder, const std::string& name) {
  const KeepLastError keep;
  char found[MAX_PATH];
  const DWORD length = SearchPathA(folder, name.c_str(), nullptr, MAX_PATH, found, nullptr);
  if (length == 0 || length >= MAX_PATH) return std::nullopt;
  return std::string(found, length);
}
} // namespace

std::optional<std::string> SearchFolder(const std::string& folder, const std::string& name) {
  return Search(folder.c_str(), name);
}

std::optional<std::string> SearchPathForFile(const std::string& name) {
  return Search(nullptr, name);
}

bool TextIsUtf8() {
  return GetACP() == CP_UTF8;
}

std::string CurrentDirectory() {
  // The folder can change between asking for its length and reading it.
  for (;;) {
    const DWORD needed = GetCurrentDirectoryA(0, nullptr);
    if (needed == 0) return {};
    std::string folder(needed, '\0');
    const DWORD length = GetCurrentDirectoryA(needed, folder.data());
    if (length == 0) return {};
    if (length < needed) {
      folder.resize(length);
      return folder;
    }
  }
}

bool EnterDirectory(const std::string& path) {
  return SetCurrentDirectoryA(path.c_str()) != FALSE;
}

} // namespace kv::platform
