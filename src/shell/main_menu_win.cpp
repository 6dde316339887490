// The main menu and the teardown of a mode.
#include <windows.h>

#include <commctrl.h>

#include <optional>

#include "media/sound_clip.h"
#include "shell/mode_state.h"
#include "shell/shell.h"
#include "wad/current_wad.h"

namespace kv {

namespace {

struct MenuButton {
  const char* caption;
  int y;
  int id;
};

// Created in this order, 35 pixels apart.
constexpr MenuButton kMenuButtons[] = {
    {"Classic Commentary", 10, kCmdClassicCommentary},
    {"Remixed Commentary", 45, kCmdRemixedCommentary},
    {"WAD Viewer", 80, kCmdWadViewer},
    {"Decompress Non-WAD File", 115, kCmdDecompressFile},
    {"Convert CEL to BMP", 150, kCmdCelToBmp},
};
constexpr int kMenuX = 10;
constexpr int kMenuButtonWidth = 200;
constexpr int kMenuButtonHeight = 24;

BOOL CALLBACK DestroyChild(HWND child, LPARAM) {
  DestroyWindow(child);
  return TRUE;
}

} // namespace

void ClearChildWindows(HWND window) {
  // The sound stops first: it may play from memory that goes below.
  PlaySoundClip(std::nullopt);
  ReleaseCurrentWad();
  CurrentListView = nullptr;
  if (SetNamesTree != nullptr && IsWindow(SetNamesTree)) DestroyWindow(GetParent(SetNamesTree));
  SetNamesTree = nullptr;
  EnumChildWindows(window, DestroyChild, 0);
}

void ShowMainMenu(HWND window) {
  ClearChildWindows(window);
  for (const MenuButton& button : kMenuButtons) {
    CreateWindowExA(0, "Button", button.caption, WS_CHILD | WS_VISIBLE, kMenuX, button.y, kMenuButtonWidth,
                    kMenuButtonHeight, window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(button.id)),
                    Instance, nullptr);
  }
}

} // namespace kv
