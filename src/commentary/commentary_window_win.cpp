// The Classic Commentary mode of the main window: one row per commentary
// line, each row owning its line; three check boxes that leave out lines by
// the kinds of names they speak, with live counts; the preview and export of
// the lines with the names in the slots.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <memory>
#include <string>

#include "commentary/commentary_catalogue.h"
#include "commentary/commentary_export.h"
#include "commentary/commentary_sound.h"
#include "core/text_encoding.h"
#include "media/sound_clip.h"
#include "platform/platform.h"
#include "shell/commands.h"
#include "shell/list_view_win.h"
#include "shell/mode_state.h"
#include "shell/shell.h"
#include "wad/current_wad.h"

namespace kv {
namespace {

struct CommentaryRow final : RowRecord {
  explicit CommentaryRow(CommentaryLine read) : line(std::move(read)) {}
  CommentaryLine line;
};

constexpr ListColumn kCommentaryColumns[] = {
    {"Name", LVCFMT_LEFT, 200},       {"Excluded", LVCFMT_LEFT, 80}, {"Team", LVCFMT_LEFT, 80},
    {"Star Player", LVCFMT_LEFT, 80}, {"Thrower", LVCFMT_LEFT, 80},
};
constexpr int kExcludedColumn = 1;

// The two counters of the mode shown now.
HWND IncludedLabel = nullptr;
HWND ExcludedLabel = nullptr;

const char* YesNo(bool yes) {
  return yes ? "Yes" : "No";
}

const CommentaryLine* LineOfRow(HWND list, int row) {
  const auto* record = dynamic_cast<const CommentaryRow*>(RecordOfRow(list, row));
  return record == nullptr ? nullptr : &record->line;
}

// A box counts as unchecked only in the plain unchecked state.
bool Included(HWND window, int box) {
  return IsDlgButtonChecked(window, box) != BST_UNCHECKED;
}

void CreateCommentaryControls(HWND window) {
  CreateChild(window, "Button", "< Back", BS_PUSHBUTTON, 10, 10, 150, 24, kCmdBack);
  CreateChild(window, "Button", "Preview Selection", BS_PUSHBUTTON, 180, 10, 150, 24, kCmdPreviewCommentary);
  CreateChild(window, "Button", "Set Names", BS_PUSHBUTTON, 180, 40, 150, 24, kCmdSetNames);
  CreateChild(window, "Button", "Include Commentary Containing: ", BS_GROUPBOX, 360, 10, 330, 100);
  struct Box {
    const char* text;
    int x, y, width, id;
  };
  constexpr Box kBoxes[] = {{"Team Names", 370, 30, 120, kCmdTeamNames},
                            {"Star Player Names", 500, 30, 185, kCmdStarPlayerNames},
                            {"Player Names of Throwers", 500, 50, 185, kCmdThrowerNames}};
  for (const Box& box : kBoxes) {
    HWND control = CreateChild(window, "Button", box.text, BS_CHECKBOX, box.x, box.y, box.width, 20, box.id);
    SendMessageA(control, BM_SETCHECK, BST_CHECKED, 0);
  }
  CreateChild(window, "Button", "Export", BS_PUSHBUTTON | WS_BORDER, 400, 80, 150, 24, kCmdExportCommentary);
  IncludedLabel = CreateChild(window, "Static", "", 0, 400, 125, 100, 20);
  ExcludedLabel = CreateChild(window, "Static", "", 0, 500, 125, 100, 20);
}

void FillCommentaryList(HWND list, std::vector<CommentaryLine> lines) {
  std::vector<ListRow> rows;
  rows.reserve(lines.size());
  for (CommentaryLine& line : lines) {
    std::vector<std::string> cells = {SystemText(line.outputName), "", YesNo(line.hasTeamName),
                                      YesNo(line.hasStarPlayerName), YesNo(line.hasThrowerName)};
    rows.push_back({std::move(cells), std::make_unique<CommentaryRow>(std::move(line))});
  }
  SetListRows(list, std::move(rows));
}

// What the three boxes say right now.
CommentaryFilter ReadFilter(HWND window) {
  return {Included(window, kCmdTeamNames), Included(window, kCmdStarPlayerNames),
          Included(window, kCmdThrowerNames)};
}

} // namespace

bool IsLineExcluded(const CommentaryLine& line, HWND window) {
  return IsLineExcluded(line, ReadFilter(window));
}

void ShowCommentaryWindow(HWND window) {
  ClearChildWindows(window);
  std::optional<std::vector<CommentaryLine>> lines = LoadCommentaryCatalogue();
  if (!lines) {
    ShowMainMenu(window);
    return;
  }
  CreateCommentaryControls(window);
  HWND list = CreateModeList(window, kCommentaryColumns, LVS_SINGLESEL | LVS_SHOWSELALWAYS);
  FillCommentaryList(list, std::move(*lines));
  RecountExclusions(window);
}

void RecountExclusions(HWND window) {
  unsigned included = 0;
  unsigned excluded = 0;
  const int rows = RowCount(CurrentListView);
  // The boxes are read once for the whole count, and the column repainted once.
  const CommentaryFilter filter = ReadFilter(window);
  for (int row = 0; row < rows; ++row) {
    const CommentaryLine* line = LineOfRow(CurrentListView, row);
    const bool out = line != nullptr && IsLineExcluded(*line, filter);
    SetCellText(CurrentListView, row, kExcludedColumn, YesNo(out));
    ++(out ? excluded : included);
  }
  InvalidateRect(CurrentListView, nullptr, TRUE);
  SetWindowTextA(IncludedLabel, ("Included: " + std::to_string(included)).c_str());
  SetWindowTextA(ExcludedLabel, ("Excluded: " + std::to_string(excluded)).c_str());
}

void PreviewCommentary() {
  const CommentaryLine* line = LineOfRow(CurrentListView, FirstSelectedRow(CurrentListView));
  if (line == nullptr) {
    platform::ShowMessage(CurrentListView, text::kNoSelection, text::kAlertCaption, platform::Buttons::Ok);
    return;
  }
  // A failed build only stops the sound that plays.
  const HeldWad* voice = CurrentWad();
  PlaySoundClip(voice == nullptr ? std::nullopt
                                 : BuildCommentarySound(*line, voice->image(), CurrentListView));
}

void ExportCommentary(HWND window) {
  if (!ChooseOutputFolder(window)) return;
  HWND list = CurrentListView;
  const HeldWad* voice = CurrentWad();
  OutputRun run;
  const int rows = RowCount(list);
  for (int row = 0; row < rows && voice != nullptr && !run.folder_gone(); ++row) {
    const CommentaryLine* line = LineOfRow(list, row);
    if (line == nullptr || IsLineExcluded(*line, window)) continue;
    ExportCommentaryLine(*line, voice->image(), Ask, list, run);
  }
  const auto exported = static_cast<unsigned>(run.written());
  char message[64];
  std::snprintf(message, sizeof message, text::kExportedFiles, exported);
  platform::ShowMessage(window, message, text::kExportCaption, platform::Buttons::Ok);
}

} // namespace kv
