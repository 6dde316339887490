// Drives the tool's windows under Wine inside this program: the GUI's own
// code, linked in, with real controls. A button press is sent, so the
// command has run to its end when the send returns; its dialogs are answered
// by a ScriptedUi that records every box, file dialog and folder chooser.
// What a journey sees afterwards is all that happened. (The real program,
// driven through the system's own dialogs: program_journey_test.cpp.)
#pragma once

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "shell/shell.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace e2e {

using Bytes = std::vector<std::uint8_t>;
using Names = std::vector<std::string>;

// What run-e2e.sh sets, as full Windows paths: KV_E2E_PROGRAM, the program
// (KrollVorevuvo.exe); KV_E2E_ARTIFACTS, the folder for screenshots and the
// journeys' working folders; and KV_E2E_SLOWDOWN.
std::string Setting(const char* name);

inline const Names kMenuCaptions = {"Classic Commentary", "Remixed Commentary", "WAD Viewer",
                                    "Decompress Non-WAD File", "Convert CEL to BMP"};
inline const Bytes kAbab = {'A', 'B', 'A', 'B'};

// How long a wait may last: 10 s times KV_E2E_SLOWDOWN (run-e2e.sh sets 1,
// the i686 build's test more: its programs run emulated).
inline DWORD Patience() {
  return 10000 * std::stoul(Setting("KV_E2E_SLOWDOWN"));
}
// Polls `ready` every 20 ms; throws naming `what` when Patience() passes first.
void WaitUntil(const std::function<bool()>& ready, const std::string& what);
// A window's text, also across processes ("" once it has gone).
std::string TextOf(HWND window);
// Direct children, in the order of their creation.
std::vector<HWND> ChildrenOf(HWND parent);
Names TextsOf(const std::vector<HWND>& windows);
// Saves what the screen shows of `window` as <artifacts>/<test>-<step>.bmp;
// run-e2e.sh keeps it as a PNG file.
void Shot(HWND window, const std::string& step);
// The texts of a list's column, top row first.
Names Column(HWND list, int column);

using kv::test::ReadBytes; // throws when the file is missing, which fails the journey
using kv::test::WriteBytes;

// A fresh working folder under the artifacts, named for the running test and
// in Cyrillic and Japanese: the program's code page is UTF-8, so such paths
// reach every file function whole.
class Journey : public ::testing::Test {
protected:
  void SetUp() override;
  void TearDown() override;
  std::string InFolder(const std::string& name) const { return folder_ + "\\" + name; }
  void MakeFolder(const std::string& name) const {
    std::filesystem::create_directories(kv::test::FsPath(InFolder(name)));
  }
  std::string folder_;
};

// A main window of its own ("WC_MAIN", 700 x 500) showing the main menu.
class Session : public Journey {
protected:
  void SetUp() override;
  void TearDown() override;
  // Presses the current screen's button `id`; returns once the command ended.
  void Click(int id) { SendMessageA(GetDlgItem(main_, id), BM_CLICK, 0, 0); }
  // A click on the middle of the heading of `column`, as the mouse makes it.
  static void ClickHeading(HWND list, int column) {
    RECT rect{};
    Header_GetItemRect(ListView_GetHeader(list), column, &rect);
    SendMessageA(ListView_GetHeader(list), WM_LBUTTONDOWN, MK_LBUTTON,
                 MAKELPARAM((rect.left + rect.right) / 2, 5));
    SendMessageA(ListView_GetHeader(list), WM_LBUTTONUP, 0, MAKELPARAM((rect.left + rect.right) / 2, 5));
  }
  // Opens `name` (written first when `bytes` are given) in the WAD viewer;
  // its list, or null when no viewer was built.
  HWND OpenArchive(const std::string& name, const std::optional<Bytes>& bytes = {}) {
    if (bytes) WriteBytes(InFolder(name), *bytes);
    ui_.ChooseFile(InFolder(name));
    Click(kv::kCmdWadViewer);
    return FindWindowExA(main_, nullptr, WC_LISTVIEWA, nullptr);
  }
  // Presses an extract button and chooses `folder` of the working folder.
  void ExtractInto(int button, const std::string& folder) {
    MakeFolder(folder);
    ui_.ChooseFolder(InFolder(folder));
    Click(button);
  }

  kv::test::ScriptedUi ui_;
  HWND main_ = nullptr;
};

} // namespace e2e
