// Process-wide state of the modes that ClearChildWindows tears down, beside
// CurrentWad (wad/current_wad.h) and the playing clip (media/sound_clip.h).
// The shell owns the handles below; each mode sets them when it builds its
// screen and ClearChildWindows resets them.
#pragma once

#include <windows.h>

#include <memory>

namespace kv {

// The list view of the current mode (WAD viewer, commentary or remix), or
// null. Its rows may own records through their item data (see RowRecord).
extern HWND CurrentListView;

// The tree view of the newest Set Names window, or null. ClearChildWindows
// closes the window that holds it.
extern HWND SetNamesTree;

// What a list row owns through its item data (LPARAM): the commentary rows
// hold their line records, the remix rows their WAV images. A mode derives
// its record from RowRecord and gives the row AdoptRowRecord's value;
// ClearChildWindows releases every row's record before the list goes.
struct RowRecord {
  virtual ~RowRecord() = default;
};
LPARAM AdoptRowRecord(std::unique_ptr<RowRecord> record);
void ReleaseRowRecord(LPARAM item_data);
// The record a row owns, still owned by the row; null for rows without one.
inline RowRecord* RowRecordOf(LPARAM item_data) {
  return reinterpret_cast<RowRecord*>(item_data);
}

} // namespace kv
