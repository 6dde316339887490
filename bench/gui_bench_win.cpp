// The GUI's lists at the format's limits, timed as a user meets them: from the
// moment an action starts until the window has repainted its result. Runs the
// program's own windows in process under Wine (like the journeys), with the
// dialogs answered from a script, and prints the time of each action and its
// cost per row, so that growth with the row count shows at a glance.
//
// Usage: gui_bench.exe [FOLDER [VOREVUVO.EXE [COUNT]]]  (FOLDER: scratch space, made
// when missing; with VOREVUVO.EXE, the console tool's extraction of the same
// archive is timed beside the GUI's; with COUNT, only the WAD viewer on an
// archive of COUNT entries, or with 0 only the commentary modes.)
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "core/implode.h"
#include "sample/sample_folder.h"
#include "shell/shell.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"
#include "wad/wad_writer.h"

namespace kv {
// Defined by the program's entry point, which this benchmark replaces.
HINSTANCE Instance = nullptr;
HWND MainWindow = nullptr;
} // namespace kv

namespace {

using Clock = std::chrono::steady_clock;

// An archive of `count` entries of about 3 KB each, as in the game's large
// archives, with 64 contents of different sizes so that a size column sorts.
std::vector<std::uint8_t> BuildArchive(int count) {
  std::vector<std::vector<std::uint8_t>> blocks;
  std::mt19937 random(11);
  for (int variant = 0; variant < 64; ++variant) {
    std::vector<std::uint8_t> data(2000 + static_cast<std::size_t>(variant) * 37);
    for (std::uint8_t& byte : data)
      byte = static_cast<std::uint8_t>('a' + random() % 20);
    blocks.push_back(kv::ImplodeBlock(data));
  }
  std::vector<kv::WadInput> entries;
  entries.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i)
    entries.push_back({"E" + std::to_string(i) + ".DAT", {}, blocks[random() % blocks.size()]});
  return kv::BuildWadArchive(entries).image;
}

// Runs `action`, then lets the window repaint everything it invalidated.
double Seconds(HWND window, const std::function<void()>& action) {
  const auto start = Clock::now();
  action();
  RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  return std::chrono::duration<double>(Clock::now() - start).count();
}

void Report(const char* what, int rows, double seconds) {
  std::printf("%-28s %6d rows %9.3f s %8.2f us/row\n", what, rows, seconds, seconds * 1e6 / rows);
  std::fflush(stdout);
}

HWND MakeMainWindow() {
  kv::Instance = GetModuleHandleA(nullptr);
  static const WNDCLASSA main_class{
      0,       kv::MainWndProc,   0, 0, kv::Instance, nullptr, nullptr, GetSysColorBrush(COLOR_BTNFACE),
      nullptr, kv::kMainClassName};
  RegisterClassA(&main_class);
  HWND window =
      CreateWindowExA(0, kv::kMainClassName, kv::kMainTitle, WS_VISIBLE | WS_SYSMENU | WS_MINIMIZEBOX,
                      CW_USEDEFAULT, CW_USEDEFAULT, 700, 500, nullptr, nullptr, kv::Instance, nullptr);
  kv::MainWindow = window;
  kv::ShowMainMenu(window);
  return window;
}

void Click(HWND window, int id) {
  SendMessageA(GetDlgItem(window, id), BM_CLICK, 0, 0);
}

void ClickHeading(HWND list, int column) {
  HWND header = ListView_GetHeader(list);
  RECT rect{};
  Header_GetItemRect(header, column, &rect);
  const LPARAM middle = MAKELPARAM((rect.left + rect.right) / 2, 5);
  SendMessageA(header, WM_LBUTTONDOWN, MK_LBUTTON, middle);
  SendMessageA(header, WM_LBUTTONUP, 0, middle);
}

// How long the console tool takes to extract `archive` into `folder`.
double ToolSeconds(const std::string& tool, const std::string& archive, const std::string& folder) {
  std::string command = "\"" + tool + "\" wad extract \"" + archive + "\" -o \"" + folder + "\" -q";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  const auto start = Clock::now();
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                      &process))
    return -1;
  WaitForSingleObject(process.hProcess, INFINITE);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// Under Wine every new file name costs a scan of its folder (Wine looks for
// the name in any case), so extractions into one folder grow with the
// square of the count whatever the program does; they are timed up to here.
constexpr int kLargestExtraction = 10000;

