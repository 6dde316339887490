// The Set Names window: a second top-level window of the main window's class,
// whose tree shows the teams and players of the name lists. Selecting an item
// speaks its name; the six buttons store its key into a name slot.
//
// Each tree item owns a copy of its entry's key through its item data (none
// for "Free Agents"), released when the tree deletes the item. An older Set
// Names window may outlive the name lists it was filled from, so its items
// never point into the table.
#include <windows.h>

#include <commctrl.h>

#include <memory>

#include "commentary/commentary_sound.h"
#include "commentary/name_lists.h"
#include "commentary/name_slots.h"
#include "core/text_encoding.h"
#include "media/sound_clip.h"
#include "shell/commands.h"
#include "shell/list_view_win.h"
#include "shell/mode_state.h"
#include "shell/shell.h"
#include "wad/current_wad.h"

namespace kv {
namespace {

constexpr DWORD kSetNamesStyle = WS_VISIBLE | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr DWORD kTreeStyle =
    TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS | WS_DLGFRAME;

const NameKey* KeyOf(LPARAM data) {
  return reinterpret_cast<const NameKey*>(data);
}

HTREEITEM AppendItem(HWND tree, HTREEITEM parent, const NameListItem& entry) {
  TVINSERTSTRUCTA insert{};
  insert.hParent = parent;
  insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_CHILDREN;
  const std::string text = SystemText(entry.text);
  insert.item.pszText = const_cast<char*>(text.c_str());
  insert.item.cChildren = entry.isGroup ? 1 : 0;
  // The item owns its key from here on; TVN_DELETEITEM gives it back.
  insert.item.lParam =
      entry.key ? reinterpret_cast<LPARAM>(std::make_unique<NameKey>(*entry.key).release()) : 0;
  const auto item =
      reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
  if (item == nullptr) ReleaseTreeItemKey(insert.item.lParam);
  return item;
}

// Drawing waits for the last name, so that a long list is not repainted
// once per name.
void FillNameTree(HWND tree) {
  SendMessageA(tree, WM_SETREDRAW, FALSE, 0);
  HTREEITEM group = TVI_ROOT;
  for (const NameListItem& entry : NameListTable()) {
    HTREEITEM item = AppendItem(tree, entry.isGroup ? TVI_ROOT : group, entry);
    if (entry.isGroup) group = item;
  }
  SendMessageA(tree, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(tree, nullptr, TRUE);
}

} // namespace

void ReleaseTreeItemKey(LPARAM data) {
  std::unique_ptr<const NameKey> key(KeyOf(data));
}

void ShowSetNamesWindow() {
  HWND window = CreateWindowExA(0, kMainClassName, "Set Names", kSetNamesStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                                700, 500, nullptr, nullptr, Instance, nullptr);
  if (window == nullptr) return;
  CreateChild(window, "Button", "Set Current Selection As: ", BS_GROUPBOX, 510, 10, 170, 300);
  for (int y = 40; const NameSlotInfo& slot : kNameSlots) {
    CreateChild(window, "Button", slot.button, BS_PUSHBUTTON, 525, y, 125, 25, slot.command);
    y += 30;
  }
  HWND tree = CreateChild(window, WC_TREEVIEWA, "Tree View", kTreeStyle, 0, 0, 500, 450);
  SetNamesTree = tree;
  SendMessageA(tree, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(SYSTEM_FIXED_FONT)), TRUE);
  FillNameTree(tree);
}

void SetNameSlotFromTree(NameSlot slot) {
  if (SetNamesTree == nullptr || !IsWindow(SetNamesTree)) return;
  TVITEMA item{};
  item.hItem = reinterpret_cast<HTREEITEM>(SendMessageA(SetNamesTree, TVM_GETNEXTITEM, TVGN_CARET, 0));
  if (item.hItem == nullptr) return; // nothing selected: nothing to store
  item.mask = TVIF_PARAM | TVIF_CHILDREN;
  if (!SendMessageA(SetNamesTree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item))) return;
  const NameKey* key = KeyOf(item.lParam);
  SetNameSlot(slot, key == nullptr ? std::nullopt : std::optional<NameKey>(*key), item.cChildren != 0,
              SetNamesTree);
}

void PreviewNameSound(const TVITEMA& item) {
  const NameKey* key = KeyOf(item.lParam);
  const HeldWad* voice = CurrentWad();
  if (key == nullptr || voice == nullptr) return;
  if (std::optional<WavImage> sound = BuildNameSound(*key, voice->image())) PlaySoundClip(std::move(sound));
}

} // namespace kv
