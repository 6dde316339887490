#include "e2e/harness.h"

#include <shlobj.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <stdexcept>

#include "shell/shell.h"

// The GUI's globals, which its entry point defines in the program.
namespace kv {
HINSTANCE Instance = nullptr;
HWND MainWindow = nullptr;
} // namespace kv

namespace e2e {
namespace {

using Failure = std::runtime_error;

// A SendMessage bounded in time: a program that stops answering must not
// stop the suite. A window that has just gone answers 0.
LRESULT Send(HWND window, UINT message, WPARAM wparam = 0, LPARAM lparam = 0) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutA(window, message, wparam, lparam, SMTO_ABORTIFHUNG, 5000, &result) &&
      IsWindow(window))
    throw Failure("no answer to message " + std::to_string(message));
  return static_cast<LRESULT>(result);
}

std::string ClassOf(HWND window) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

HWND FindDescendant(HWND parent, int id, const char* window_class) {
  for (HWND child : ChildrenOf(parent)) {
    if (GetDlgCtrlID(child) == id && ClassOf(child) == window_class) return child;
    if (HWND found = FindDescendant(child, id, window_class)) return found;
  }
  return nullptr;
}

// A dialog holding the control `id` of `window_class` (0xFFFF, "Static" for
// a message box's text; 0x47C, "Edit" for a file dialog's file name;
// 0x3741, "SysTreeView32" for the folder chooser's tree).
std::function<bool(HWND)> DialogWith(int id, const char* window_class) {
  return [=](HWND window) { return ClassOf(window) == "#32770" && FindDescendant(window, id, window_class); };
}

// Presses the dialog's button `id` and waits for the dialog to go.
void Dismiss(HWND dialog, int id) {
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
  WaitUntil([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }, "the dialog to close");
}

std::string TestName() {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  return std::string(info->test_suite_name()) + "." + info->name();
}

} // namespace

Settings& CurrentSettings() {
  static Settings settings;
  return settings;
}

void WaitUntil(const std::function<bool()>& ready, const std::string& what) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  for (; !ready(); Sleep(20))
    if (std::chrono::steady_clock::now() > end) throw Failure("timed out after 10 s waiting for " + what);
}

std::string TextOf(HWND window) {
  // WM_GETTEXT is carried across processes; GetWindowText is not.
  char text[1024] = {};
  Send(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
  return text;
}

std::vector<HWND> ChildrenOf(HWND parent) {
  std::vector<HWND> children;
  for (HWND child = GetWindow(parent, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT))
    children.push_back(child);
  return children;
}

Names TextsOf(const std::vector<HWND>& windows) {
  Names texts;
  std::transform(windows.begin(), windows.end(), std::back_inserter(texts), TextOf);
  return texts;
}

void Shot(HWND window, const std::string& step) {
  // Let the window paint what it was just asked to show; ours paint in this
  // thread, and Wine puts what they painted on the screen a little later.
  if (GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId())
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
  Send(window, WM_NULL);
  for (int i = 0; i < 10; ++i, Sleep(20))
    for (MSG message; PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE);)
      DispatchMessageA(&message);

  RECT rect{};
  GetWindowRect(window, &rect);
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  BITMAPINFOHEADER info{sizeof info, width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  const DWORD bits_at = sizeof(BITMAPFILEHEADER) + sizeof info;
  const BITMAPFILEHEADER file{0x4D42, bits_at + static_cast<DWORD>((width * 3 + 3) / 4 * 4 * height), 0, 0,
                              bits_at};
  Bytes bmp(file.bfSize);
  std::memcpy(bmp.data(), &file, sizeof file);
  std::memcpy(bmp.data() + sizeof file, &info, sizeof info);
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ previous = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
  SelectObject(memory, previous);
  GetDIBits(memory, bitmap, 0, height, bmp.data() + bits_at, reinterpret_cast<BITMAPINFO*>(&info),
            DIB_RGB_COLORS);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  WriteBytes(CurrentSettings().artifacts + "\\" + TestName() + "-" + step + ".bmp", bmp);
}

void WriteBytes(const std::string& path, const Bytes& bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!file) throw Failure("could not write " + path);
}

