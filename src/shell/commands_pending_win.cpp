// Placeholders for the modes that are not built yet: each does nothing, so
// that every command identifier is routed from the start. A mode's own window
// file takes over its entries and they leave this file.
#include "shell/commands.h"

namespace kv {

void ShowCommentaryWindow(HWND) {}
void ExportCommentary(HWND) {}
void RecountExclusions(HWND) {}
void PreviewCommentary() {}
void ShowSetNamesWindow() {}
void SetNameSlot(NameSlotId) {}
void PreviewNameSound(const TVITEMA&) {}

} // namespace kv
