// The platform's own message boxes, open and save dialogs and folder chooser,
// shown when no HostUi answers instead. All are modal and return only when
// the user is done.
#include <windows.h>

#include <commdlg.h>
#include <ole2.h>
#include <shlobj.h>

#include <memory>

#include "platform/native_ui.h"

namespace kv::platform::native {
namespace {

constexpr std::size_t kPathRoom = MAX_PATH;

// "name\0pattern\0" per pair and one more zero: the list ends at an empty name.
std::string FilterList(const std::vector<FileFilter>& filters) {
  std::string list;
  for (const FileFilter& filter : filters) {
    list += filter.name;
    list += '\0';
    list += filter.pattern;
    list += '\0';
  }
  list += '\0';
  return list;
}

using FileDialogCall = BOOL(WINAPI*)(LPOPENFILENAMEA);

std::optional<std::string> RunFileDialog(const FileDialog& dialog, FileDialogCall show) {
  char path[kPathRoom] = {};
  dialog.path.copy(path, kPathRoom - 1);
  const std::string filters = FilterList(dialog.filters);

  OPENFILENAMEA request{};
  request.lStructSize = sizeof(request);
  request.hwndOwner = static_cast<HWND>(dialog.owner);
  request.lpstrFilter = dialog.filters.empty() ? nullptr : filters.c_str();
  request.nFilterIndex = 1;
  request.lpstrFile = path;
  request.nMaxFile = kPathRoom;
  request.lpstrTitle = dialog.title.empty() ? nullptr : dialog.title.c_str();
  request.Flags = dialog.flags;
  if (!show(&request)) return std::nullopt;
  return std::string(path);
}

struct ReleaseDeleter {
  void operator()(IMalloc* allocator) const { allocator->Release(); }
};

// An item of the shell namespace, freed with the allocator that the shell
// made it with.
class FreeWithAllocator {
public:
  explicit FreeWithAllocator(IMalloc* allocator) : allocator_(allocator) {}
  void operator()(ITEMIDLIST* item) const { allocator_->Free(item); }

private:
  IMalloc* allocator_;
};

} // namespace

int ShowMessage(WindowHandle owner, const std::string& text, const std::string& caption, Buttons buttons,
                Icon icon) {
  UINT type = buttons == Buttons::YesNo ? MB_YESNO : MB_OK;
  if (icon == Icon::Information) type |= MB_ICONINFORMATION;
  const int answer = MessageBoxA(static_cast<HWND>(owner), text.c_str(), caption.c_str(), type);
  // Only a Yes means yes: a box closed some other way answers No.
  if (buttons == Buttons::Ok) return kAnswerOk;
  return answer == IDYES ? kAnswerYes : kAnswerNo;
}

std::optional<std::string> ShowOpenDialog(const FileDialog& dialog) {
  return RunFileDialog(dialog, GetOpenFileNameA);
}

std::optional<std::string> ShowSaveDialog(const FileDialog& dialog) {
  return RunFileDialog(dialog, GetSaveFileNameA);
}

std::string ChooseFolder(WindowHandle owner, const std::string& instruction) {
  // The new-style chooser needs OLE on this thread; it stays initialised for
  // the life of the process, and a second call is harmless.
  static_cast<void>(OleInitialize(nullptr));

  IMalloc* raw_allocator = nullptr;
  if (FAILED(SHGetMalloc(&raw_allocator)) || raw_allocator == nullptr) return {};
  const std::unique_ptr<IMalloc, ReleaseDeleter> allocator(raw_allocator);

  char display_name[kPathRoom] = {};
  BROWSEINFOA request{};
  request.hwndOwner = static_cast<HWND>(owner);
  request.pidlRoot = nullptr;
  request.pszDisplayName = display_name;
  request.lpszTitle = instruction.c_str();
  request.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
  const std::unique_ptr<ITEMIDLIST, FreeWithAllocator> item(SHBrowseForFolderA(&request),
                                                            FreeWithAllocator(allocator.get()));
  if (item == nullptr) return {};

  char folder[kPathRoom] = {};
  if (!SHGetPathFromIDListA(item.get(), folder)) return {};
  return std::string(folder);
}

} // namespace kv::platform::native
