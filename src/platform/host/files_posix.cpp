// POSIX files behind the seam. Error codes are given Windows' numbers so that
// the layers above see one set; game files are looked up without regard to
// case, since their names come from a platform that ignores it.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <utility>
#include <vector>

#include "platform/platform.h"

namespace kv::platform {
namespace {

thread_local std::uint32_t g_last_error = 0;

// Codes made from an errno with no Windows counterpart carry this mark.
constexpr std::uint32_t kErrnoMark = 0x20000000;

std::uint32_t CodeFromErrno(int error) {
  switch (error) {
  case 0: return kErrorSuccess;
  case ENOENT: return kErrorFileNotFound;
  case ENOTDIR: return kErrorPathNotFound;
  case EACCES:
  case EPERM:
  case EISDIR:
  case EROFS: return kErrorAccessDenied;
  case ENOMEM: return kErrorNotEnoughMemory;
  case EEXIST: return kErrorFileExists;
  case ENOSPC: return kErrorDiskFull;
  case EFBIG: return kErrorFileTooLarge;
  case EINVAL: return kErrorInvalidParameter;
  default: return kErrnoMark | static_cast<std::uint32_t>(error);
  }
}

void SetFromErrno() {
  g_last_error = CodeFromErrno(errno);
}

// ENOENT for a missing folder is "path not found", as Windows reports it.
void SetFromErrnoFor(const std::string& path) {
  SetFromErrno();
  if (g_last_error != kErrorFileNotFound) return;
  const std::string folder = FolderOf(path);
  struct stat info {};
  if (!folder.empty() && stat(folder.c_str(), &info) != 0) g_last_error = kErrorPathNotFound;
}

int Fd(const File& file) {
  return static_cast<int>(file.native());
}

// The existing name in `path`'s folder that equals its file name without
// regard to case, or `path` itself when there is none (or it exists as is).
std::string FindIgnoringCase(const std::string& path) {
  struct stat info {};
  if (stat(path.c_str(), &info) == 0) return path;
  const std::string folder = FolderOf(path);
  const std::string name = FileNameOf(path);
  DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
  if (dir == nullptr) return path;
  std::string found = path;
  while (const dirent* entry = readdir(dir)) {
    if (strcasecmp(entry->d_name, name.c_str()) == 0) {
      found = folder + entry->d_name;
      break;
    }
  }
  closedir(dir);
  return found;
}

} // namespace

std::uint32_t LastError() {
  return g_last_error;
}
void SetLastError(std::uint32_t code) {
  g_last_error = code;
}

// The system's own words: the errno text of each code (Windows' numbers
// being the seam's), with no line break of its own.
std::string ErrorText(std::uint32_t code) {
  if ((code & kErrnoMark) != 0) return std::strerror(static_cast<int>(code & ~kErrnoMark));
  switch (code) {
  case kErrorSuccess: return std::strerror(0);
  case kErrorFileNotFound:
  case kErrorPathNotFound: return std::strerror(ENOENT);
  case kErrorAccessDenied: return std::strerror(EACCES);
  case kErrorNotEnoughMemory: return std::strerror(ENOMEM);
  case kErrorWriteFault:
  case kErrorReadFault: return std::strerror(EIO);
  case kErrorSharingViolation: return std::strerror(EBUSY);
  case kErrorFileExists: return std::strerror(EEXIST);
  case kErrorInvalidParameter: return std::strerror(EINVAL);
  case kErrorOpenFailed: return "Not a regular file";
  case kErrorDiskFull:
  case kErrorHandleDiskFull: return std::strerror(ENOSPC);
  case kErrorFileTooLarge: return std::strerror(EFBIG);
  default: return {};
  }
}

void File::Close() {
  if (native_ == kInvalid) return;
  const int saved = errno;
  ::close(static_cast<int>(native_));
  errno = saved;
  native_ = kInvalid;
}

File OpenForReading(const std::string& path) {
  const std::string found = FindIgnoringCase(path);
  // Without O_NONBLOCK, opening a named pipe waits for a writer forever.
  const int fd = ::open(found.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) {
    SetFromErrnoFor(path);
    return File();
  }
  struct stat info {};
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    const bool folder = S_ISDIR(info.st_mode);
    ::close(fd);
    g_last_error = folder ? kErrorAccessDenied : kErrorOpenFailed;
    return File();
  }
  fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  g_last_error = kErrorSuccess;
  return File(fd);
}

