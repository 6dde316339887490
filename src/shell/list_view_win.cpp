#include "shell/list_view_win.h"

#include <algorithm>
#include <unordered_map>

#include "core/text_encoding.h"
#include "shell/shell.h"

namespace kv {
namespace {
constexpr int kListTop = 150;
constexpr int kListBottomMargin = 20;
constexpr UINT kCarriedStates = LVIS_SELECTED | LVIS_FOCUSED;

// The rows of every mode list that exists, by its window.
std::unordered_map<HWND, std::vector<ListRow>>& Tables() {
  static std::unordered_map<HWND, std::vector<ListRow>> tables;
  return tables;
}

std::vector<ListRow>* RowsOf(HWND list) {
  const auto found = Tables().find(list);
  return found == Tables().end() ? nullptr : &found->second;
}

const std::string* CellOf(HWND list, int row, int column) {
  const std::vector<ListRow>* rows = RowsOf(list);
  if (rows == nullptr || row < 0 || static_cast<std::size_t>(row) >= rows->size() || column < 0)
    return nullptr;
  const std::vector<std::string>& cells = (*rows)[static_cast<std::size_t>(row)].cells;
  return static_cast<std::size_t>(column) < cells.size() ? &cells[static_cast<std::size_t>(column)] : nullptr;
}

// The rows and their records end with the list.
LRESULT CALLBACK ModeListProc(HWND list, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR, DWORD_PTR) {
  if (message == WM_NCDESTROY) {
    Tables().erase(list);
    RemoveWindowSubclass(list, ModeListProc, 0);
  }
  return DefSubclassProc(list, message, wparam, lparam);
}

// What typing finds: the first row from `start` on (then from the top, when
// `wrap`) whose name begins with `typed` (or is it, unless `partial`), ASCII
// case ignored.
int FindRowByName(HWND list, int start, std::string_view typed, bool partial, bool wrap) {
  const std::vector<ListRow>* rows = RowsOf(list);
  if (rows == nullptr || rows->empty()) return -1;
  const std::string key = FoldAsciiCase(std::string(typed));
  const auto matches = [&](const ListRow& row) {
    if (row.cells.empty()) return key.empty();
    const std::string& name = row.cells[0];
    if (partial ? name.size() < key.size() : name.size() != key.size()) return false;
    return FoldAsciiCase(name.substr(0, key.size())) == key;
  };
  const auto count = static_cast<int>(rows->size());
  const int first = std::clamp(start, 0, count);
  for (int row = first; row < count; ++row)
    if (matches((*rows)[static_cast<std::size_t>(row)])) return row;
  for (int row = 0; wrap && row < first; ++row)
    if (matches((*rows)[static_cast<std::size_t>(row)])) return row;
  return -1;
}

} // namespace

HWND CreateChild(HWND parent, const char* window_class, const std::string& text, DWORD style, int x, int y,
                 int width, int height, int id) {
  return CreateWindowExA(0, window_class, text.c_str(), WS_CHILD | WS_VISIBLE | style, x, y, width, height,
                         parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), Instance, nullptr);
}

HWND CreateModeList(HWND window, std::span<const ListColumn> columns, DWORD style) {
  RECT client{};
  GetClientRect(window, &client);
  HWND list = CreateChild(window, WC_LISTVIEWA, "", WS_DLGFRAME | LVS_REPORT | LVS_OWNERDATA | style, 0,
                          kListTop, client.right, client.bottom - kListBottomMargin - kListTop);
  CurrentListView = list;
  if (list == nullptr) return nullptr;
  Tables()[list];
  SetWindowSubclass(list, ModeListProc, 0, 0);
  SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
  for (int index = 0; const ListColumn& column : columns) {
    LVCOLUMNA description{};
    description.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    description.fmt = column.format;
    description.cx = column.width;
    description.pszText = const_cast<char*>(column.caption);
    description.iSubItem = index;
    SendMessageA(list, LVM_INSERTCOLUMNA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&description));
    ++index;
  }
  return list;
}

void SetListRows(HWND list, std::vector<ListRow> rows) {
  std::vector<ListRow>* table = RowsOf(list);
  if (table == nullptr) return;
  *table = std::move(rows);
  SendMessageA(list, LVM_SETITEMCOUNT, table->size(), 0);
  InvalidateRect(list, nullptr, TRUE);
}

int RowCount(HWND list) {
  const std::vector<ListRow>* rows = RowsOf(list);
  return rows == nullptr ? 0 : static_cast<int>(rows->size());
}

std::string CellText(HWND list, int row, int column) {
  const std::string* cell = CellOf(list, row, column);
  return cell == nullptr ? std::string() : *cell;
}

void SetCellText(HWND list, int row, int column, std::string text) {
  std::vector<ListRow>* rows = RowsOf(list);
  if (rows == nullptr || row < 0 || static_cast<std::size_t>(row) >= rows->size() || column < 0) return;
  std::vector<std::string>& cells = (*rows)[static_cast<std::size_t>(row)].cells;
  if (cells.size() <= static_cast<std::size_t>(column)) cells.resize(static_cast<std::size_t>(column) + 1);
  cells[static_cast<std::size_t>(column)] = std::move(text);
}

