#include "e2e/harness.h"

#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <thread>

namespace e2e {

namespace {

// A target that stops answering must not stop the suite.
constexpr UINT kSendBoundMs = 5000;

LRESULT Send(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  DWORD_PTR result = 0;
  SetLastError(0);
  if (!SendMessageTimeoutA(window, message, wparam, lparam, SMTO_ABORTIFHUNG, kSendBoundMs, &result)) {
    const DWORD error = GetLastError();
    if (!IsWindow(window))
      throw Failure("message " + std::to_string(message) + " sent to a window that has gone");
    if (error != 0)
      throw Failure("no answer within " + std::to_string(kSendBoundMs) + " ms to message " +
                    std::to_string(message) + " sent to a \"" + ClassOf(window) + "\" window (error " +
                    std::to_string(error) + ")");
  }
  return static_cast<LRESULT>(result);
}

void Post(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (!PostMessageA(window, message, wparam, lparam))
    throw Failure("could not post message " + std::to_string(message));
}

std::string ToLower(std::string text) {
  for (char& c : text)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::string LastComponent(std::string path) {
  while (!path.empty() && (path.back() == '\\' || path.back() == '/'))
    path.pop_back();
  const auto cut = path.find_last_of("\\/");
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

struct HandleCloser {
  void operator()(HANDLE handle) const {
    if (handle != nullptr && handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  }
};
using UniqueHandle = std::unique_ptr<void, HandleCloser>;

} // namespace

Settings& CurrentSettings() {
  static Settings settings;
  return settings;
}

std::string WindowsPath(const std::string& path) {
  if (path.empty() || path.front() != '/') return path;
  std::string result = "Z:" + path;
  for (char& c : result)
    if (c == '/') c = '\\';
  return result;
}

void WaitUntil(const std::function<bool()>& ready, const std::string& what, std::chrono::milliseconds bound) {
  const auto end = std::chrono::steady_clock::now() + bound;
  for (;;) {
    if (ready()) return;
    if (std::chrono::steady_clock::now() > end)
      throw Failure("timed out after " + std::to_string(bound.count()) + " ms waiting for " + what);
    std::this_thread::sleep_for(20ms);
  }
}

void Pause(std::chrono::milliseconds time) {
  std::this_thread::sleep_for(time);
}

// ------------------------------------------------------------------ windows

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

HWND FindDescendant(HWND parent, int id, const char* window_class) {
  for (HWND child : ChildrenOf(parent)) {
    if (GetDlgCtrlID(child) == id && (window_class == nullptr || ClassOf(child) == window_class))
      return child;
    if (HWND found = FindDescendant(child, id, window_class)) return found;
  }
  return nullptr;
}

RECT RectInParent(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  MapWindowPoints(HWND_DESKTOP, GetParent(window), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
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
  UniqueHandle thread(info.hThread);
  process_ = info.hProcess;
  process_id_ = info.dwProcessId;
  AssignProcessToJobObject(job_, process_);
  ResumeThread(info.hThread);
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

DWORD Target::WaitForExit(std::chrono::milliseconds bound) {
  if (WaitForSingleObject(process_, static_cast<DWORD>(bound.count())) != WAIT_OBJECT_0)
    throw Failure("timed out after " + std::to_string(bound.count()) + " ms waiting for the program to end");
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

HWND Target::FindWindowNow(const std::function<bool(HWND)>& match) const {
  for (HWND window : TopLevelWindows())
    if (match(window)) return window;
  return nullptr;
}

HWND Target::WaitForWindow(const std::function<bool(HWND)>& match, const std::string& what,
                           std::chrono::milliseconds bound) {
  HWND found = nullptr;
  WaitUntil(
      [&] {
        if (!Running()) throw Failure("the program ended while waiting for " + what);
        found = FindWindowNow(match);
        return found != nullptr;
      },
      what, bound);
  return found;
}

HWND Target::MainWindow() {
  if (main_window_ != nullptr && IsWindow(main_window_)) return main_window_;
  main_window_ = WaitForWindow(
      [](HWND window) { return ClassOf(window) == "WC_MAIN" && TextOf(window) == "Kroll Vorevuvo"; },
      "the main window \"Kroll Vorevuvo\"");
  // The window shows before its menu is built: wait for the message loop.
  WaitForInputIdle(process_, static_cast<DWORD>(kWaitBound.count()));
  Send(main_window_, WM_NULL, 0, 0);
  return main_window_;
}

RemoteBuffer::RemoteBuffer(HANDLE process, std::size_t size) : process_(process) {
  address_ = VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  if (address_ == nullptr) throw Failure("VirtualAllocEx failed");
}

RemoteBuffer::~RemoteBuffer() {
  VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
}

void RemoteBuffer::Write(const void* data, std::size_t size, std::size_t offset) {
  SIZE_T done = 0;
  if (!WriteProcessMemory(process_, static_cast<char*>(address_) + offset, data, size, &done) || done != size)
    throw Failure("WriteProcessMemory failed");
}

void RemoteBuffer::Read(void* data, std::size_t size, std::size_t offset) const {
  SIZE_T done = 0;
  if (!ReadProcessMemory(process_, static_cast<const char*>(address_) + offset, data, size, &done) ||
      done != size)
    throw Failure("ReadProcessMemory failed");
}

// --------------------------------------------------------------- controls

void Press(HWND button) {
  Post(button, BM_CLICK, 0, 0);
}

void PostCommand(HWND window, int id) {
  Post(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
}

bool IsChecked(HWND box) {
  return Send(box, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void TypeText(HWND control, const std::string& text) {
  for (char c : text)
    Post(control, WM_CHAR, static_cast<unsigned char>(c), 1);
  Send(control, WM_NULL, 0, 0);
}

void PressKey(HWND control, UINT virtual_key) {
  const UINT scan = MapVirtualKeyA(virtual_key, MAPVK_VK_TO_VSC);
  Post(control, WM_KEYDOWN, virtual_key, 1 | (scan << 16));
  Post(control, WM_KEYUP, virtual_key, 1 | (scan << 16) | (3u << 30));
  Send(control, WM_NULL, 0, 0);
}

// ------------------------------------------------------------ message boxes

bool IsMessageBox(HWND window) {
  return ClassOf(window) == "#32770" && GetDlgItem(window, 0xFFFF) != nullptr &&
         GetDlgItem(window, kFileNameId) == nullptr;
}

MessageBoxView ReadMessageBox(HWND box) {
  MessageBoxView view;
  view.window = box;
  view.caption = TextOf(box);
  view.text = TextOf(GetDlgItem(box, 0xFFFF));
  for (HWND child : ChildrenOf(box))
    if (ClassOf(child) == "Button" && IsWindowVisible(child)) view.buttons.push_back(GetDlgCtrlID(child));
  return view;
}

MessageBoxView WaitForMessageBox(Target& target, const std::string& what) {
  return ReadMessageBox(target.WaitForWindow(IsMessageBox, "a message box: " + what));
}

void Answer(const MessageBoxView& box, int button_id) {
  HWND button = GetDlgItem(box.window, button_id);
  if (button == nullptr)
    throw Failure("the box \"" + box.caption + "\" has no button " + std::to_string(button_id));
  Press(button);
  WaitUntil([&] { return !IsWindow(box.window) || !IsWindowVisible(box.window); },
            "the box \"" + box.caption + "\" to close");
}

// ------------------------------------------------------------ file dialogs

bool IsFileDialog(HWND window) {
  return ClassOf(window) == "#32770" && FindDescendant(window, kFileNameId, "Edit") != nullptr;
}

HWND WaitForFileDialog(Target& target, const std::string& what) {
  HWND dialog = target.WaitForWindow(IsFileDialog, what);
  // The dialog fills its folder view after it shows; let it settle.
  Send(dialog, WM_NULL, 0, 0);
  return dialog;
}

std::string OfferedFileName(HWND dialog) {
  return TextOf(FindDescendant(dialog, kFileNameId, "Edit"));
}

void ChooseFile(HWND dialog, const std::string& path) {
  HWND edit = FindDescendant(dialog, kFileNameId, "Edit");
  if (edit == nullptr) throw Failure("the file dialog has no file name box");
  Send(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
  Post(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
  WaitUntil([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); },
            "the file dialog to accept " + path);
}

bool IsFolderChooser(HWND window) {
  return ClassOf(window) == "#32770" && FindDescendant(window, 0x3741, WC_TREEVIEWA) != nullptr;
}

HWND WaitForFolderChooser(Target& target, const std::string& what) {
  return target.WaitForWindow(IsFolderChooser, "the folder chooser: " + what);
}

namespace {

std::string SelectedTreeText(Target& target, HWND tree) {
  const auto item = reinterpret_cast<HTREEITEM>(Send(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
  if (item == nullptr) return {};
  constexpr std::size_t kRoom = MAX_PATH;
  RemoteBuffer remote(target.Process(), sizeof(TVITEMA) + kRoom);
  TVITEMA request{};
  request.mask = TVIF_TEXT;
  request.hItem = item;
  request.pszText = static_cast<char*>(remote.address()) + sizeof(TVITEMA);
  request.cchTextMax = kRoom;
  remote.Write(&request, sizeof request);
  if (!Send(tree, TVM_GETITEMA, 0, remote.param())) return {};
  std::array<char, kRoom> text{};
  remote.Read(text.data(), kRoom, sizeof(TVITEMA));
  text.back() = 0;
  return text.data();
}

} // namespace

void ChooseFolder(Target& target, HWND chooser, const std::string& path) {
  HWND tree = FindDescendant(chooser, 0x3741, WC_TREEVIEWA);
  RemoteBuffer remote(target.Process(), path.size() + 1);
  remote.Write(path.c_str(), path.size() + 1);
  const std::string wanted = ToLower(LastComponent(path));
  // About one try in a hundred misses right after the folder's contents
  // changed: read the selection back and ask again. (Collapsing the tree
  // with a reset does not help: the chooser does not list a reset item again.)
  std::string selected;
  try {
    WaitUntil(
        [&] {
          Send(chooser, BFFM_SETSELECTIONA, TRUE, remote.param());
          selected = SelectedTreeText(target, tree);
          return ToLower(selected) == wanted;
        },
        "the folder chooser to select " + path);
  } catch (const Failure& failure) {
    throw Failure(failure.what() + std::string(" (the tree's selection is \"") + selected + "\")");
  }
  Post(chooser, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
       reinterpret_cast<LPARAM>(GetDlgItem(chooser, IDOK)));
  WaitUntil([&] { return !IsWindow(chooser); }, "the folder chooser to close");
}

// -------------------------------------------------------------- list views

int ListRowCount(HWND list) {
  return static_cast<int>(Send(list, LVM_GETITEMCOUNT, 0, 0));
}

int ListColumnCount(HWND list) {
  HWND header = reinterpret_cast<HWND>(Send(list, LVM_GETHEADER, 0, 0));
  return header == nullptr ? 0 : static_cast<int>(Send(header, HDM_GETITEMCOUNT, 0, 0));
}

std::string ListCell(Target& target, HWND list, int row, int column) {
  constexpr std::size_t kRoom = 1024;
  RemoteBuffer remote(target.Process(), sizeof(LVITEMA) + kRoom);
  LVITEMA request{};
  request.iSubItem = column;
  request.pszText = static_cast<char*>(remote.address()) + sizeof(LVITEMA);
  request.cchTextMax = kRoom;
  remote.Write(&request, sizeof request);
  const auto length = static_cast<std::size_t>(Send(list, LVM_GETITEMTEXTA, row, remote.param()));
  std::string text(std::min(length, kRoom - 1), '\0');
  if (!text.empty()) remote.Read(text.data(), text.size(), sizeof(LVITEMA));
  return text;
}

std::vector<std::vector<std::string>> ListRows(Target& target, HWND list) {
  std::vector<std::vector<std::string>> rows(ListRowCount(list));
  const int columns = ListColumnCount(list);
  for (std::size_t row = 0; row < rows.size(); ++row)
    for (int column = 0; column < columns; ++column)
      rows[row].push_back(ListCell(target, list, static_cast<int>(row), column));
  return rows;
}

void SelectListRow(Target& target, HWND list, int row, bool selected) {
  RemoteBuffer remote(target.Process(), sizeof(LVITEMA));
  LVITEMA request{};
  request.stateMask = LVIS_SELECTED;
  request.state = selected ? LVIS_SELECTED : 0;
  remote.Write(&request, sizeof request);
  Send(list, LVM_SETITEMSTATE, row, remote.param());
}

std::vector<int> SelectedListRows(HWND list) {
  std::vector<int> rows;
  for (int row = -1; (row = static_cast<int>(Send(list, LVM_GETNEXTITEM, row, LVNI_SELECTED))) >= 0;)
    rows.push_back(row);
  return rows;
}

void ClickColumnHeader(Target& target, HWND list, int column) {
  HWND header = reinterpret_cast<HWND>(Send(list, LVM_GETHEADER, 0, 0));
  if (header == nullptr) throw Failure("the list has no header");
  RemoteBuffer remote(target.Process(), sizeof(RECT));
  if (!Send(header, HDM_GETITEMRECT, column, remote.param()))
    throw Failure("the list has no column " + std::to_string(column));
  RECT rect{};
  remote.Read(&rect, sizeof rect);
  const LPARAM middle = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
  Post(header, WM_LBUTTONDOWN, MK_LBUTTON, middle);
  Post(header, WM_LBUTTONUP, 0, middle);
  Send(header, WM_NULL, 0, 0);
}

// ------------------------------------------------------------ screenshots

namespace {

struct DcReleaser {
  void operator()(HDC dc) const { ReleaseDC(nullptr, dc); }
};
struct DcDeleter {
  void operator()(HDC dc) const { DeleteDC(dc); }
};
struct GdiDeleter {
  void operator()(HGDIOBJ object) const { DeleteObject(object); }
};
using ScreenDc = std::unique_ptr<std::remove_pointer_t<HDC>, DcReleaser>;
using MemoryDc = std::unique_ptr<std::remove_pointer_t<HDC>, DcDeleter>;
using Bitmap = std::unique_ptr<std::remove_pointer_t<HBITMAP>, GdiDeleter>;

class Selection {
public:
  Selection(HDC dc, HGDIOBJ object) : dc_(dc), previous_(SelectObject(dc, object)) {}
  ~Selection() { SelectObject(dc_, previous_); }
  Selection(const Selection&) = delete;
  Selection& operator=(const Selection&) = delete;

private:
  HDC dc_;
  HGDIOBJ previous_;
};

std::uint32_t Crc32(const std::uint8_t* data, std::size_t size, std::uint32_t crc = 0) {
  static const auto table = [] {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t n = 0; n < 256; ++n) {
      std::uint32_t c = n;
      for (int k = 0; k < 8; ++k)
        c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      table[n] = c;
    }
    return table;
  }();
  crc = ~crc;
  for (std::size_t i = 0; i < size; ++i)
    crc = table[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

// A bitmap's pixels as top-down RGB (it must not be selected into a DC).
std::vector<std::uint8_t> ReadBitmap(HDC dc, HBITMAP bitmap, int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height; // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
  std::vector<std::uint8_t> bgr(stride * height);
  GetDIBits(dc, bitmap, 0, height, bgr.data(), &info, DIB_RGB_COLORS);
  std::vector<std::uint8_t> rgb;
  rgb.reserve(static_cast<std::size_t>(width) * height * 3);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const std::uint8_t* pixel = &bgr[y * stride + x * 3];
      rgb.insert(rgb.end(), {pixel[2], pixel[1], pixel[0]});
    }
  return rgb;
}

void PutBigEndian(std::vector<std::uint8_t>& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8)
    out.push_back(static_cast<std::uint8_t>(value >> shift));
}

void PutChunk(std::vector<std::uint8_t>& png, const char* type, const std::vector<std::uint8_t>& data) {
  PutBigEndian(png, static_cast<std::uint32_t>(data.size()));
  const std::size_t start = png.size();
  png.insert(png.end(), type, type + 4);
  png.insert(png.end(), data.begin(), data.end());
  PutBigEndian(png, Crc32(png.data() + start, png.size() - start));
}

} // namespace

std::vector<std::uint8_t> EncodePng(int width, int height, const std::vector<std::uint8_t>& rgb) {
  // Each row: filter type 0, then its pixels.
  std::vector<std::uint8_t> raw;
  const std::size_t row_bytes = static_cast<std::size_t>(width) * 3;
  for (int y = 0; y < height; ++y) {
    raw.push_back(0);
    const auto row = rgb.begin() + static_cast<std::ptrdiff_t>(y * row_bytes);
    raw.insert(raw.end(), row, row + static_cast<std::ptrdiff_t>(row_bytes));
  }
  // A zlib stream of stored (uncompressed) deflate blocks.
  std::vector<std::uint8_t> zlib = {0x78, 0x01};
  std::size_t offset = 0;
  do {
    const std::size_t length = std::min<std::size_t>(raw.size() - offset, 65535);
    const bool last = offset + length == raw.size();
    zlib.push_back(last ? 1 : 0);
    zlib.push_back(static_cast<std::uint8_t>(length));
    zlib.push_back(static_cast<std::uint8_t>(length >> 8));
    zlib.push_back(static_cast<std::uint8_t>(~length));
    zlib.push_back(static_cast<std::uint8_t>(~length >> 8));
    zlib.insert(zlib.end(), raw.begin() + static_cast<std::ptrdiff_t>(offset),
                raw.begin() + static_cast<std::ptrdiff_t>(offset + length));
    offset += length;
  } while (offset < raw.size());
  std::uint32_t a = 1, b = 0;
  for (std::uint8_t byte : raw) {
    a = (a + byte) % 65521;
    b = (b + a) % 65521;
  }
  PutBigEndian(zlib, (b << 16) | a);

  std::vector<std::uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<std::uint8_t> header;
  PutBigEndian(header, static_cast<std::uint32_t>(width));
  PutBigEndian(header, static_cast<std::uint32_t>(height));
  header.insert(header.end(), {8, 2, 0, 0, 0}); // 8 bits, RGB, deflate, no filter choice, no interlace
  PutChunk(png, "IHDR", header);
  PutChunk(png, "IDAT", zlib);
  PutChunk(png, "IEND", {});
  return png;
}

Image CaptureScreen(const RECT& rect) {
  Image image;
  image.width = rect.right - rect.left;
  image.height = rect.bottom - rect.top;
  if (image.width <= 0 || image.height <= 0) throw Failure("nothing to capture: an empty rectangle");

  ScreenDc screen(GetDC(nullptr));
  MemoryDc memory(CreateCompatibleDC(screen.get()));
  Bitmap bitmap(CreateCompatibleBitmap(screen.get(), image.width, image.height));
  {
    Selection selection(memory.get(), bitmap.get());
    BitBlt(memory.get(), 0, 0, image.width, image.height, screen.get(), rect.left, rect.top, SRCCOPY);
  }
  image.rgb = ReadBitmap(memory.get(), bitmap.get(), image.width, image.height);
  return image;
}

std::string SaveScreenshot(HWND window, const std::string& name) {
  // Let the target paint what it has just been asked to show.
  DWORD_PTR ignored = 0;
  SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kSendBoundMs, &ignored);
  Pause(150ms);
  RECT rect{};
  GetWindowRect(window, &rect);
  const Image image = CaptureScreen(rect);
  const std::string path = CurrentSettings().artifacts + "\\" + name + ".png";
  WriteBytes(path, EncodePng(image.width, image.height, image.rgb));
  return path;
}

namespace {

// The bounding box of the pixels darker than mid-grey.
InkBox InkOf(const Image& image) {
  int left = image.width, right = -1, top = image.height, bottom = -1;
  for (int y = 0; y < image.height; ++y)
    for (int x = 0; x < image.width; ++x) {
      const std::uint8_t* pixel = &image.rgb[(static_cast<std::size_t>(y) * image.width + x) * 3];
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
  DWORD_PTR ignored = 0;
  SendMessageTimeoutA(control, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kSendBoundMs, &ignored);
  RECT rect{};
  GetWindowRect(control, &rect);
  InflateRect(&rect, -3, -3);
  return InkOf(CaptureScreen(rect));
}

InkBox TextInk(const std::string& text, HFONT font) {
  constexpr int kWidth = 600;
  constexpr int kHeight = 100;
  ScreenDc screen(GetDC(nullptr));
  MemoryDc memory(CreateCompatibleDC(screen.get()));
  Bitmap bitmap(CreateCompatibleBitmap(screen.get(), kWidth, kHeight));
  {
    Selection selection(memory.get(), bitmap.get());
    Selection font_selection(memory.get(), font);
    RECT all{0, 0, kWidth, kHeight};
    FillRect(memory.get(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SetTextColor(memory.get(), RGB(0, 0, 0));
    SetBkMode(memory.get(), TRANSPARENT);
    TextOutA(memory.get(), 10, 10, text.c_str(), static_cast<int>(text.size()));
  }
  Image image{kWidth, kHeight, ReadBitmap(memory.get(), bitmap.get(), kWidth, kHeight)};
  return InkOf(image);
}

// ------------------------------------------------------------ files

void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!file) throw Failure("could not write " + path);
}

std::optional<std::vector<std::uint8_t>> ReadBytes(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return std::nullopt;
  return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

std::string FreshFolder(const std::string& name) {
  const std::filesystem::path folder = std::filesystem::path(CurrentSettings().artifacts) / "work" / name;
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  return folder.string();
}

} // namespace e2e

namespace e2e {

void Journey::SetUp() {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  folder_ = FreshFolder(std::string(info->test_suite_name()) + "." + info->name());
  target_ = std::make_unique<Target>(folder_);
  main_ = target_->MainWindow();
}

void Journey::TearDown() {
  if (HasFailure()) {
    try {
      SaveScreenshot(GetDesktopWindow(), Shot("failed"));
    } catch (const Failure&) {
    }
  }
  target_.reset();
}

std::string Journey::Shot(const std::string& step) const {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  return std::string(info->test_suite_name()) + "." + info->name() + "-" + step;
}

} // namespace e2e
