#include "core/file_services.h"

#include <new>

namespace kv {
namespace {

using platform::Buttons;
using platform::File;

// A name for the temporary file beside `path`, short enough that a path near
// the platform's limit still has room for it.
std::string TemporaryNameBeside(const std::string& path, unsigned attempt) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string name = "~kv";
  for (int shift = 12; shift >= 0; shift -= 4)
    name += kHex[(attempt >> shift) & 0xF];
  return platform::FolderOf(path) + name + ".tmp";
}

// Creates a temporary file in `path`'s folder; `temporary` receives its name.
File CreateTemporaryBeside(const std::string& path, std::string& temporary) {
  for (unsigned attempt = 0; attempt < 0x10000; ++attempt) {
    temporary = TemporaryNameBeside(path, attempt);
    File file = platform::CreateExclusive(temporary);
    if (file.IsOpen() || platform::LastError() != platform::kErrorFileExists) return file;
  }
  return File();
}

// Writes every byte to a temporary file and moves it over `path`. On failure
// the user is told and the temporary file is gone.
bool WriteReplacing(const std::string& path, std::span<const std::uint8_t> data) {
  std::string temporary;
  File file = CreateTemporaryBeside(path, temporary);
  if (!file.IsOpen()) {
    ShowSystemError(text::kSaveFileCaption, path);
    return false;
  }
  const auto size = static_cast<std::uint32_t>(data.size());
  std::uint32_t written = 0;
  const bool wrote = platform::WriteToFile(file, data.data(), size, written);
  if (wrote && written != size) platform::SetLastError(platform::kErrorDiskFull);
  file.Close();
  if (!wrote || written != size || !platform::MoveFileOver(temporary, path)) {
    platform::RemoveFileQuietly(temporary);
    ShowSystemError(text::kSaveFileCaption, path);
    return false;
  }
  return true;
}

} // namespace

std::optional<LoadedFile> LoadFile(const std::string& path) {
  File file = platform::OpenForReading(path);
  if (!file.IsOpen()) {
    ShowSystemError(text::kLoadFileCaption, path);
    return std::nullopt;
  }
  const std::optional<std::uint64_t> size = platform::FileSize(file);
  if (size && *size == 0) {
    file.Close();
    platform::ShowMessage(nullptr, text::kFileSizeZero, path, Buttons::Ok);
    return std::nullopt;
  }
  if (!size) {
    file.Close();
    ShowSystemError(text::kLoadFileCaption, path);
    return std::nullopt;
  }
  if (*size > kMaxLoadSize) {
    file.Close();
    platform::ShowMessage(nullptr, text::kFileTooLarge, path, Buttons::Ok);
    return std::nullopt;
  }
  const auto wanted = static_cast<std::uint32_t>(*size);
  std::optional<LoadedFile> loaded;
  try {
    loaded.emplace(wanted);
  } catch (const std::bad_alloc&) {
    file.Close();
    platform::SetLastError(platform::kErrorNotEnoughMemory);
    ShowSystemError(text::kLoadFileCaption, path);
    return std::nullopt;
  }
  std::uint32_t read = 0;
  if (!platform::ReadFromFile(file, loaded->data(), wanted, read)) {
    file.Close();
    ShowSystemError(text::kLoadFileCaption, path);
    return std::nullopt;
  }
  if (read != wanted) {
    platform::ShowMessage(nullptr, text::kFileChanged, path, Buttons::Ok);
    return std::nullopt;
  }
  return loaded;
}

bool SaveFile(const std::string& path, std::span<const std::uint8_t> data, OverwriteMode mode) {
  // The exclusive creation tells whether the target exists; a new file stays
  // as an empty placeholder until the complete bytes replace it.
  File placeholder = platform::CreateExclusive(path);
  const bool created = placeholder.IsOpen();
  placeholder.Close();
  if (!created) {
    if (platform::LastError() != platform::kErrorFileExists) {
      ShowSystemError(text::kSaveFileCaption, path);
      return false;
    }
    if (mode == Ask) {
      const int answer = platform::ShowMessage(nullptr, text::kOverwriteQuestion, path, Buttons::YesNo);
      if (answer != platform::kAnswerYes) return false;
    } else if (mode == Skip) {
      return false;
    }
  }
  if (!WriteReplacing(path, data)) {
    if (created) platform::RemoveFileQuietly(path);
    return false;
  }
  return true;
}

void ShowSystemError(const std::string& caption, const std::string& path) {
  const std::uint32_t code = platform::LastError();
  platform::ShowMessage(nullptr, platform::ErrorText(code), caption, Buttons::Ok, platform::Icon::Information,
                        path);
}

std::string BrowseForFolder(platform::WindowHandle owner) {
  return platform::ChooseFolder(owner, text::kFolderInstruction);
}

bool ChooseOutputFolder(platform::WindowHandle owner) {
  const std::string folder = BrowseForFolder(owner);
  if (folder.empty()) return false;
  if (!platform::EnterDirectory(folder)) {
    platform::ShowMessage(owner, text::kAbort, text::kOutputFolderCaption, Buttons::Ok);
    return false;
  }
  return true;
}

} // namespace kv