RowRecord* RecordOfRow(HWND list, int row) {
  std::vector<ListRow>* rows = RowsOf(list);
  if (rows == nullptr || row < 0 || static_cast<std::size_t>(row) >= rows->size()) return nullptr;
  return (*rows)[static_cast<std::size_t>(row)].record.get();
}

void SetRowState(HWND list, int row, UINT mask, UINT state) {
  LVITEMA item{};
  item.stateMask = mask;
  item.state = state;
  SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

std::vector<int> RowsWith(HWND list, UINT flags) {
  std::vector<int> rows;
  if (list == nullptr || !IsWindow(list)) return rows;
  for (int row = -1; (row = static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(row),
                                                          MAKELPARAM(flags, 0)))) >= 0;)
    rows.push_back(row);
  return rows;
}

int FirstSelectedRow(HWND list) {
  if (list == nullptr || !IsWindow(list)) return -1;
  return static_cast<int>(
      SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), MAKELPARAM(LVNI_SELECTED, 0)));
}

// The columns are counted by asking for one index after another until the
// list has none.
ColumnLayout ReadColumnLayout(HWND list, int column) {
  ColumnLayout layout;
  for (;; ++layout.count) {
    LVCOLUMNA description{};
    description.mask = LVCF_FMT;
    if (!SendMessageA(list, LVM_GETCOLUMNA, static_cast<WPARAM>(layout.count),
                      reinterpret_cast<LPARAM>(&description)))
      break;
    if (layout.count == column) layout.right_aligned = (description.fmt & LVCFMT_JUSTIFYMASK) == LVCFMT_RIGHT;
  }
  return layout;
}

void ReorderRows(HWND list, std::span<const std::size_t> order, const std::vector<bool>& unselect) {
  std::vector<ListRow>* rows = RowsOf(list);
  if (rows == nullptr || order.size() != rows->size() || unselect.size() != rows->size()) return;
  std::vector<std::size_t> position(order.size());
  std::vector<ListRow> reordered(order.size());
  for (std::size_t k = 0; k < order.size(); ++k) {
    position[order[k]] = k;
    reordered[k] = std::move((*rows)[order[k]]);
  }
  *rows = std::move(reordered);

  // The selection that stays, at the rows' new places. Setting it row by row
  // costs one message a row: whichever of "select these" and "select all,
  // then unselect the others" needs fewer is taken.
  std::vector<bool> selected(order.size(), false);
  std::size_t kept = 0;
  for (const int row : RowsWith(list, LVNI_SELECTED))
    if (!unselect[static_cast<std::size_t>(row)]) {
      selected[position[static_cast<std::size_t>(row)]] = true;
      ++kept;
    }
  const int focused = static_cast<int>(
      SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), MAKELPARAM(LVNI_FOCUSED, 0)));
  const bool select_all = kept > order.size() / 2 && (GetWindowLongA(list, GWL_STYLE) & LVS_SINGLESEL) == 0;

  SendMessageA(list, WM_SETREDRAW, FALSE, 0);
  SetRowState(list, -1, kCarriedStates, select_all ? LVIS_SELECTED : 0);
  for (std::size_t k = 0; k < selected.size(); ++k)
    if (selected[k] != select_all)
      SetRowState(list, static_cast<int>(k), LVIS_SELECTED, selected[k] ? LVIS_SELECTED : 0);
  if (focused >= 0 && !unselect[static_cast<std::size_t>(focused)])
    SetRowState(list, static_cast<int>(position[static_cast<std::size_t>(focused)]), LVIS_FOCUSED,
                LVIS_FOCUSED);
  SendMessageA(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
}

void ServeListCell(NMLVDISPINFOA& request) {
  LVITEMA& item = request.item;
  if ((item.mask & LVIF_TEXT) == 0 || item.pszText == nullptr || item.cchTextMax <= 0) return;
  const std::string* cell = CellOf(request.hdr.hwndFrom, item.iItem, item.iSubItem);
  const std::size_t length =
      cell == nullptr ? 0 : std::min(cell->size(), static_cast<std::size_t>(item.cchTextMax) - 1);
  if (length > 0) std::copy_n(cell->data(), length, item.pszText);
  item.pszText[length] = '\0';
}

int FindListRow(const NMLVFINDITEMA& request) {
  const LVFINDINFOA& find = request.lvfi;
  if ((find.flags & (LVFI_STRING | LVFI_PARTIAL)) == 0 || find.psz == nullptr) return -1;
  return FindRowByName(request.hdr.hwndFrom, request.iStart, find.psz, (find.flags & LVFI_PARTIAL) != 0,
                       (find.flags & LVFI_WRAP) != 0);
}

int FindListRow(const NMLVFINDITEMW& request) {
  const LVFINDINFOW& find = request.lvfi;
  if ((find.flags & (LVFI_STRING | LVFI_PARTIAL)) == 0 || find.psz == nullptr) return -1;
  const int size = WideCharToMultiByte(CP_ACP, 0, find.psz, -1, nullptr, 0, nullptr, nullptr);
  std::string typed(static_cast<std::size_t>(std::max(size, 1)), '\0');
  WideCharToMultiByte(CP_ACP, 0, find.psz, -1, typed.data(), size, nullptr, nullptr);
  typed.resize(typed.find('\0'));
  return FindRowByName(request.hdr.hwndFrom, request.iStart, typed, (find.flags & LVFI_PARTIAL) != 0,
                       (find.flags & LVFI_WRAP) != 0);
}

} // namespace kv
