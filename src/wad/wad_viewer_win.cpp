// The WAD viewer mode of the main window: the archive's directory in a list,
// the overwrite choice, the SFX conversion box, the two extract commands, and
// the column sort that every list of the program gets from a header click.
//
// The list's rows are the viewer's only copy of the directory: the extract
// commands take the rows' entry names in the order the rows stand in, so a
// sort decides the order of extraction. The Name cell shows the name in the
// process's code page; the row's record keeps the entry's own bytes, by
// which the extraction finds it. The commentary and remix rows hold records
// of their own, and the sort moves every record with its row.
#include <windows.h>

#include <commctrl.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/file_services.h"
#include "core/text_encoding.h"
#include "platform/platform.h"
#include "shell/commands.h"
#include "shell/list_view_win.h"
#include "shell/mode_state.h"
#include "shell/shell.h"
#include "wad/current_wad.h"
#include "wad/list_sort.h"
#include "wad/wad_archive.h"
#include "wad/wad_extract.h"

namespace kv {
namespace {

constexpr char kOpenTitle[] = "Select Kroll WAD file";
constexpr std::uint32_t kOpenFlags = platform::kOfnExplorer | platform::kOfnFileMustExist;

constexpr ListColumn kColumns[] = {
    {"Name", LVCFMT_LEFT, 200},  {"Type", LVCFMT_LEFT, 65},          {"Compressed Size", LVCFMT_RIGHT, 125},
    {"Size", LVCFMT_RIGHT, 125}, {"Data Offset", LVCFMT_RIGHT, 125},
};

// The radio buttons in the order they are looked at: a later checked one
// overrides an earlier one, and none checked means Ask.
struct OverwriteChoice {
  int id;
  OverwriteMode mode;
};
constexpr OverwriteChoice kOverwriteChoices[] = {
    {kCmdAskOverwrite, Ask},
    {kCmdSkipExisting, Skip},
    {kCmdOverwrite, Overwrite},
};

// Numbers show as signed 32-bit values: 2^31 and above carry a minus sign.
std::string SignedText(std::uint32_t value) {
  return std::to_string(static_cast<std::int32_t>(value));
}

// ------------------------------------------------------------ list access

// What a row keeps of its entry: the name as the archive holds it.
struct WadRow : RowRecord {
  explicit WadRow(std::string entry_name) : name(std::move(entry_name)) {}
  std::string name;
};

// The entry names of the rows that `flags` visit, in row order.
std::vector<std::string> NamesOfRows(HWND list, UINT flags) {
  std::vector<std::string> names;
  for (const int row : RowsWith(list, flags))
    if (const auto* record = dynamic_cast<const WadRow*>(RecordOfRow(list, row)))
      names.push_back(record->name);
  return names;
}

// What the radio buttons and the conversion box say right now.
ExtractSettings ReadExtractSettings(HWND window) {
  ExtractSettings settings;
  settings.mode = Ask;
  for (const OverwriteChoice& choice : kOverwriteChoices)
    if (IsDlgButtonChecked(window, choice.id) == BST_CHECKED) settings.mode = choice.mode;
  settings.convert_sfx = IsDlgButtonChecked(window, kCmdConvertSfx) == BST_CHECKED;
  return settings;
}

// ------------------------------------------------------------ Ctrl+A

// Selects every row, with row 0 as the anchor and the last row focused and
// in view. Done through item states rather than synthetic clicks, which the
// list would take for the start of a drag.
void SelectEveryRow(HWND list) {
  const int rows = RowCount(list);
  if (rows == 0) return;
  const int last = rows - 1;
  // One repaint for the whole list instead of one per row.
  SendMessageA(list, WM_SETREDRAW, FALSE, 0);
  SetRowState(list, -1, LVIS_SELECTED, LVIS_SELECTED);
  SetRowState(list, last, LVIS_FOCUSED, LVIS_FOCUSED);
  SendMessageA(list, LVM_SETSELECTIONMARK, 0, 0);
  SendMessageA(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
  SendMessageA(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(last), FALSE);
}

// Takes Ctrl+A and hands everything else on to the list view's own procedure.
LRESULT CALLBACK WadListProc(HWND list, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR, DWORD_PTR) {
  // Ctrl+A arrives as the character 1; it is consumed even on an empty list.
  if (message == WM_CHAR && wparam == 1) {
    SelectEveryRow(list);
    return 0;
  }
  if (message == WM_NCDESTROY) RemoveWindowSubclass(list, WadListProc, 0);
  return DefSubclassProc(list, message, wparam, lparam);
}

// ------------------------------------------------------------ building

void CreateViewerControls(HWND window, const std::string& file_name, std::uint32_t file_size,
                          std::uint32_t entry_count) {
  CreateChild(window, "Button", "< Back", BS_PUSHBUTTON, 10, 10, 150, 24, kCmdBack);
  CreateChild(window, "Button", "Extract All", BS_PUSHBUTTON, 210, 10, 150, 24, kCmdExtractAll);
  CreateChild(window, "Button", "Extract Selection", BS_PUSHBUTTON, 210, 40, 150, 24, kCmdExtractSelection);
  HWND convert = CreateChild(window, "BUTTON", "Convert SFX to WAV when extracting", BS_AUTOCHECKBOX, 210, 90,
                             275, 20, kCmdConvertSfx);
  SendMessageA(convert, BM_SETCHECK, BST_CHECKED, 0);
  CreateChild(window, "BUTTON", "Overwrite Mode", BS_GROUPBOX, 10, 40, 190, 90);
  HWND ask = CreateChild(window, "BUTTON", "Ask before overwrite", BS_AUTORADIOBUTTON, 15, 60, 180, 20,
                         kCmdAskOverwrite);
  SendMessageA(ask, BM_SETCHECK, BST_CHECKED, 0);
  CreateChild(window, "BUTTON", "Overwrite without prompt", BS_AUTORADIOBUTTON, 15, 80, 180, 20,
              kCmdOverwrite);
  CreateChild(window, "BUTTON", "Skip existing files", BS_AUTORADIOBUTTON, 15, 100, 180, 20,
              kCmdSkipExisting);
  CreateChild(window, "BUTTON", file_name, BS_GROUPBOX, 410, 10, 190, 60);
  CreateChild(window, "STATIC", "Size: " + std::to_string(file_size) + " bytes", SS_SIMPLE, 415, 30, 150, 20);
  CreateChild(window, "STATIC", "Contains: " + std::to_string(entry_count) + " files", SS_SIMPLE, 415, 50,
              150, 20);
}

// Ctrl+A goes to the list's subclass procedure.
HWND CreateWadList(HWND window) {
  HWND list = CreateModeList(window, kColumns, LVS_SHOWSELALWAYS);
  SetWindowSubclass(list, WadListProc, 0, 0);
  return list;
}

// One row per record, in directory order.
void FillWadList(HWND list, const std::vector<WadEntry>& entries) {
  std::vector<ListRow> rows;
  rows.reserve(entries.size());
  for (const WadEntry& entry : entries)
    // A declared size that lies outside the file is unknown.
    rows.push_back({{SystemText(entry.name), entry.type, SignedText(entry.compressed_size),
                     entry.size ? SignedText(*entry.size) : "?", SignedText(entry.data_offset)},
                    std::make_unique<WadRow>(entry.name)});
  SetListRows(list, std::move(rows));
}

} // namespace

void ShowWadViewer(HWND window) {
  platform::FileDialog open;
  open.title = kOpenTitle;
  open.filters = {{"*.WAD", "*.WAD"}, {"All Files", "*"}};
  open.flags = kOpenFlags;
  const std::optional<std::string> path = platform::ShowOpenDialog(open);
  if (!path) return;
  std::optional<LoadedFile> loaded = LoadFile(*path);
  if (!loaded) return;
  // An archive whose directory does not fit is refused before the menu goes.
  const std::string file_name = platform::FileNameOf(*path);
  if (!AcceptWadImage(loaded->bytes(), file_name)) return;

  ClearChildWindows(window);
  const WadImage image = loaded->bytes();
  CreateViewerControls(window, file_name, loaded->size(), WadEntryCount(image));
  HWND list = CreateWadList(window);
  FillWadList(list, ReadWadDirectory(image));
  SetCurrentWad(std::move(*loaded), file_name);
}

void ExtractAll(HWND window) {
  const std::vector<std::string> names = NamesOfRows(CurrentListView, LVNI_ALL);
  ExtractAllRows(window, names, ExtractSettingsNow([window] { return ReadExtractSettings(window); }));
}

void ExtractSelection(HWND window) {
  const std::vector<std::string> names = NamesOfRows(CurrentListView, LVNI_SELECTED);
  ExtractSelectedRows(window, names, ExtractSettingsNow([window] { return ReadExtractSettings(window); }));
}

// The rows are reordered in the program's table, in one step; a row that
// the sort moved comes back unselected and unfocused.
bool SortListByColumn(HWND list, int column, bool ascending) {
  const int rows = RowCount(list);
  if (rows < 2) return false;
  const ColumnLayout layout = ReadColumnLayout(list, column);
  if (column < 0 || column >= layout.count) return false;

  std::vector<std::string> texts;
  texts.reserve(static_cast<std::size_t>(rows));
  for (int row = 0; row < rows; ++row)
    texts.push_back(CellText(list, row, column));
  const ColumnSort sort = PlanColumnSort(texts, layout.right_aligned, ascending);
  if (sort.moved) ReorderRows(list, sort.order, sort.moved_rows);
  return sort.moved;
}

} // namespace kv
