// The commands and notifications that MainWndProc hands to the modes. Each
// mode's window file defines its own.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include "commentary/comment_tok.h"
#include "commentary/name_slots.h"

namespace kv {

// WAD viewer.
void ShowWadViewer(HWND window);    // 200: pick an archive and list it
void ExtractAll(HWND window);       // 204
void ExtractSelection(HWND window); // 205

// Classic commentary.
void ShowCommentaryWindow(HWND window); // 211
void ExportCommentary(HWND window);     // 206
void RecountExclusions(HWND window);    // 212 to 214, after the box's mark was toggled
void PreviewCommentary();               // 215
void ShowSetNamesWindow();              // 222
// Whether the line is left out by the check boxes of `window`, as they are now.
bool IsLineExcluded(const CommentaryLine& line, HWND window);

// Copies the newest Set Names tree's selected item into `slot` (216 to 221),
// or says why not; nothing when no item is selected.
void SetNameSlotFromTree(NameSlot slot);
// Plays the sound of the Set Names tree item just selected.
void PreviewNameSound(const TVITEMA& item);
// Releases the key that a Set Names tree item owns, as the tree deletes it.
void ReleaseTreeItemKey(LPARAM data);

// Remixed commentary.
void ShowRemixWindow(HWND window); // 225
void ExtractRemix(HWND window);    // 223
void PreviewRemix();               // 224

// CEL images.
void cel_to_bmp(HWND window); // 226

// Sorts `list` by `column` (stable); true when any row changed place.
bool SortListByColumn(HWND list, int column, bool ascending);

} // namespace kv
