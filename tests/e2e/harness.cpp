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

// The GUI's globals, which its entry point defines in the program.
namespace kv {
HINSTANCE Instance = nullptr;
HWND MainWindow = nullptr;
} // namespace kv

namespace e2e {
namespace {

using Failure = std::runtime_error;

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
  // WM_GETTEXT is carried across processes; GetWindowText is not. Bounded
  // in time, so that a program that stops answering does not stop the suite;
  // a window that has just gone reads as "".
  char text[1024] = {};
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                           5000, &length) &&
      IsWindow(window))
    throw Failure("a window does not answer WM_GETTEXT");
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
  SendMessageA(window, WM_NULL, 0, 0); // let it paint what it was just asked to show
  Sleep(150);
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
  folder_ = CurrentSettings().artifacts + "\\work\\" + TestName();
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
  kv::Instance = GetModuleHandleA(nullptr);
  static const WNDCLASSA main_class{0,       kv::MainWndProc, 0,       0,       kv::Instance,
                                    nullptr, nullptr,         nullptr, nullptr, kv::kMainClassName};
  static const bool registered = RegisterClassA(&main_class) != 0;
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

Names Column(HWND list, int column) {
  Names texts(ListView_GetItemCount(list));
  for (int row = 0; row < static_cast<int>(texts.size()); ++row) {
    char text[1024] = {};
    ListView_GetItemText(list, row, column, text, sizeof text);
    texts[row] = text;
  }
  return texts;
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

// A dialog with the control `control`: 0x47C, a file dialog's file name;
// 0x3741, the folder chooser's tree; 0xFFFF, a message box's text (which a
// file dialog has too). The main window for 0.
HWND Program::WaitForWindow(int control, const std::string& what) {
  HWND found = nullptr;
  WaitUntil(
      [&] {
        if (WaitForSingleObject(process_.hProcess, 0) == WAIT_OBJECT_0)
          throw Failure("the program ended while waiting for " + what);
        char name[16] = {};
        for (HWND window : TopLevelWindows())
          if (GetClassNameA(window, name, sizeof name) &&
              (control == 0 ? std::string(name) == kv::kMainClassName
                            : std::string(name) == "#32770" && GetDlgItem(window, control) &&
                                  (control != 0xFFFF || !GetDlgItem(window, 0x47C))))
            found = window;
        return found != nullptr;
      },
      what);
  WaitForInputIdle(process_.hProcess, 10000); // a window shows before it is filled
  SendMessageA(found, WM_NULL, 0, 0);
  return found;
}

HWND Program::MainWindow() {
  return main_ = WaitForWindow(0, "the main window");
}

DWORD Program::WaitForExit() {
  DWORD code = STILL_ACTIVE;
  if (WaitForSingleObject(process_.hProcess, 10000) == WAIT_OBJECT_0)
    GetExitCodeProcess(process_.hProcess, &code);
  return code;
}

std::string Program::Answer(const std::string& shot, int button, const std::function<void()>& meanwhile) {
  HWND box = WaitForWindow(0xFFFF, "a message box");
  Shot(box, shot);
  if (meanwhile) meanwhile();
  EXPECT_TRUE(IsWindowVisible(GetDlgItem(box, button)));
  EXPECT_TRUE(button != IDOK || !IsWindowVisible(GetDlgItem(box, IDNO))) << "a question, not a message";
  const std::string shown = TextOf(box) + ": " + TextOf(GetDlgItem(box, 0xFFFF));
  Dismiss(box, button);
  return shown;
}

void Program::ChooseFile(const std::string& path, const std::string& shot) {
  HWND dialog = WaitForWindow(0x47C, "a file dialog");
  Shot(dialog, shot);
  // The file name's Edit, inside a ComboBox inside a ComboBoxEx32, all 0x47C.
  HWND name = GetDlgItem(GetDlgItem(GetDlgItem(dialog, 0x47C), 0x47C), 0x47C);
  SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
  Dismiss(dialog, IDOK);
}

void Program::ChooseFolder(const std::string& path, const std::string& shot) {
  HWND chooser = WaitForWindow(0x3741, "the folder chooser");
  HWND tree = GetDlgItem(chooser, 0x3741);
  // The path, a TVITEMA and its text, in the program's memory.
  const HANDLE process = process_.hProcess;
  const auto release = [process](char* at) { VirtualFreeEx(process, at, 0, MEM_RELEASE); };
  const std::unique_ptr<char, decltype(release)> remote(
      static_cast<char*>(VirtualAllocEx(process, nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)),
      release);
  WriteProcessMemory(process, remote.get(), path.c_str(), path.size() + 1, nullptr);
  TVITEMA item{TVIF_TEXT, nullptr, 0, 0, remote.get() + 2048, MAX_PATH, 0, 0, 0, 0};
  char selected[MAX_PATH] = {};
  // About one try in a hundred misses right after the folder's contents
  // changed: read the selection back and ask again.
  WaitUntil(
      [&] {
        SendMessageA(chooser, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(remote.get()));
        item.hItem = TreeView_GetSelection(tree);
        return WriteProcessMemory(process, remote.get() + 1024, &item, sizeof item, nullptr) &&
               SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(remote.get() + 1024)) &&
               ReadProcessMemory(process, item.pszText, selected, MAX_PATH - 1, nullptr) &&
               std::filesystem::path(path).filename() == selected;
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