std::optional<Bytes> ReadBytes(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return std::nullopt;
  return Bytes(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

Names FilesIn(const std::string& folder) {
  Names names;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    if (entry.is_regular_file()) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

void Journey::SetUp() {
  folder_ = (std::filesystem::path(CurrentSettings().artifacts) / "work" / TestName()).string();
  std::filesystem::remove_all(folder_);
  std::filesystem::create_directories(folder_);
}

void Journey::TearDown() {
  if (HasFailure()) Shot(GetDesktopWindow(), "failed");
  // An extraction enters its output folder; leave it for the next journey.
  SetCurrentDirectoryA(CurrentSettings().artifacts.c_str());
}

// ------------------------------------------------------------ in process

void Session::SetUp() {
  Journey::SetUp();
  static const bool registered = [] {
    kv::Instance = GetModuleHandleA(nullptr);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    const WNDCLASSA main_class{0,
                               kv::MainWndProc,
                               0,
                               0,
                               kv::Instance,
                               nullptr,
                               LoadCursorA(nullptr, IDC_ARROW),
                               GetSysColorBrush(COLOR_BTNFACE),
                               nullptr,
                               kv::kMainClassName};
    return RegisterClassA(&main_class) != 0;
  }();
  ASSERT_TRUE(registered);
  main_ = CreateWindowExA(0, kv::kMainClassName, kv::kMainTitle, WS_VISIBLE | WS_SYSMENU | WS_MINIMIZEBOX,
                          CW_USEDEFAULT, CW_USEDEFAULT, 700, 500, nullptr, nullptr, kv::Instance, nullptr);
  kv::MainWindow = main_;
  kv::ShowMainMenu(main_);
}

void Session::TearDown() {
  Journey::TearDown();
  kv::ClearChildWindows(main_);
  if (IsWindow(main_)) DestroyWindow(main_);
  // Also takes the quit message that the main window's end posts.
  for (MSG message; PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE);)
    DispatchMessageA(&message);
}

void Session::Click(int id) {
  HWND button = GetDlgItem(main_, id);
  if (button == nullptr) throw Failure("the screen has no button " + std::to_string(id));
  SendMessageA(button, BM_CLICK, 0, 0);
}

Names Session::Shown() {
  Names shown;
  for (const auto& message : ui_.messages)
    shown.push_back(message.caption + ": " + message.text);
  ui_.messages.clear();
  return shown;
}

HWND Session::OpenArchive(const std::string& name, const std::optional<Bytes>& bytes) {
  if (bytes) WriteBytes(InFolder(name), *bytes);
  ui_.ChooseFile(InFolder(name));
  Click(kv::kCmdWadViewer);
  return FindWindowExA(main_, nullptr, WC_LISTVIEWA, nullptr);
}

void Session::ExtractInto(int button, const std::string& folder) {
  std::filesystem::create_directories(InFolder(folder));
  ui_.ChooseFolder(InFolder(folder));
  Click(button);
}

std::string Cell(HWND list, int row, int column) {
  char text[1024] = {};
  ListView_GetItemText(list, row, column, text, sizeof text);
  return text;
}

Names Column(HWND list, int column) {
  Names texts;
  for (int row = 0; row < ListView_GetItemCount(list); ++row)
    texts.push_back(Cell(list, row, column));
  return texts;
}

std::vector<int> SelectedRows(HWND list) {
  std::vector<int> rows;
  for (int row = -1; (row = ListView_GetNextItem(list, row, LVNI_SELECTED)) >= 0;)
    rows.push_back(row);
  return rows;
}

void ClickHeader(HWND list, int column) {
  HWND header = ListView_GetHeader(list);
  RECT rect{};
  if (!Header_GetItemRect(header, column, &rect)) throw Failure("no column " + std::to_string(column));
  const LPARAM middle = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
  SendMessageA(header, WM_LBUTTONDOWN, MK_LBUTTON, middle);
  SendMessageA(header, WM_LBUTTONUP, 0, middle);
}

// ------------------------------------------------------- across processes

// Should the driver crash, run-e2e.sh ends every program of the Wine prefix.
Program::Program(const std::string& working_folder) {
  std::string command_line = "\"" + CurrentSettings().program + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  if (!CreateProcessA(nullptr, command_line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      working_folder.c_str(), &startup, &process_))
    throw Failure("could not start " + command_line + " (error " + std::to_string(GetLastError()) + ")");
  CloseHandle(process_.hThread);
}

Program::~Program() {
  TerminateProcess(process_.hProcess, 99);
  WaitForSingleObject(process_.hProcess, 5000);
  CloseHandle(process_.hProcess);
}

std::vector<HWND> Program::TopLevelWindows() const {
  std::vector<HWND> windows;
  for (HWND window = GetTopWindow(nullptr); window != nullptr; window = GetWindow(window, GW_HWNDNEXT)) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == process_.dwProcessId && IsWindowVisible(window)) windows.push_back(window);
  }
  return windows;
}

