// MainWndProc: the one window procedure of "WC_MAIN", serving the main window
// and every Set Names window. It turns button presses and list and tree
// notifications into calls of the modes that serve them.
//
// Re-entry. Commands show modal message boxes and file dialogs, most of them
// without an owner, and the modal loops of those keep dispatching the main
// window's input to this procedure. A second command started from there
// ("< Back", another button, a column click, a Set Names button) could free,
// replace or reorder what the waiting command still works on: CurrentWad
// during an extraction, the rows of CurrentListView during an export. So
// every command and every column click runs through RunCommand, which drops
// such input while another command is running; a request to close one of our
// windows meanwhile is held and honoured once the command has returned.
//
// Disabling the main window during a command would do the same for the main
// window only: the Set Names window stays usable beside it, and on Windows
// the system activates another program's window when an owner-less box
// closes over a disabled window. A flag in the one procedure that every
// input passes through covers every window of the class, every mode and
// every later command without any of them doing anything.
//
// Tree notifications are not held back: an expansion only selects, and the
// selection's preview reads CurrentWad and replaces the playing clip, which a
// newer preview is meant to do; neither frees what a running command uses.
#include <windows.h>

#include <commctrl.h>

#include <memory>
#include <type_traits>
#include <vector>

#include "core/compressed_block.h"
#include "shell/commands.h"
#include "shell/list_view_win.h"
#include "shell/mode_state.h"
#include "shell/shell.h"

