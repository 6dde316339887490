// The commands and notifications that MainWndProc hands to the modes. Each
// mode's window file defines its own; until a mode exists its entries are
// placeholders in commands_pending_win.cpp that do nothing.
#pragma once

#include <windows.h>

#include <commctrl.h>

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

// The six name slots that the Set Names window's buttons (216 to 221) fill.
enum class NameSlotId { TeamA, TeamB, CaptainA, CaptainB, Thrower, Receiver };
// Copies the Set Names tree's selected item into `slot`, or says why not.
void SetNameSlot(NameSlotId slot);

// Plays the sound of the Set Names tree item just selected.
void PreviewNameSound(const TVITEMA& item);

// Remixed commentary.
void ShowRemixWindow(HWND window); // 225
void ExtractRemix(HWND window);    // 223
void PreviewRemix();               // 224

// CEL images.
void cel_to_bmp(HWND window); // 226

// Sorts `list` by `column` (stable); true when any row changed place.
bool SortListByColumn(HWND list, int column, bool ascending);

} // namespace kv
