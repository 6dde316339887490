// The controls that every mode builds inside the main window: child
// controls from a position and a command, and the mode's report list with
// the row access that its commands need.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <span>
#include <string>

namespace kv {

HWND CreateChild(HWND parent, const char* window_class, const std::string& text, DWORD style, int x, int y,
                 int width, int height, int id = 0);

struct ListColumn {
  const char* caption;
  int format;
  int width;
};

// The mode's list: a report view with a dialog frame and full-row selection,
// from y 150 to 20 pixels above the client area's bottom, across its width
// (taken once: it does not follow the window). It becomes CurrentListView.
HWND CreateModeList(HWND window, std::span<const ListColumn> columns, DWORD style);

int RowCount(HWND list);
// A cell's whole text, however long.
std::string CellText(HWND list, int row, int column);
void SetCellText(HWND list, int row, int column, const std::string& text);
void SetRowState(HWND list, int row, UINT mask, UINT state);
// Appends a row with `text` in its first column and `data` as its item data;
// its index, or -1.
int AppendRow(HWND list, const std::string& text, LPARAM data = 0);
// The first selected row from the top, or -1.
int FirstSelectedRow(HWND list);
LPARAM RowData(HWND list, int row);

} // namespace kv
