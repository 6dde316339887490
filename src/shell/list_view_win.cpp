#include "shell/list_view_win.h"

#include "shell/mode_state.h"
#include "shell/shell.h"

namespace kv {
namespace {
constexpr int kListTop = 150;
constexpr int kListBottomMargin = 20;
} // namespace

HWND CreateChild(HWND parent, const char* window_class, const std::string& text, DWORD style, int x, int y,
                 int width, int height, int id) {
  return CreateWindowExA(0, window_class, text.c_str(), WS_CHILD | WS_VISIBLE | style, x, y, width, height,
                         parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), Instance, nullptr);
}

HWND CreateModeList(HWND window, std::span<const ListColumn> columns, DWORD style) {
  RECT client{};
  GetClientRect(window, &client);
  HWND list = CreateChild(window, WC_LISTVIEWA, "", WS_DLGFRAME | LVS_REPORT | style, 0, kListTop,
                          client.right, client.bottom - kListBottomMargin - kListTop);
  CurrentListView = list;
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

int RowCount(HWND list) {
  return static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
}

std::string CellText(HWND list, int row, int column) {
  // The buffer grows until the text fits.
  std::string room(256, '\0');
  for (;;) {
    LVITEMA item{};
    item.iSubItem = column;
    item.pszText = room.data();
    item.cchTextMax = static_cast<int>(room.size());
    const auto length = static_cast<std::size_t>(
        SendMessageA(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item)));
    if (length + 1 < room.size()) return std::string(item.pszText, length);
    room.assign(room.size() * 2, '\0');
  }
}

void SetCellText(HWND list, int row, int column, const std::string& text) {
  LVITEMA item{};
  item.iSubItem = column;
  item.pszText = const_cast<char*>(text.c_str());
  SendMessageA(list, LVM_SETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

void SetRowState(HWND list, int row, UINT mask, UINT state) {
  LVITEMA item{};
  item.stateMask = mask;
  item.state = state;
  SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

int AppendRow(HWND list, const std::string& text, LPARAM data) {
  LVITEMA item{};
  item.mask = LVIF_TEXT | LVIF_PARAM;
  item.iItem = RowCount(list);
  item.pszText = const_cast<char*>(text.c_str());
  item.lParam = data;
  return static_cast<int>(SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)));
}

int FirstSelectedRow(HWND list) {
  if (list == nullptr || !IsWindow(list)) return -1;
  return static_cast<int>(
      SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), MAKELPARAM(LVNI_SELECTED, 0)));
}

LPARAM RowData(HWND list, int row) {
  LVITEMA item{};
  item.mask = LVIF_PARAM;
  item.iItem = row;
  return SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)) ? item.lParam : 0;
}

} // namespace kv