File CreateExclusive(const std::string& path) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) {
    SetFromErrnoFor(path);
    return File();
  }
  g_last_error = kErrorSuccess;
  return File(fd);
}

std::optional<std::uint64_t> FileSize(File& file) {
  struct stat info {};
  if (fstat(Fd(file), &info) != 0) {
    SetFromErrno();
    return std::nullopt;
  }
  return static_cast<std::uint64_t>(info.st_size);
}

bool ReadFromFile(File& file, void* data, std::uint32_t size, std::uint32_t& done) {
  done = 0;
  auto* bytes = static_cast<char*>(data);
  while (done < size) {
    const ssize_t got = ::read(Fd(file), bytes + done, size - done);
    if (got < 0) {
      if (errno == EINTR) continue;
      SetFromErrno();
      return false;
    }
    if (got == 0) break;
    done += static_cast<std::uint32_t>(got);
  }
  return true;
}

bool WriteToFile(File& file, const void* data, std::uint32_t size, std::uint32_t& done) {
  done = 0;
  const auto* bytes = static_cast<const char*>(data);
  while (done < size) {
    const ssize_t put = ::write(Fd(file), bytes + done, size - done);
    if (put < 0) {
      if (errno == EINTR) continue;
      SetFromErrno();
      return false;
    }
    if (put == 0) break;
    done += static_cast<std::uint32_t>(put);
  }
  return true;
}

bool MoveFileOver(const std::string& from, const std::string& to) {
  // A read-only target stays, as it does on Windows.
  if (::access(to.c_str(), F_OK) == 0 && ::access(to.c_str(), W_OK) != 0) {
    SetFromErrno();
    return false;
  }
  // The file that takes the old one's place keeps its permissions (an
  // executable or private archive stays so); the old file is left whole.
  struct stat target {};
  if (::stat(to.c_str(), &target) == 0 && S_ISREG(target.st_mode)) {
    ::chmod(from.c_str(), target.st_mode & 0777); // never set-user or set-group ID
  }
  if (std::rename(from.c_str(), to.c_str()) != 0) {
    SetFromErrnoFor(to);
    return false;
  }
  return true;
}

bool MoveFileNoReplace(const std::string& from, const std::string& to) {
  // In one step where the file system can; else a second name, made only
  // where none is, and the first name removed; on a file system without
  // either, a look and a move.
  const auto refused = [] {
    return errno == EINVAL || errno == ENOSYS || errno == ENOTSUP || errno == EPERM;
  };
  if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (refused() && ::link(from.c_str(), to.c_str()) == 0) {
    ::unlink(from.c_str());
    return true;
  }
  if (refused()) {
    struct stat info {};
    if (lstat(to.c_str(), &info) == 0) {
      errno = EEXIST;
    } else if (std::rename(from.c_str(), to.c_str()) == 0) {
      return true;
    }
  }
  SetFromErrnoFor(to);
  return false;
}

void RemoveFileQuietly(const std::string& path) {
  const int saved = errno;
  ::unlink(path.c_str());
  errno = saved;
}

bool FileExists(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0;
}

std::optional<FileIdentity> IdentityOf(const std::string& path) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) return std::nullopt;
  return FileIdentity{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
}

