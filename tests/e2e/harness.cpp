#include "e2e/harness.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>

// The GUI's globals, which its entry point defines in the program.
namespace kv {
HINSTANCE Instance = nullptr;
HWND MainWindow = nullptr;
} // namespace kv

namespace e2e {
namespace {

using Failure = std::runtime_error;

std::string TestName() {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  return std::string(info->test_suite_name()) + "." + info->name();
}

} // namespace

std::string Setting(const char* name) {
  if (const char* value = std::getenv(name)) return value;
  throw Failure(std::string(name) + " is not set: run e2e_tests through run-e2e.sh");
}

void WaitUntil(const std::function<bool()>& ready, const std::string& what) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(Patience());
  for (; !ready(); Sleep(20))
    if (std::chrono::steady_clock::now() > end) throw Failure("timed out waiting for " + what);
}

std::string TextOf(HWND window) {
  // WM_GETTEXT is carried across processes (GetWindowText is not), bounded
  // in time so that a program that stops answering does not stop the suite.
  char text[1024] = {};
  SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000,
                      nullptr);
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

void Shot(HWND window, const std::string& step) {
  // Let it paint what it was just asked to show: across processes its own
  // loop does; in this one, the windows of this thread paint here.
  SendMessageA(window, WM_NULL, 0, 0);
  RedrawWindow(window, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  for (MSG message; PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE);)
    DispatchMessageA(&message);
  Sleep(150);
  RECT rect{};
  GetWindowRect(window, &rect);
  BITMAPINFOHEADER info{
      sizeof info, rect.right - rect.left, rect.bottom - rect.top, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  const DWORD bits_at = sizeof(BITMAPFILEHEADER) + sizeof info;
  const auto row = static_cast<DWORD>(info.biWidth * 3 + 3) / 4 * 4; // rows of 24-bit pixels, padded
  const BITMAPFILEHEADER file{0x4D42, bits_at + row * info.biHeight, 0, 0, bits_at};
  Bytes bmp(file.bfSize);
  std::memcpy(bmp.data(), &file, sizeof file);
  std::memcpy(bmp.data() + sizeof file, &info, sizeof info);
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, info.biWidth, info.biHeight);
  HGDIOBJ previous = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, info.biWidth, info.biHeight, screen, rect.left, rect.top, SRCCOPY);
  SelectObject(memory, previous);
  GetDIBits(memory, bitmap, 0, info.biHeight, bmp.data() + bits_at, reinterpret_cast<BITMAPINFO*>(&info),
            DIB_RGB_COLORS);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  WriteBytes(Setting("KV_E2E_ARTIFACTS") + "\\" + TestName() + "-" + step + ".bmp", bmp);
}

void Journey::SetUp() {
  ASSERT_EQ(GetACP(), static_cast<UINT>(CP_UTF8)) << "the manifest's code page";
  folder_ = Setting("KV_E2E_ARTIFACTS") + "\\work\\" + TestName();
  std::filesystem::remove_all(kv::test::FsPath(folder_));
  folder_ += "\\Иван ゲーム";
  std::filesystem::create_directories(kv::test::FsPath(folder_));
}

void Journey::TearDown() {
  if (HasFailure()) Shot(GetDesktopWindow(), "failed");
}

// ------------------------------------------------------------ in process

void Session::SetUp() {
  Journey::SetUp();
  kv::Instance = GetModuleHandleA(nullptr);
  // The program's class as WinMain registers it, its background included.
  static const WNDCLASSA main_class{
      0,       kv::MainWndProc,   0, 0, kv::Instance, nullptr, nullptr, GetSysColorBrush(COLOR_BTNFACE),
      nullptr, kv::kMainClassName};
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

} // namespace e2e