HWND Program::WaitForWindow(const std::function<bool(HWND)>& match, const std::string& what) {
  HWND found = nullptr;
  WaitUntil(
      [&] {
        if (WaitForSingleObject(process_.hProcess, 0) == WAIT_OBJECT_0)
          throw Failure("the program ended while waiting for " + what);
        for (HWND window : TopLevelWindows())
          if (match(window)) found = window;
        return found != nullptr;
      },
      what);
  Send(found, WM_NULL); // a dialog fills itself after it shows
  return found;
}

HWND Program::MainWindow() {
  main_ = WaitForWindow([](HWND window) { return ClassOf(window) == kv::kMainClassName; }, "the main window");
  WaitForInputIdle(process_.hProcess, 10000); // the window shows before its menu is built
  Send(main_, WM_NULL);
  return main_;
}

DWORD Program::WaitForExit() {
  DWORD code = 259;
  if (WaitForSingleObject(process_.hProcess, 10000) == WAIT_OBJECT_0)
    GetExitCodeProcess(process_.hProcess, &code);
  return code;
}

void Program::Press(int id) {
  PostMessageA(GetDlgItem(main_, id), BM_CLICK, 0, 0);
}

std::string Program::Acknowledge(const std::string& shot) {
  HWND box = WaitForWindow(
      [](HWND window) { return DialogWith(0xFFFF, "Static")(window) && !DialogWith(0x47C, "Edit")(window); },
      "a message box");
  Shot(box, shot);
  std::vector<int> buttons;
  for (HWND child : ChildrenOf(box))
    if (ClassOf(child) == "Button" && IsWindowVisible(child)) buttons.push_back(GetDlgCtrlID(child));
  EXPECT_EQ(buttons, std::vector<int>{IDOK});
  const std::string shown = TextOf(box) + ": " + TextOf(GetDlgItem(box, 0xFFFF));
  Dismiss(box, IDOK);
  return shown;
}

void Program::ChooseFile(const std::string& path, const std::string& shot) {
  HWND dialog = WaitForWindow(DialogWith(0x47C, "Edit"), "a file dialog");
  Shot(dialog, shot);
  Send(FindDescendant(dialog, 0x47C, "Edit"), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
  Dismiss(dialog, IDOK);
}

void Program::ChooseFolder(const std::string& path, const std::string& shot) {
  HWND chooser = WaitForWindow(DialogWith(0x3741, WC_TREEVIEWA), "the folder chooser");
  HWND tree = FindDescendant(chooser, 0x3741, WC_TREEVIEWA);
  // The path, then a TVITEMA and its text, in the program's memory.
  const HANDLE process = process_.hProcess;
  const auto release = [process](char* at) { VirtualFreeEx(process, at, 0, MEM_RELEASE); };
  const std::unique_ptr<char, decltype(release)> remote(
      static_cast<char*>(VirtualAllocEx(process, nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)),
      release);
  char* const item_at = remote.get() + 1024;
  char* const text_at = item_at + sizeof(TVITEMA);
  WriteProcessMemory(process, remote.get(), path.c_str(), path.size() + 1, nullptr);
  const std::string wanted = std::filesystem::path(path).filename().string();
  // About one try in a hundred misses right after the folder's contents
  // changed: read the selection back and ask again.
  WaitUntil(
      [&] {
        Send(chooser, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(remote.get()));
        TVITEMA item{};
        item.mask = TVIF_TEXT;
        item.hItem = reinterpret_cast<HTREEITEM>(Send(tree, TVM_GETNEXTITEM, TVGN_CARET));
        item.pszText = text_at;
        item.cchTextMax = MAX_PATH;
        char selected[MAX_PATH] = {};
        return WriteProcessMemory(process, item_at, &item, sizeof item, nullptr) &&
               Send(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(item_at)) &&
               ReadProcessMemory(process, text_at, selected, MAX_PATH - 1, nullptr) &&
               lstrcmpiA(selected, wanted.c_str()) == 0;
      },
      "the folder chooser to select " + path);
  Shot(chooser, shot);
  Dismiss(chooser, IDOK);
}

void Program::ExpectIdleAtTheMenu() {
  const std::vector<HWND> before = ChildrenOf(main_);
  PostMessageA(main_, WM_COMMAND, kv::kCmdBack, 0);
  WaitUntil([&] { return ChildrenOf(main_) != before && TextsOf(ChildrenOf(main_)) == kMenuCaptions; },
            "\"< Back\" to rebuild the menu, as it does once the command before has ended");
  EXPECT_EQ(TopLevelWindows(), std::vector<HWND>{main_}) << "another window is open";
}

} // namespace e2e
