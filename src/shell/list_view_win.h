// The controls that every mode builds inside the main window: child
// controls from a position and a command, and the mode's report list.
//
// A mode's list keeps no rows of its own: it is an owner-data list view, and
// its rows (their cells' texts and the record each row stands for) are kept
// here, in the order they are shown. The list asks for the cells it draws
// through LVN_GETDISPINFO, which the main window hands to ServeListCell. So
// filling a list is one count, a sort is one reordering of a table, and
// reading a row costs the same at row 65,534 as at row 0; the list itself
// keeps only which rows are selected and focused.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <memory>
#include <span>
#include <string>
#include <vector>

#include "shell/mode_state.h"

namespace kv {

HWND CreateChild(HWND parent, const char* window_class, const std::string& text, DWORD style, int x, int y,
                 int width, int height, int id = 0);

struct ListColumn {
  const char* caption;
  int format;
  int width;
};

// One row of a mode's list: the texts of its cells from the first column on
// (missing ones are empty), and what the row stands for, owned by the row.
struct ListRow {
  std::vector<std::string> cells;
  std::unique_ptr<RowRecord> record;
};

// The mode's list: an owner-data report view with a dialog frame and
// full-row selection, from y 150 to 20 pixels above the client area's bottom,
// across its width (taken once: it does not follow the window). It becomes
// CurrentListView; its rows and their records go with it.
HWND CreateModeList(HWND window, std::span<const ListColumn> columns, DWORD style);

// Makes `rows` the list's rows, in order, and shows them in one repaint.
void SetListRows(HWND list, std::vector<ListRow> rows);

int RowCount(HWND list);
// A cell's whole text, however long; "" outside the list.
std::string CellText(HWND list, int row, int column);
// The list shows the new text when it next repaints the row: a caller that
// changes cells invalidates the list once when it is done (a repaint asked
// for each cell costs Wine more than the change itself).
void SetCellText(HWND list, int row, int column, std::string text);
// The record of a row, still owned by the row; null outside the list.
RowRecord* RecordOfRow(HWND list, int row);
void SetRowState(HWND list, int row, UINT mask, UINT state);
// The rows that LVM_GETNEXTITEM visits with `flags` (LVNI_SELECTED, ...), top first.
std::vector<int> RowsWith(HWND list, UINT flags);
// The first selected row from the top, or -1.
int FirstSelectedRow(HWND list);

// The columns' count, and whether `column` is right-aligned (a number column).
struct ColumnLayout {
  int count = 0;
  bool right_aligned = false;
};
ColumnLayout ReadColumnLayout(HWND list, int column);

// Shows the rows in a new order: the row at position k becomes the one that
// stood at order[k]. A row for which `unselect` is true comes back unselected
// and unfocused; every other row keeps its selection and focus.
void ReorderRows(HWND list, std::span<const std::size_t> order, const std::vector<bool>& unselect);

// The list's side of the notifications that its parent receives: the text of
// a cell it draws, and the row that typing a name's first letters finds.
void ServeListCell(NMLVDISPINFOA& request);
int FindListRow(const NMLVFINDITEMA& request);
int FindListRow(const NMLVFINDITEMW& request);

} // namespace kv