bool IsFolder(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

NameLook LookAtName(const std::string& path) {
  const int kept = errno;
  struct stat info {};
  NameLook look;
  if (stat(path.c_str(), &info) != 0) {
    look.holds = errno == ENOENT || errno == ENOTDIR ? NameHolds::Nothing : NameHolds::Unknown;
  } else {
    look.holds = S_ISDIR(info.st_mode) ? NameHolds::Folder : NameHolds::File;
    look.identity =
        FileIdentity{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
  }
  errno = kept;
  return look;
}

bool MakeFolders(const std::string& path) {
  int failure = 0;
  for (std::size_t end = path.find('/', 1);; end = path.find('/', end + 1)) {
    const std::string folder = path.substr(0, end);
    if (!folder.empty() && mkdir(folder.c_str(), 0777) != 0) failure = errno;
    if (end == std::string::npos) break;
  }
  if (IsFolder(path)) return true;
  g_last_error = CodeFromErrno(failure == 0 || failure == EEXIST ? ENOTDIR : failure);
  return false;
}

namespace {

bool IsRegularFile(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// `path` with each of its parts matched without regard to case, or nullopt
// when some part is not there.
std::optional<std::string> ResolveIgnoringCase(const std::string& path) {
  if (path.empty()) return std::nullopt;
  std::string resolved = path[0] == '/' ? "/" : "";
  std::size_t start = path.find_first_not_of('/');
  while (start != std::string::npos) {
    const std::size_t end = path.find('/', start);
    const std::string part = path.substr(start, end == std::string::npos ? std::string::npos : end - start);
    const std::string found = FindIgnoringCase(resolved + part);
    if (!FileExists(found)) return std::nullopt;
    resolved = found;
    start = end == std::string::npos ? end : path.find_first_not_of('/', end);
    if (start != std::string::npos) resolved += '/';
  }
  return resolved;
}

} // namespace

bool TextIsUtf8() {
  return true;
}

std::optional<std::string> SearchFolder(const std::string& folder, const std::string& name) {
  std::string path = folder;
  for (char& c : path)
    if (c == '\\') c = '/';
  if (!path.empty() && path.back() != '/') path += '/';
  auto found = ResolveIgnoringCase(path + name);
  if (!found || !IsRegularFile(*found)) return std::nullopt;
  return found;
}

std::optional<std::string> SearchPathForFile(const std::string& name) {
  std::vector<std::string> folders;
  std::string program(4096, '\0');
  const ssize_t length = ::readlink("/proc/self/exe", program.data(), program.size() - 1);
  if (length > 0) folders.push_back(FolderOf(program.substr(0, static_cast<std::size_t>(length))));
  folders.push_back("./");
  if (const char* path = std::getenv("PATH")) {
    const std::string list = path;
    for (std::size_t start = 0; start <= list.size();) {
      const std::size_t end = std::min(list.find(':', start), list.size());
      if (end > start) folders.push_back(list.substr(start, end - start));
      start = end + 1;
    }
  }
  for (const std::string& folder : folders)
    if (auto found = SearchFolder(folder, name)) return found;
  return std::nullopt;
}

std::string CurrentDirectory() {
  std::string buffer(4096, '\0');
  if (::getcwd(buffer.data(), buffer.size()) == nullptr) return {};
  buffer.resize(std::strlen(buffer.c_str()));
  return buffer;
}

bool EnterDirectory(const std::string& path) {
  if (::chdir(path.c_str()) != 0) {
    SetFromErrnoFor(path);
    return false;
  }
  return true;
}

// ------------------------------------------------------------ mappings

FileMapping::~FileMapping() {
  if (data_ != nullptr) munmap(const_cast<std::uint8_t*>(data_), size_);
}

void FileMapping::LetGo() const {
  // The pages of a shared mapping of a file stay in the page cache.
  if (data_ != nullptr) madvise(const_cast<std::uint8_t*>(data_), size_, MADV_DONTNEED);
}

std::optional<FileMapping> FileMapping::Map(const File& file, std::size_t size) {
  void* data = mmap(nullptr, size, PROT_READ, MAP_SHARED, static_cast<int>(file.native()), 0);
  if (data == MAP_FAILED) {
    SetFromErrno();
    return std::nullopt;
  }
  return FileMapping(static_cast<const std::uint8_t*>(data), size);
}

} // namespace kv::platform