namespace kv {

namespace {

bool command_running = false;
// Windows whose close was asked for while a command ran.
std::vector<HWND> held_closes;

// The font of every child control: 15 units high, everything else the font
// mapper's default. Made once and shared; it lives as long as the process.
struct FontDeleter {
  void operator()(HFONT font) const { DeleteObject(font); }
};
using FontHandle = std::unique_ptr<std::remove_pointer_t<HFONT>, FontDeleter>;

HFONT ChildFont() {
  static const FontHandle font(CreateFontA(15, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, nullptr));
  return font.get();
}

// Sets the cursor that the window under the mouse asks for, as a move of
// the mouse would: the wait cursor over our windows while a command runs.
void RefreshCursor() {
  POINT point{};
  GetCursorPos(&point);
  HWND under = WindowFromPoint(point);
  DWORD process = 0;
  if (under == nullptr || (GetWindowThreadProcessId(under, &process), process != GetCurrentProcessId()))
    return;
  const auto hit = static_cast<WORD>(SendMessageA(under, WM_NCHITTEST, 0, MAKELPARAM(point.x, point.y)));
  SendMessageA(under, WM_SETCURSOR, reinterpret_cast<WPARAM>(under), MAKELPARAM(hit, WM_MOUSEMOVE));
}

// Runs one command unless another one is running; see the notes at the top.
// The program stays single-threaded, so nothing is drawn while the command
// works: the wait cursor shows that it does, and once it has returned every
// window of ours repaints what it changed at once.
template <typename Command> void RunCommand(Command command) {
  if (command_running) return;
  command_running = true;
  RefreshCursor();
  command();
  command_running = false;
  RefreshCursor();
  for (HWND window : {MainWindow, GetParent(SetNamesTree)})
    if (window != nullptr && IsWindow(window))
      RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  std::vector<HWND> closes;
  closes.swap(held_closes);
  for (HWND window : closes)
    if (IsWindow(window)) PostMessageA(window, WM_CLOSE, 0, 0);
}

// 212 to 214 are plain check boxes: the mark changes only here.
void ToggleCheckBox(HWND box) {
  const LRESULT state = SendMessageA(box, BM_GETCHECK, 0, 0);
  SendMessageA(box, BM_SETCHECK, state == BST_UNCHECKED ? BST_CHECKED : BST_UNCHECKED, 0);
}

void RunCommandId(HWND window, int id, HWND sender) {
  switch (id) {
  case kCmdWadViewer: ShowWadViewer(window); break;
  case kCmdBack: ShowMainMenu(window); break;
  case kCmdDecompressFile: DecompressFile(); break;
  case kCmdExtractAll: ExtractAll(window); break;
  case kCmdExtractSelection: ExtractSelection(window); break;
  case kCmdExportCommentary: ExportCommentary(window); break;
  case kCmdClassicCommentary: ShowCommentaryWindow(window); break;
  case kCmdStarPlayerNames:
  case kCmdThrowerNames:
  case kCmdTeamNames:
    ToggleCheckBox(sender);
    RecountExclusions(window);
    break;
  case kCmdPreviewCommentary: PreviewCommentary(); break;
  case kCmdSlotTeamA:
  case kCmdSlotTeamB:
  case kCmdSlotCaptainA:
  case kCmdSlotCaptainB:
  case kCmdSlotThrower:
  case kCmdSlotReceiver: SetNameSlotFromTree(*NameSlotOfCommand(id)); break;
  case kCmdSetNames: ShowSetNamesWindow(); break;
  case kCmdExportRemix: ExtractRemix(window); break;
  case kCmdPreviewRemix: PreviewRemix(); break;
  case kCmdRemixedCommentary: ShowRemixWindow(window); break;
  case kCmdCelToBmp: cel_to_bmp(window); break;
  default: break; // 203, 207 to 210: the controls keep their own state, read when used
  }
}

// Only the main window's end ends the program; a Set Names window's does not.
LRESULT OnDestroy(HWND window) {
  if (window == MainWindow) PostQuitMessage(0);
  return 0;
}

// A close asked for while a command waits on the user would pull the
// command's data from under it; it is held until the command returns.
LRESULT OnClose(HWND window) {
  if (command_running) {
    held_closes.push_back(window);
    return 0;
  }
  return DefWindowProcA(window, WM_CLOSE, 0, 0);
}

// Every button of every screen; the notification code is not looked at.
LRESULT OnCommand(HWND window, WPARAM wparam, LPARAM lparam) {
  const int id = LOWORD(wparam);
  if (id < kCmdFirst || id > kCmdLast) return 0;
  RunCommand([&] { RunCommandId(window, id, reinterpret_cast<HWND>(lparam)); });
  return 0;
}

// Successive clicks on one column alternate between the two orders: a sort
// that moved nothing was already ascending.
LRESULT OnColumnClick(const NMLISTVIEW& click) {
  RunCommand([&] {
    if (!SortListByColumn(click.hdr.hwndFrom, click.iSubItem, true))
      SortListByColumn(click.hdr.hwndFrom, click.iSubItem, false);
  });
  return 0;
}

// Expanding a name group also selects it, and so plays its sound.
LRESULT OnTreeExpanding(const NMTREEVIEWA& change) {
  if (change.action == TVE_EXPAND)
    SendMessageA(change.hdr.hwndFrom, TVM_SELECTITEM, TVGN_CARET,
                 reinterpret_cast<LPARAM>(change.itemNew.hItem));
  return 0;
}

LRESULT OnTreeSelectionChanged(const NMTREEVIEWA& change) {
  PreviewNameSound(change.itemNew);
  return 0;
}

LRESULT OnNotify(HWND window, WPARAM wparam, LPARAM lparam) {
  const auto& header = *reinterpret_cast<const NMHDR*>(lparam);
  switch (header.code) {
  case LVN_GETDISPINFOA: ServeListCell(*reinterpret_cast<NMLVDISPINFOA*>(lparam)); return 0;
  case LVN_ODFINDITEMA: return FindListRow(*reinterpret_cast<const NMLVFINDITEMA*>(lparam));
  case LVN_ODFINDITEMW: return FindListRow(*reinterpret_cast<const NMLVFINDITEMW*>(lparam));
  case LVN_COLUMNCLICK: return OnColumnClick(*reinterpret_cast<const NMLISTVIEW*>(lparam));
  case TVN_ITEMEXPANDINGA: return OnTreeExpanding(*reinterpret_cast<const NMTREEVIEWA*>(lparam));
  case TVN_SELCHANGEDA: return OnTreeSelectionChanged(*reinterpret_cast<const NMTREEVIEWA*>(lparam));
  case TVN_DELETEITEMA:
    ReleaseTreeItemKey(reinterpret_cast<const NMTREEVIEWA*>(lparam)->itemOld.lParam);
    return 0;
  default: return DefWindowProcA(window, WM_NOTIFY, wparam, lparam);
  }
}

// Every control of every screen shows the tool's font from its creation on.
LRESULT OnParentNotify(HWND window, WPARAM wparam, LPARAM lparam) {
  if (LOWORD(wparam) != WM_CREATE) return DefWindowProcA(window, WM_PARENTNOTIFY, wparam, lparam);
  SendMessageA(reinterpret_cast<HWND>(lparam), WM_SETFONT, reinterpret_cast<WPARAM>(ChildFont()), FALSE);
  return 0;
}

} // namespace

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
  case WM_DESTROY: return OnDestroy(window);
  case WM_CLOSE: return OnClose(window);
  case WM_COMMAND: return OnCommand(window, wparam, lparam);
  case WM_NOTIFY: return OnNotify(window, wparam, lparam);
  case WM_PARENTNOTIFY: return OnParentNotify(window, wparam, lparam);
  case WM_SETCURSOR:
    // Over every control too: a child hands the question to its parent first.
    if (command_running) {
      SetCursor(LoadCursorA(nullptr, IDC_WAIT));
      return TRUE;
    }
    return DefWindowProcA(window, message, wparam, lparam);
  default: return DefWindowProcA(window, message, wparam, lparam);
  }
}

} // namespace kv
