// Process-wide state of the modes that ClearChildWindows tears down, beside
// CurrentWad (wad/current_wad.h) and the playing clip (media/sound_clip.h).
// The shell owns the handles below; each mode sets them when it builds its
// screen and ClearChildWindows resets them.
#pragma once

#include <windows.h>

#include <memory>

namespace kv {

// The list view of the current mode (WAD viewer, commentary or remix), or
// null. Its rows own their records (see ListRow).
extern HWND CurrentListView;

// The tree view of the newest Set Names window, or null. ClearChildWindows
// closes the window that holds it.
extern HWND SetNamesTree;

// What a list row stands for, beside its cells' texts: the commentary rows
// hold their line records, the remix rows their WAV images, the WAD viewer's
// rows their entries' names. A mode derives its record from RowRecord; the
// row owns it (see ListRow) and it goes with the list.
struct RowRecord {
  virtual ~RowRecord() = default;
};

} // namespace kv
