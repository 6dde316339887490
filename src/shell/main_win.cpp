// The entry point: registers "WC_MAIN", creates the main window, shows the
// main menu and runs the message loop until the main window is destroyed.
#include <windows.h>

#include <commctrl.h>

#include "shell/shell.h"

namespace kv {
HINSTANCE Instance = nullptr;
HWND MainWindow = nullptr;
} // namespace kv

namespace {

// Exit codes of a start that failed before the window showed (nothing is
// shown to the user then).
constexpr int kExitNoClass = 1;
constexpr int kExitNoWindow = 2;

// A title bar with close and minimise boxes: no maximise box, no sizing border.
constexpr DWORD kMainWindowStyle = WS_VISIBLE | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr int kMainWidth = 700;
constexpr int kMainHeight = 500;

bool RegisterMainClass(HINSTANCE instance) {
  WNDCLASSEXA window_class{};
  window_class.cbSize = sizeof window_class;
  window_class.lpfnWndProc = kv::MainWndProc;
  window_class.hInstance = instance;
  window_class.hIcon = LoadIconA(nullptr, IDI_APPLICATION);
  window_class.hIconSm = LoadIconA(nullptr, IDI_APPLICATION);
  window_class.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  window_class.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  window_class.lpszClassName = kv::kMainClassName;
  return RegisterClassExA(&window_class) != 0;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  kv::Instance = instance;
  if (!RegisterMainClass(instance)) return kExitNoClass;

  HWND main_window =
      CreateWindowExA(0, kv::kMainClassName, kv::kMainTitle, kMainWindowStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                      kMainWidth, kMainHeight, nullptr, nullptr, instance, nullptr);
  if (main_window == nullptr) return kExitNoWindow;
  kv::MainWindow = main_window;

  kv::ShowMainMenu(main_window);

  INITCOMMONCONTROLSEX controls{};
  controls.dwSize = sizeof controls;
  controls.dwICC = ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES;
  InitCommonControlsEx(&controls);

  // No dialog-style keyboard handling: Tab does not move between controls.
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return 0;
}
