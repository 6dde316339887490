// The Remixed Commentary mode of the main window: one row per entry of a
// REMIX.TXT script, each row owning its entry and its WAV image; the
// selected row can be heard, and every row written as a WAV file.
#include <windows.h>

#include <commctrl.h>

#include <memory>
#include <string>

#include "core/text_encoding.h"
#include "media/sound_clip.h"
#include "platform/platform.h"
#include "remix/remix_load.h"
#include "shell/commands.h"
#include "shell/list_view_win.h"
#include "shell/mode_state.h"
#include "shell/shell.h"

namespace kv {
namespace {

struct RemixRow final : RowRecord {
  explicit RemixRow(RemixEntry read) : entry(std::move(read)) {}
  RemixEntry entry;
};

constexpr ListColumn kRemixColumns[] = {{"Name", LVCFMT_LEFT, 500}};

const RemixEntry* EntryOfRow(int row) {
  const auto* record = dynamic_cast<const RemixRow*>(RecordOfRow(CurrentListView, row));
  return record == nullptr ? nullptr : &record->entry;
}

} // namespace

void ShowRemixWindow(HWND window) {
  ClearChildWindows(window);
  CreateChild(window, "Button", "< Back", BS_PUSHBUTTON, 10, 10, 150, 24, kCmdBack);
  CreateChild(window, "Button", "Preview Selection", BS_PUSHBUTTON, 180, 10, 150, 24, kCmdPreviewRemix);
  CreateChild(window, "Button", "Export All", BS_PUSHBUTTON, 350, 10, 150, 24, kCmdExportRemix);
  HWND list = CreateModeList(window, kRemixColumns, LVS_SINGLESEL | LVS_SHOWSELALWAYS);

  std::optional<std::vector<RemixEntry>> entries = LoadRemixScript();
  if (!entries) {
    ShowMainMenu(window);
    return;
  }
  std::vector<ListRow> rows;
  rows.reserve(entries->size());
  for (RemixEntry& entry : *entries) {
    std::vector<std::string> cells = {SystemText(entry.name)};
    rows.push_back({std::move(cells), std::make_unique<RemixRow>(std::move(entry))});
  }
  SetListRows(list, std::move(rows));
}

void PreviewRemix() {
  const RemixEntry* entry = EntryOfRow(FirstSelectedRow(CurrentListView));
  if (entry == nullptr) {
    platform::ShowMessage(CurrentListView, text::kNoSelection, text::kAlertCaption, platform::Buttons::Ok);
    return;
  }
  // The row keeps its image and outlives the sound: leaving the mode stops
  // the sound before the rows go.
  PlayBorrowedClip(entry->image);
}

void ExtractRemix(HWND window) {
  const int rows = RowCount(CurrentListView);
  if (rows == 0) {
    platform::ShowMessage(nullptr, text::kNoEntries, text::kExtractRemixCaption, platform::Buttons::Ok);
    return;
  }
  if (!ChooseOutputFolder(window)) return;
  OutputRun run;
  for (int row = 0; row < rows && !run.folder_gone(); ++row) {
    const RemixEntry* entry = EntryOfRow(row);
    if (entry != nullptr) ExportRemixEntry(*entry, Ask, run);
  }
  platform::ShowMessage(nullptr, std::to_string(run.written()), text::kFilesExtracted, platform::Buttons::Ok);
}

} // namespace kv
