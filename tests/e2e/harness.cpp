#include "e2e/harness.h"

#include <shlobj.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <thread>

namespace e2e {

namespace {

constexpr UINT kSendBoundMs = 5000;

void Post(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (!PostMessageA(window, message, wparam, lparam))
    throw Failure("could not post message " + std::to_string(message));
}

// Memory in the target's address space, for messages that carry pointers.
class RemoteBuffer {
public:
  RemoteBuffer(HANDLE process, std::size_t size) : process_(process) {
    address_ =
        static_cast<char*>(VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    if (address_ == nullptr) throw Failure("VirtualAllocEx failed");
  }
  ~RemoteBuffer() { VirtualFreeEx(process_, address_, 0, MEM_RELEASE); }
  RemoteBuffer(const RemoteBuffer&) = delete;
  RemoteBuffer& operator=(const RemoteBuffer&) = delete;

  char* at(std::size_t offset = 0) const { return address_ + offset; }
  LPARAM param() const { return reinterpret_cast<LPARAM>(address_); }
  void Write(const void* data, std::size_t size, std::size_t offset = 0) {
    SIZE_T done = 0;
    if (!WriteProcessMemory(process_, at(offset), data, size, &done) || done != size)
      throw Failure("WriteProcessMemory failed");
  }
  void Read(void* data, std::size_t size, std::size_t offset = 0) const {
    SIZE_T done = 0;
    if (!ReadProcessMemory(process_, at(offset), data, size, &done) || done != size)
      throw Failure("ReadProcessMemory failed");
  }

private:
  HANDLE process_;
  char* address_ = nullptr;
};

} // namespace

Settings& CurrentSettings() {
  static Settings settings;
  return settings;
}

std::string WindowsPath(const std::string& path) {
  if (path.empty() || path.front() != '/') return path;
  std::string result = "Z:" + path;
  std::replace(result.begin(), result.end(), '/', '\\');
  return result;
}

void WaitUntil(const std::function<bool()>& ready, const std::string& what, std::chrono::milliseconds bound) {
  const auto end = std::chrono::steady_clock::now() + bound;
  while (!ready()) {
    if (std::chrono::steady_clock::now() > end)
      throw Failure("timed out after " + std::to_string(bound.count()) + " ms waiting for " + what);
    std::this_thread::sleep_for(20ms);
  }
}

void Pause(std::chrono::milliseconds time) {
  std::this_thread::sleep_for(time);
}

// ------------------------------------------------------------------ windows

LRESULT Send(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  DWORD_PTR result = 0;
  SetLastError(0);
  if (!SendMessageTimeoutA(window, message, wparam, lparam, SMTO_ABORTIFHUNG, kSendBoundMs, &result)) {
    if (!IsWindow(window))
      throw Failure("message " + std::to_string(message) + " sent to a window that has gone");
    if (const DWORD error = GetLastError(); error != 0)
      throw Failure("no answer to message " + std::to_string(message) + " sent to a \"" + ClassOf(window) +
                    "\" window (error " + std::to_string(error) + ")");
  }
  return static_cast<LRESULT>(result);
}

void Press(HWND button) {
  if (button == nullptr) throw Failure("no such button");
  Post(button, BM_CLICK, 0, 0);
}

void PostCommand(HWND window, int id) {
  Post(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
}

bool IsChecked(HWND box) {
  return Send(box, BM_GETCHECK) == BST_CHECKED;
}

std::string ClassOf(HWND window) {
  char name[256] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

std::string TextOf(HWND window) {
  // WM_GETTEXT is marshalled across processes; GetWindowText is not for them.
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
  for (HWND window : windows)
    texts.push_back(TextOf(window));
  return texts;
}

HWND FindDescendant(HWND parent, int id, const char* window_class) {
  for (HWND child : ChildrenOf(parent)) {
    if (GetDlgCtrlID(child) == id && ClassOf(child) == window_class) return child;
    if (HWND found = FindDescendant(child, id, window_class)) return found;
  }
  return nullptr;
}

// -------------------------------------------------------------- the target

Target::Target(const std::string& working_folder) {
  job_ = CreateJobObjectA(nullptr, nullptr);
  if (job_ == nullptr) throw Failure("CreateJobObject failed");
  JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
  limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
  SetInformationJobObject(job_, JobObjectExtendedLimitInformation, &limits, sizeof limits);

  const std::string& program = CurrentSettings().program;
  std::string command_line = "\"" + program + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessA(program.c_str(), command_line.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED,
                      nullptr, working_folder.c_str(), &startup, &info))
    throw Failure("could not start " + program + " (error " + std::to_string(GetLastError()) + ")");
  process_ = info.hProcess;
  process_id_ = info.dwProcessId;
  AssignProcessToJobObject(job_, process_);
  ResumeThread(info.hThread);
  CloseHandle(info.hThread);
}

Target::~Target() {
  if (Running()) {
    TerminateProcess(process_, 99);
    WaitForSingleObject(process_, 5000);
  }
  CloseHandle(process_);
  CloseHandle(job_);
}

bool Target::Running() const {
  return WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

DWORD Target::WaitForExit() {
  if (WaitForSingleObject(process_, static_cast<DWORD>(kWaitBound.count())) != WAIT_OBJECT_0)
    throw Failure("timed out waiting for the program to end");
  DWORD code = 0;
  GetExitCodeProcess(process_, &code);
  return code;
}

namespace {
struct WindowSearch {
  DWORD process_id;
  std::vector<HWND> found;
};

// A named callback: a lambda has the wrong calling convention on i686.
BOOL CALLBACK CollectProcessWindow(HWND window, LPARAM param) {
  auto& search = *reinterpret_cast<WindowSearch*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == search.process_id && IsWindowVisible(window)) search.found.push_back(window);
  return TRUE;
}
} // namespace

std::vector<HWND> Target::TopLevelWindows() const {
  WindowSearch search{process_id_, {}};
  EnumWindows(CollectProcessWindow, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND Target::WaitForWindow(const std::function<bool(HWND)>& match, const std::string& what) {
  HWND found = nullptr;
  WaitUntil(
      [&] {
        if (!Running()) throw Failure("the program ended while waiting for " + what);
        for (HWND window : TopLevelWindows())
          if (match(window)) {
            found = window;
            return true;
          }
        return false;
      },
      what);
  // A dialog fills itself after it shows; let it settle.
  Send(found, WM_NULL);
  return found;
}

HWND Target::MainWindow() {
  HWND main = WaitForWindow(
      [](HWND window) { return ClassOf(window) == "WC_MAIN" && TextOf(window) == "Kroll Vorevuvo"; },
      "the main window \"Kroll Vorevuvo\"");
  // The window shows before its menu is built: wait for the message loop.
  WaitForInputIdle(process_, static_cast<DWORD>(kWaitBound.count()));
  Send(main, WM_NULL);
  return main;
}

// ------------------------------------------------------------------ dialogs

bool IsMessageBox(HWND window) {
  return ClassOf(window) == "#32770" && GetDlgItem(window, 0xFFFF) != nullptr && !IsFileDialog(window);
}

bool IsFileDialog(HWND window) {
  return ClassOf(window) == "#32770" && FindDescendant(window, 0x47C, "Edit") != nullptr;
}

bool IsFolderChooser(HWND window) {
  return ClassOf(window) == "#32770" && FindDescendant(window, 0x3741, WC_TREEVIEWA) != nullptr;
}

MessageBoxView WaitForMessageBox(Target& target, const std::string& what) {
  MessageBoxView view;
  view.window = target.WaitForWindow(IsMessageBox, "a message box: " + what);
  view.caption = TextOf(view.window);
  view.text = TextOf(GetDlgItem(view.window, 0xFFFF));
  for (HWND child : ChildrenOf(view.window))
    if (ClassOf(child) == "Button" && IsWindowVisible(child)) view.buttons.push_back(GetDlgCtrlID(child));
  return view;
}

void Dismiss(HWND dialog, int id) {
  HWND button = GetDlgItem(dialog, id);
  if (button == nullptr)
    throw Failure("the dialog \"" + TextOf(dialog) + "\" has no button " + std::to_string(id));
  Post(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
  WaitUntil([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }, "a dialog to close");
}

std::string OfferedFileName(HWND dialog) {
  return TextOf(FindDescendant(dialog, 0x47C, "Edit"));
}

void ChooseFile(HWND dialog, const std::string& path) {
  Send(FindDescendant(dialog, 0x47C, "Edit"), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
  Dismiss(dialog, IDOK);
}

void ChooseFolder(Target& target, HWND chooser, const std::string& path) {
  HWND tree = FindDescendant(chooser, 0x3741, WC_TREEVIEWA);
  RemoteBuffer remote(target.Process(), path.size() + 16 + sizeof(TVITEMA) + MAX_PATH);
  remote.Write(path.c_str(), path.size() + 1);
  const std::size_t item_at = (path.size() + 16) & ~std::size_t{15};
  const std::string wanted = std::filesystem::path(path).filename().string();
  // About one try in a hundred misses right after the folder's contents
  // changed: read the selection back and ask again.
  char selected[MAX_PATH] = {};
  WaitUntil(
      [&] {
        Send(chooser, BFFM_SETSELECTIONA, TRUE, remote.param());
        TVITEMA item{};
        item.mask = TVIF_TEXT;
        item.hItem = reinterpret_cast<HTREEITEM>(Send(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
        item.pszText = remote.at(item_at + sizeof item);
        item.cchTextMax = MAX_PATH;
        remote.Write(&item, sizeof item, item_at);
        if (item.hItem == nullptr || !Send(tree, TVM_GETITEMA, 0, remote.param() + item_at)) return false;
        remote.Read(selected, MAX_PATH - 1, item_at + sizeof item);
        return lstrcmpiA(selected, wanted.c_str()) == 0;
      },
      "the folder chooser to select " + path);
  Dismiss(chooser, IDOK);
}

// -------------------------------------------------------------- list views

LRESULT SendListItem(Target& target, HWND list, UINT message, WPARAM row, LVITEMA& item, std::string& text) {
  RemoteBuffer remote(target.Process(), sizeof item + text.size() + 1);
  item.pszText = remote.at(sizeof item);
  item.cchTextMax = static_cast<int>(text.size() + 1);
  remote.Write(&item, sizeof item);
  remote.Write(text.c_str(), text.size() + 1, sizeof item);
  const LRESULT result = Send(list, message, row, remote.param());
  remote.Read(&item, sizeof item);
  remote.Read(text.data(), text.size(), sizeof item);
  return result;
}

int ListRowCount(HWND list) {
  return static_cast<int>(Send(list, LVM_GETITEMCOUNT));
}

std::string ListCell(Target& target, HWND list, int row, int column) {
  std::string text(1023, '\0');
  LVITEMA item{};
  item.iSubItem = column;
  text.resize(static_cast<std::size_t>(SendListItem(target, list, LVM_GETITEMTEXTA, row, item, text)));
  return text;
}

Names ListColumn(Target& target, HWND list, int column) {
  Names texts;
  for (int row = 0; row < ListRowCount(list); ++row)
    texts.push_back(ListCell(target, list, row, column));
  return texts;
}

std::vector<Names> ListRows(Target& target, HWND list) {
  HWND header = reinterpret_cast<HWND>(Send(list, LVM_GETHEADER));
  const auto columns = static_cast<int>(Send(header, HDM_GETITEMCOUNT));
  std::vector<Names> rows(ListRowCount(list));
  for (std::size_t row = 0; row < rows.size(); ++row)
    for (int column = 0; column < columns; ++column)
      rows[row].push_back(ListCell(target, list, static_cast<int>(row), column));
  return rows;
}

void SelectListRow(Target& target, HWND list, int row) {
  std::string none;
  LVITEMA item{};
  item.stateMask = LVIS_SELECTED;
  item.state = LVIS_SELECTED;
  SendListItem(target, list, LVM_SETITEMSTATE, row, item, none);
}

std::vector<int> SelectedListRows(HWND list) {
  std::vector<int> rows;
  for (int row = -1; (row = static_cast<int>(Send(list, LVM_GETNEXTITEM, row, LVNI_SELECTED))) >= 0;)
    rows.push_back(row);
  return rows;
}

void ClickColumnHeader(Target& target, HWND list, int column) {
  HWND header = reinterpret_cast<HWND>(Send(list, LVM_GETHEADER));
  RemoteBuffer remote(target.Process(), sizeof(RECT));
  if (!Send(header, HDM_GETITEMRECT, column, remote.param()))
    throw Failure("the list has no column " + std::to_string(column));
  RECT rect{};
  remote.Read(&rect, sizeof rect);
  const LPARAM middle = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
  Post(header, WM_LBUTTONDOWN, MK_LBUTTON, middle);
  Post(header, WM_LBUTTONUP, 0, middle);
  Send(header, WM_NULL);
}

// ------------------------------------------------------------ screens

namespace {

// A picture of the screen's kind, painted by `paint` (given the picture's
// DC and the screen's): 24-bit BGR rows, bottom-up, each padded to four
// bytes, as a BMP file holds them.
struct Image {
  BITMAPINFOHEADER header{};
  std::size_t stride = 0;
  Bytes bgr;
  const std::uint8_t* Pixel(int x, int y) const { return &bgr[(header.biHeight - 1 - y) * stride + x * 3]; }
};

Image Paint(int width, int height, const std::function<void(HDC, HDC)>& paint) {
  if (width <= 0 || height <= 0) throw Failure("nothing to capture: an empty rectangle");
  Image image;
  image.header = {sizeof(BITMAPINFOHEADER), width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  image.stride = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
  image.bgr.resize(image.stride * height);
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
  HGDIOBJ previous = SelectObject(memory, bitmap);
  paint(memory, screen);
  SelectObject(memory, previous);
  GetDIBits(memory, bitmap, 0, height, image.bgr.data(), reinterpret_cast<BITMAPINFO*>(&image.header),
            DIB_RGB_COLORS);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return image;
}

Image CaptureScreen(RECT rect) {
  return Paint(rect.right - rect.left, rect.bottom - rect.top, [&](HDC memory, HDC screen) {
    BitBlt(memory, 0, 0, rect.right - rect.left, rect.bottom - rect.top, screen, rect.left, rect.top,
           SRCCOPY);
  });
}

// The bounding box of the pixels darker than mid-grey.
InkBox InkOf(const Image& image) {
  const int width = image.header.biWidth, height = image.header.biHeight;
  int left = width, right = -1, top = height, bottom = -1;
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const std::uint8_t* pixel = image.Pixel(x, y);
      if (pixel[0] + pixel[1] + pixel[2] >= 3 * 128) continue;
      left = std::min(left, x);
      right = std::max(right, x);
      top = std::min(top, y);
      bottom = std::max(bottom, y);
    }
  if (right < 0) return {};
  return {right - left + 1, bottom - top + 1};
}

} // namespace

std::ostream& operator<<(std::ostream& out, const InkBox& box) {
  return out << box.width << "x" << box.height;
}

InkBox CaptionInk(HWND control) {
  Send(control, WM_NULL);
  RECT rect{};
  GetWindowRect(control, &rect);
  InflateRect(&rect, -3, -3);
  return InkOf(CaptureScreen(rect));
}

InkBox TextInk(const std::string& text, HFONT font) {
  return InkOf(Paint(600, 100, [&](HDC memory, HDC) {
    HGDIOBJ previous = SelectObject(memory, font);
    RECT all{0, 0, 600, 100};
    FillRect(memory, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SetTextColor(memory, RGB(0, 0, 0));
    SetBkMode(memory, TRANSPARENT);
    TextOutA(memory, 10, 10, text.c_str(), static_cast<int>(text.size()));
    SelectObject(memory, previous);
  }));
}

void SaveScreenshot(HWND window, const std::string& name) {
  // Let the target paint what it has just been asked to show.
  DWORD_PTR ignored = 0;
  SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kSendBoundMs, &ignored);
  Pause(150ms);
  RECT rect{};
  GetWindowRect(window, &rect);
  const Image image = CaptureScreen(rect);
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42; // "BM"
  file.bfOffBits = sizeof file + sizeof image.header;
  file.bfSize = static_cast<DWORD>(file.bfOffBits + image.bgr.size());
  Bytes bmp(reinterpret_cast<const std::uint8_t*>(&file), reinterpret_cast<const std::uint8_t*>(&file + 1));
  bmp.insert(bmp.end(), reinterpret_cast<const std::uint8_t*>(&image.header),
             reinterpret_cast<const std::uint8_t*>(&image.header + 1));
  bmp.insert(bmp.end(), image.bgr.begin(), image.bgr.end());
  WriteBytes(CurrentSettings().artifacts + "\\" + name + ".bmp", bmp);
}

// ------------------------------------------------------------ files

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

// ------------------------------------------------------------ journeys

namespace {
std::string TestName() {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  return std::string(info->test_suite_name()) + "." + info->name();
}
} // namespace

void Journey::SetUp() {
  const std::filesystem::path folder =
      std::filesystem::path(CurrentSettings().artifacts) / "work" / TestName();
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  folder_ = folder.string();
  target_ = std::make_unique<Target>(folder_);
  main_ = target_->MainWindow();
}

void Journey::TearDown() {
  if (HasFailure()) {
    try {
      Shot(GetDesktopWindow(), "failed");
    } catch (const Failure&) {
    }
  }
  target_.reset();
}

void Journey::Shot(HWND window, const std::string& step) const {
  SaveScreenshot(window, TestName() + "-" + step);
}

MessageBoxView Journey::Acknowledge(const std::string& what, const std::string& shot) {
  const MessageBoxView box = WaitForMessageBox(*target_, what);
  if (!shot.empty()) Shot(box.window, shot);
  EXPECT_EQ(box.buttons, std::vector<int>{IDOK}) << box.caption << ": " << box.text;
  Dismiss(box.window, IDOK);
  return box;
}

void Journey::ExpectOnlyTheMenu() {
  Pause(300ms);
  Send(main_, WM_NULL);
  EXPECT_EQ(target_->TopLevelWindows(), std::vector<HWND>{main_}) << "another window is open";
  EXPECT_EQ(TextsOf(ChildrenOf(main_)), kMenuCaptions);
}

} // namespace e2e