void MeasureWadViewer(HWND window, kv::test::ScriptedUi& ui, const std::string& folder, int count,
                      const std::string& tool) {
  const std::string archive = folder + "\\BIG" + std::to_string(count) + ".WAD";
  kv::test::WriteBytes(archive, BuildArchive(count));
  ui.ChooseFile(archive);
  Report("WAD Viewer: open", count, Seconds(window, [&] { Click(window, kv::kCmdWadViewer); }));
  HWND list = FindWindowExA(window, nullptr, WC_LISTVIEWA, nullptr);
  Report("WAD Viewer: sort by size", count, Seconds(window, [&] { ClickHeading(list, 2); }));
  Report("WAD Viewer: sort again", count, Seconds(window, [&] { ClickHeading(list, 2); }));
  Report("WAD Viewer: Ctrl+A", count, Seconds(window, [&] { SendMessageA(list, WM_CHAR, 1, 0); }));
  if (count > kLargestExtraction) {
    Click(window, kv::kCmdBack);
    return;
  }
  const std::string out = folder + "\\out" + std::to_string(count);
  std::filesystem::remove_all(kv::test::FsPath(out));
  std::filesystem::create_directories(kv::test::FsPath(out));
  ui.ChooseFolder(out);
  Report("WAD Viewer: Extract All", count, Seconds(window, [&] { Click(window, kv::kCmdExtractAll); }));
  const std::vector<std::string> told = ui.Told();
  if (told.size() != 1 || told[0] != "Files Extracted: " + std::to_string(count))
    std::printf("  unexpected: %s\n", told.empty() ? "(nothing told)" : told.back().c_str());
  Click(window, kv::kCmdBack);
  if (!tool.empty()) {
    const std::string cli_out = out + "-cli";
    std::filesystem::remove_all(kv::test::FsPath(cli_out));
    Report("vorevuvo wad extract", count, ToolSeconds(tool, archive, cli_out));
  }
}

// The sample game's folder with a COMMENT.TOK as long as its 65,535-byte
// text allows (about 6,000 short lines of every kind) and a REMIX.TXT of
// 20,000 entries.
void WriteLargeGameFolder(const std::string& folder) {
  std::filesystem::create_directories(kv::test::FsPath(folder + "\\VOICE"));
  for (const kv::SampleFile& file : kv::BuildSampleFolder()) {
    std::string name = file.name;
    std::replace(name.begin(), name.end(), '/', '\\');
    kv::test::WriteBytes(folder + "\\" + name, file.bytes);
  }
  const char* const kLines[] = {"tg%J %1", "ti%B %t", "cb%J %2", "a %T", "h1%B %J", "r %J %1"};
  std::string text = "A long script.\n";
  for (int line = 0;; ++line) {
    // The script starts at the marker <035>.
    char marker[8];
    std::snprintf(marker, sizeof marker, "<%03d> ", (35 + line) % 1000);
    const std::string next = marker + std::string(kLines[line % 6]) + "\n";
    if (text.size() + next.size() > 65535) break;
    text += next;
  }
  kv::test::WriteBytes(folder + "\\COMMENT.TOK",
                       kv::ImplodeBlock(std::vector<std::uint8_t>(text.begin(), text.end())));
  std::string remix = "20,000 entries.\n";
  for (int entry = 0; entry < 20000; ++entry)
    remix += "<Line" + std::to_string(entry) + ">\ncut\n@J045A," + std::to_string(entry % 5000) + ",400\n";
  kv::test::WriteBytes(folder + "\\REMIX.TXT", std::vector<std::uint8_t>(remix.begin(), remix.end()));
}

void MeasureCommentary(HWND window, kv::test::ScriptedUi& ui, const std::string& folder) {
  WriteLargeGameFolder(folder);
  ui.ChooseFile(folder + "\\COMMENT.TOK");
  const double open = Seconds(window, [&] { Click(window, kv::kCmdClassicCommentary); });
  HWND list = FindWindowExA(window, nullptr, WC_LISTVIEWA, nullptr);
  const int lines = ListView_GetItemCount(list);
  Report("Commentary: open", lines, open);
  Report("Commentary: leave out teams", lines, Seconds(window, [&] { Click(window, kv::kCmdTeamNames); }));
  Report("Commentary: sort by name", lines, Seconds(window, [&] { ClickHeading(list, 0); }));
  Click(window, kv::kCmdBack);
  ui.ChooseFile(folder + "\\REMIX.TXT");
  const double remix = Seconds(window, [&] { Click(window, kv::kCmdRemixedCommentary); });
  list = FindWindowExA(window, nullptr, WC_LISTVIEWA, nullptr);
  const int entries = ListView_GetItemCount(list);
  Report("Remix: open", entries, remix);
  Report("Remix: sort by name", entries, Seconds(window, [&] { ClickHeading(list, 0); }));
  Click(window, kv::kCmdBack);
  const std::vector<std::string> told = ui.Told();
  if (!told.empty()) std::printf("  told: %s\n", told.front().c_str());
}

} // namespace

int main(int argc, char** argv) {
  const std::string folder = argc > 1 ? argv[1] : "gui-bench";
  const std::string tool = argc > 2 ? argv[2] : "";
  std::filesystem::create_directories(kv::test::FsPath(folder));
  InitCommonControls();
  kv::test::ScriptedUi ui;
  HWND window = MakeMainWindow();
  if (argc > 3 && std::atoi(argv[3]) == 0) {
    MeasureCommentary(window, ui, folder + "\\game");
  } else if (argc > 3) {
    MeasureWadViewer(window, ui, folder, std::atoi(argv[3]), tool);
  } else {
    MeasureCommentary(window, ui, folder + "\\game");
    for (const int count : {1000, 10000, 65535})
      MeasureWadViewer(window, ui, folder, count, tool);
  }
  DestroyWindow(window);
  return 0;
}
