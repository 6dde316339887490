#include "core/file_services.h"

#include <new>

namespace kv {
namespace {

using platform::Buttons;
using platform::File;

// Every temporary file is named ~kvNNNN.kvpart: longer than any archive
// entry's name and with an ending no command writes, so that one left
// behind by a process killed outright is never taken for a result; later
// runs leave it alone and pick other numbers.
std::string TemporaryNameBeside(const std::string& path, unsigned number) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string name = "~kv";
  for (int shift = 12; shift >= 0; shift -= 4)
    name += kHex[(number >> shift) & 0xF];
  return platform::FolderOf(path) + name + kTemporaryEnding;
}

// Creates a temporary file in `path`'s folder; `temporary` receives its name.
File CreateTemporaryBeside(const std::string& path, std::string& temporary) {
  static unsigned next = 0;
  for (unsigned attempt = 0; attempt < 0x10000; ++attempt) {
    temporary = TemporaryNameBeside(path, next++);
    File file = platform::CreateExclusive(temporary);
    if (file.IsOpen() || platform::LastError() != platform::kErrorFileExists) return file;
  }
  return File();
}

enum class Published { Written, Exists, Failed };

// Writes every byte to a temporary file and moves it to `path` in one step,
// over an existing file only when `replace` is set. On failure the user is
// told, and in every case no temporary file is left: an interruption waits
// until it is gone.
Published Publish(const std::string& path, std::span<const std::span<const std::uint8_t>> pieces,
                  bool replace) {
  std::uint32_t error = platform::kErrorSuccess;
  {
    const platform::InterruptionGuard guard;
    std::string temporary;
    File file = CreateTemporaryBeside(path, temporary);
    if (file.IsOpen()) {
      bool wrote = true;
      for (std::size_t i = 0; wrote && i < pieces.size(); ++i) {
        const auto size = static_cast<std::uint32_t>(pieces[i].size());
        std::uint32_t written = 0;
        wrote = platform::WriteToFile(file, pieces[i].data(), size, written);
        if (wrote && written != size) {
          platform::SetLastError(platform::kErrorDiskFull);
          wrote = false;
        }
      }
      file.Close();
      const bool moved = wrote && (replace ? platform::MoveFileOver(temporary, path)
                                           : platform::MoveFileNoReplace(temporary, path));
      if (moved) return Published::Written;
      platform::RemoveFileQuietly(temporary);
    }
    error = platform::LastError();
  }
  if (!replace && error == platform::kErrorFileExists) return Published::Exists;
  platform::SetLastError(error);
  ShowSystemError(text::kSaveFileCaption, path);
  return Published::Failed;
}

// Whether an existing file may be replaced under `mode`: asked under Ask.
bool MayReplace(const std::string& path, OverwriteMode mode) {
  if (mode == Skip) return false;
  if (mode != Ask) return true;
  return platform::ShowMessage(nullptr, text::kOverwriteQuestion, path, Buttons::YesNo) ==
         platform::kAnswerYes;
}

// A refusal told in the tool's own words leaves no system code behind, so
// that a caller's report of the failure cannot show a stale one.
void Refuse(const char* text, const std::string& path) {
  platform::ShowMessage(nullptr, text, path, Buttons::Ok);
  platform::SetLastError(platform::kErrorSuccess);
}

// A file opened for a whole read, with its size; none after telling the
// user why it cannot be read whole.
struct WholeFile {
  File file;
  std::uint32_t size = 0;
};
std::optional<WholeFile> OpenWhole(const std::string& path) {
  File file = platform::OpenForReading(path);
  if (!file.IsOpen() && platform::LastError() == platform::kErrorOpenFailed) {
    Refuse(text::kNotRegularFile, path);
    return std::nullopt;
  }
  if (!file.IsOpen()) {
    ShowSystemError(text::kLoadFileCaption, path);
    return std::nullopt;
  }
  const std::optional<std::uint64_t> size = platform::FileSize(file);
  if (size && *size == 0) {
    file.Close();
    Refuse(text::kFileSizeZero, path);
    return std::nullopt;
  }
  if (!size) {
    file.Close();
    ShowSystemError(text::kLoadFileCaption, path);
    return std::nullopt;
  }
  if (*size > kMaxLoadSize) {
    file.Close();
    Refuse(text::kFileTooLarge, path);
    return std::nullopt;
  }
  return WholeFile{std::move(file), static_cast<std::uint32_t>(*size)};
}

} // namespace

std::optional<LoadedFile> LoadFile(const std::string& path) {
  std::optional<WholeFile> whole = OpenWhole(path);
  if (!whole) return std::nullopt;
  File& file = whole->file;
  const std::uint32_t wanted = whole->size;
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
    Refuse(text::kFileChanged, path);
    return std::nullopt;
  }
  return loaded;
}

std::optional<platform::FileMapping> MapFile(const std::string& path) {
  const std::optional<WholeFile> whole = OpenWhole(path);
  if (!whole) return std::nullopt;
  std::optional<platform::FileMapping> mapping = platform::FileMapping::Map(whole->file, whole->size);
  if (!mapping) ShowSystemError(text::kLoadFileCaption, path);
  return mapping;
}

SaveOutcome WriteOutputFile(const std::string& path, std::span<const std::uint8_t> data, OverwriteMode mode) {
  return WriteOutputFile(path, data, mode, platform::LookAtName(path));
}

SaveOutcome WriteOutputFile(const std::string& path, std::span<const std::uint8_t> data, OverwriteMode mode,
                            const platform::NameLook& look) {
  const std::span<const std::uint8_t> pieces[] = {data};
  return WriteOutputPieces(path, pieces, mode, look);
}

SaveOutcome WriteOutputPieces(const std::string& path, std::span<const std::span<const std::uint8_t>> pieces,
                              OverwriteMode mode, const platform::NameLook& look) {
  // A folder under the name is no file to keep or to ask about.
  if (look.holds == platform::NameHolds::Folder) {
    platform::SetLastError(platform::kErrorAccessDenied);
    ShowSystemError(text::kSaveFileCaption, path);
    return SaveOutcome::Failed;
  }
  // The name is looked at before the work and again, in one step, as the
  // file is published: one that appears in between counts as existing.
  bool replace = mode != Ask && mode != Skip;
  const bool exists = look.holds == platform::NameHolds::File ||
                      (look.holds == platform::NameHolds::Unknown && platform::FileExists(path));
  if (!replace && exists) {
    if (!MayReplace(path, mode)) return SaveOutcome::Kept;
    replace = true;
  }
  Published published = Publish(path, pieces, replace);
  if (published == Published::Exists) {
    if (!MayReplace(path, mode)) return SaveOutcome::Kept;
    published = Publish(path, pieces, true);
  }
  return published == Published::Written ? SaveOutcome::Written : SaveOutcome::Failed;
}

bool SaveFile(const std::string& path, std::span<const std::uint8_t> data, OverwriteMode mode) {
  return WriteOutputFile(path, data, mode) == SaveOutcome::Written;
}

void ShowSystemError(const std::string& caption, const std::string& path, const std::string& no_code_text) {
  // A failure is never told with the system's text for success.
  const std::uint32_t code = platform::LastError();
  const std::string text = code != platform::kErrorSuccess ? platform::ErrorText(code)
                           : no_code_text.empty()          ? text::kFailedWithoutCode
                                                           : no_code_text;
  platform::ShowMessage(nullptr, text, caption, Buttons::Ok, platform::Icon::Information, path);
  platform::SetLastError(code);
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
