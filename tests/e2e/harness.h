// Two ways to drive the tool under Wine.
//
// In process (Session): the GUI's own windows, linked into this program, with
// real controls. A button press is sent, so the command has run to its end
// when the send returns; its dialogs are answered by a ScriptedUi that
// records every box, file dialog and folder chooser. What a journey sees
// afterwards is all that happened.
//
// Across processes (Program): the real KrollVorevuvo.exe driven through the
// system's own dialogs, for what only a separate program proves. Every wait
// is bounded and names what it waited for.
#pragma once

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "shell/shell.h"
#include "support/scripted_ui.h"

namespace e2e {

using Bytes = std::vector<std::uint8_t>;
using Names = std::vector<std::string>;

// From the driver's command line, as full Windows paths: KrollVorevuvo.exe,
// and the folder for screenshots and the journeys' working folders.
struct Settings {
  std::string program, artifacts;
};
Settings& CurrentSettings();

inline const Names kMenuCaptions = {"Classic Commentary", "Remixed Commentary", "WAD Viewer",
                                    "Decompress Non-WAD File", "Convert CEL to BMP"};
inline const Bytes kAbab = {'A', 'B', 'A', 'B'};

// Polls `ready` every 20 ms; throws naming `what` when 10 s pass first.
void WaitUntil(const std::function<bool()>& ready, const std::string& what);
std::string TextOf(HWND window);
// Direct children, in the order of their creation.
std::vector<HWND> ChildrenOf(HWND parent);
Names TextsOf(const std::vector<HWND>& windows);
// Saves what the screen shows of `window` as <artifacts>/<test>-<step>.bmp;
// run-e2e.sh keeps it as a PNG file.
void Shot(HWND window, const std::string& step);

void WriteBytes(const std::string& path, const Bytes& bytes);
std::optional<Bytes> ReadBytes(const std::string& path);
Names FilesIn(const std::string& folder); // sorted names of its plain files

// A fresh working folder under the artifacts, named for the running test.
class Journey : public ::testing::Test {
protected:
  void SetUp() override;
  void TearDown() override;
  std::string InFolder(const std::string& name) const { return folder_ + "\\" + name; }
  std::string folder_;
};

// ------------------------------------------------------------ in process

// A main window of its own ("WC_MAIN", 700 x 500) showing the main menu.
class Session : public Journey {
protected:
  void SetUp() override;
  void TearDown() override;
  // Presses the current screen's button `id`; returns once the command ended.
  void Click(int id) { SendMessageA(GetDlgItem(main_, id), BM_CLICK, 0, 0); }
  // "caption: text" of every box shown since the last call.
  Names Shown();
  // Opens `name` (written first when `bytes` are given) in the WAD viewer;
  // its list, or null when no viewer was built.
  HWND OpenArchive(const std::string& name, const std::optional<Bytes>& bytes = {});
  // Presses an extract button and chooses `folder` of the working folder.
  void ExtractInto(int button, const std::string& folder);

  kv::test::ScriptedUi ui_;
  HWND main_ = nullptr;
};

Names Column(HWND list, int column);
std::vector<int> SelectedRows(HWND list);
// A click on the column's header, as the mouse makes it.
void ClickHeader(HWND list, int column);

// ------------------------------------------------------- across processes

class Program {
public:
  explicit Program(const std::string& working_folder);
  ~Program();
  Program(const Program&) = delete;
  Program& operator=(const Program&) = delete;

  // The main window, once its menu is built.
  HWND MainWindow();
  // The exit code once the process has ended.
  DWORD WaitForExit();
  // Presses the main window's button `id`, which may open a modal dialog.
  void Press(int id) { PostMessageA(GetDlgItem(main_, id), BM_CLICK, 0, 0); }
  // Waits for a message box with the button `button` (with OK, for one
  // without No), takes a screenshot, runs `meanwhile` while it is open,
  // presses the button and returns "caption: text".
  std::string Answer(const std::string& shot, int button = IDOK, const std::function<void()>& meanwhile = {});
  // Waits for an open or save dialog, takes a screenshot and chooses `path`.
  void ChooseFile(const std::string& path, const std::string& shot);
  // Waits for the folder chooser, selects `path`, takes a screenshot, OK.
  void ChooseFolder(const std::string& path, const std::string& shot);
  // Proves that the command before has ended, as "< Back" is taken only
  // between commands and rebuilds the menu; then no other window is open.
  void ExpectIdleAtTheMenu();

private:
  HWND WaitForWindow(int control, const std::string& what);
  std::vector<HWND> TopLevelWindows() const;

  PROCESS_INFORMATION process_{};
  HWND main_ = nullptr;
};

} // namespace e2e
