// The application shell: the main window's procedure, the main menu and the
// teardown that every mode runs before it builds its own controls.
#pragma once

#include <windows.h>

namespace kv {

// Given to every window the tool creates.
extern HINSTANCE Instance;
// Set once the main window exists; tells its destruction from a Set Names
// window's (both are "WC_MAIN" windows served by MainWndProc).
extern HWND MainWindow;

inline constexpr const char* kMainClassName = "WC_MAIN";
inline constexpr const char* kMainTitle = "Kroll Vorevuvo";

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);

// Replaces whatever `window` shows with the five main-menu buttons.
void ShowMainMenu(HWND window);

// Ends the current mode: its sound, its archive image, its list rows' records,
// the Set Names window, then every child control of `window`.
void ClearChildWindows(HWND window);

// Command identifiers: every button of every screen sends one of these.
enum CommandId : int {
  kCmdFirst = 200,
  kCmdWadViewer = 200,
  kCmdBack = 201,
  kCmdDecompressFile = 202,
  kCmdConvertSfx = 203,
  kCmdExtractAll = 204,
  kCmdExtractSelection = 205,
  kCmdExportCommentary = 206,
  kCmdUnused = 207,
  kCmdOverwrite = 208,
  kCmdAskOverwrite = 209,
  kCmdSkipExisting = 210,
  kCmdClassicCommentary = 211,
  kCmdStarPlayerNames = 212,
  kCmdThrowerNames = 213,
  kCmdTeamNames = 214,
  kCmdPreviewCommentary = 215,
  kCmdSlotTeamA = 216,
  kCmdSlotTeamB = 217,
  kCmdSlotCaptainA = 218,
  kCmdSlotCaptainB = 219,
  kCmdSlotThrower = 220,
  kCmdSlotReceiver = 221,
  kCmdSetNames = 222,
  kCmdExportRemix = 223,
  kCmdPreviewRemix = 224,
  kCmdRemixedCommentary = 225,
  kCmdCelToBmp = 226,
  kCmdLast = 226,
};

} // namespace kv
