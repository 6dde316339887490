// Drives the real KrollVorevuvo.exe from a separate process in the same Wine
// session: starts it in a job that ends it with the driver, finds its windows
// (only among those of its process), presses buttons, answers message boxes,
// fills the file dialogs and the folder chooser, reads list views and saves
// screenshots. Every wait is bounded and names what it waited for.
#pragma once

#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <functional>
#include <iosfwd>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace e2e {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;
using Names = std::vector<std::string>;
inline constexpr std::chrono::milliseconds kWaitBound = 10s;

// The driver's settings, from its command line: the program under test and
// the folder for screenshots. Paths are Windows paths ("Z:\..." for a Unix one).
struct Settings {
  std::string program;
  std::string artifacts;
};
Settings& CurrentSettings();
// Turns "/unix/path" into "Z:\unix\path"; other paths are left alone.
std::string WindowsPath(const std::string& path);

// Thrown by a wait that ran out of time, or a step that could not be done.
struct Failure : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Polls `ready` every 20 ms until it is true; throws naming `what` when the
// bound passes first.
void WaitUntil(const std::function<bool()>& ready, const std::string& what,
               std::chrono::milliseconds bound = kWaitBound);
void Pause(std::chrono::milliseconds time);

// ------------------------------------------------------------------ windows

// A SendMessage bounded in time: a target that stops answering must not stop
// the suite.
LRESULT Send(HWND window, UINT message, WPARAM wparam = 0, LPARAM lparam = 0);
// A press that may open a modal dialog: posted, so that we do not wait for it.
void Press(HWND button);
void PostCommand(HWND window, int id);
bool IsChecked(HWND box);
std::string ClassOf(HWND window);
std::string TextOf(HWND window);
// Direct children, in Z order (the order of creation for our controls).
std::vector<HWND> ChildrenOf(HWND parent);
Names TextsOf(const std::vector<HWND>& windows);
// The first descendant with this control identifier and class.
HWND FindDescendant(HWND parent, int id, const char* window_class);

// -------------------------------------------------------------- the target

// One running KrollVorevuvo.exe. Ending the Target ends the process.
class Target {
public:
  explicit Target(const std::string& working_folder);
  ~Target();
  Target(const Target&) = delete;
  Target& operator=(const Target&) = delete;

  HANDLE Process() const { return process_; }
  bool Running() const;
  // The exit code once the process has ended; throws when it has not in time.
  DWORD WaitForExit();
  // The visible top-level windows of this process.
  std::vector<HWND> TopLevelWindows() const;
  // Waits for a visible top-level window of this process that `match`
  // accepts, and for it to answer a message.
  HWND WaitForWindow(const std::function<bool(HWND)>& match, const std::string& what);
  // The main window ("WC_MAIN", "Kroll Vorevuvo"), once its menu is built.
  HWND MainWindow();

private:
  HANDLE job_ = nullptr;
  HANDLE process_ = nullptr;
  DWORD process_id_ = 0;
};

// ------------------------------------------------------------------ dialogs

struct MessageBoxView {
  HWND window = nullptr;
  std::string caption;
  std::string text;
  std::vector<int> buttons; // identifiers of the visible buttons: IDOK 1, IDYES 6, IDNO 7
};
bool IsMessageBox(HWND window);
bool IsFileDialog(HWND window);
bool IsFolderChooser(HWND window);
MessageBoxView WaitForMessageBox(Target& target, const std::string& what);
// Presses the dialog's button `id` and waits for the dialog to go.
void Dismiss(HWND dialog, int id);
// Types `path` into a file dialog's file name box and confirms it with OK.
void ChooseFile(HWND dialog, const std::string& path);
// The text in the file name box, as the dialog offers it.
std::string OfferedFileName(HWND dialog);
// Selects `path` in the folder chooser's tree (retrying until the tree
// reports it selected) and confirms with OK.
void ChooseFolder(Target& target, HWND chooser, const std::string& path);

// -------------------------------------------------------------- list views

// Sends an LVM_* message with `item` and a buffer holding `text` (item.pszText
// points to it) in the target's memory; reads both back afterwards.
LRESULT SendListItem(Target& target, HWND list, UINT message, WPARAM row, LVITEMA& item, std::string& text);
int ListRowCount(HWND list);
std::string ListCell(Target& target, HWND list, int row, int column);
Names ListColumn(Target& target, HWND list, int column);
std::vector<Names> ListRows(Target& target, HWND list);
void SelectListRow(Target& target, HWND list, int row);
std::vector<int> SelectedListRows(HWND list);
// A click on the column's header, as the mouse makes it.
void ClickColumnHeader(Target& target, HWND list, int column);

// ------------------------------------------------------------ screens

// Which font a control draws in, told from outside. A window's font handle
// (WM_GETFONT) does not cross processes under Wine (it reads back as null),
// so the caption's ink is compared instead: the bounding box of the dark
// pixels of the control's caption on screen against those of the same text
// drawn here in a chosen font. Both processes use the same font mapper, so the
// same request gives the same glyphs.
struct InkBox {
  int width = 0;
  int height = 0;
  friend bool operator==(const InkBox&, const InkBox&) = default;
};
std::ostream& operator<<(std::ostream& out, const InkBox& box);
// The caption's ink inside `control`, 3 pixels in from its border.
InkBox CaptionInk(HWND control);
// The ink of `text` drawn in `font`.
InkBox TextInk(const std::string& text, HFONT font);

// Saves what the screen shows of `window` (with its frame) as
// <artifacts>/<name>.bmp (run-e2e.sh turns it into a PNG file).
void SaveScreenshot(HWND window, const std::string& name);

// ------------------------------------------------------------ files

void WriteBytes(const std::string& path, const Bytes& bytes);
std::optional<Bytes> ReadBytes(const std::string& path);
// Sorted names of the plain files in `folder`.
Names FilesIn(const std::string& folder);

// ------------------------------------------------------------ journeys

// One journey: a fresh working folder and a freshly started program, shown
// with its main menu. A journey that fails leaves a screenshot of the whole
// screen as <artifacts>/<test>-failed.bmp, and its program is ended.
class Journey : public ::testing::Test {
protected:
  void SetUp() override;
  void TearDown() override;

  // A file of the working folder, by bare name.
  std::string InFolder(const std::string& name) const { return folder_ + "\\" + name; }
  // Saves a screenshot named "<test name>-<step>".
  void Shot(HWND window, const std::string& step) const;
  HWND WaitForFileDialog(const std::string& what) { return target_->WaitForWindow(IsFileDialog, what); }
  // The box that ends a command: only an OK button, which is pressed (after
  // a screenshot named `shot`, if one is named).
  MessageBoxView Acknowledge(const std::string& what, const std::string& shot = {});
  // After a command on the menu: no other window, and the menu still there.
  void ExpectOnlyTheMenu();

  std::string folder_;
  std::unique_ptr<Target> target_;
  HWND main_ = nullptr;
};

inline const Names kMenuCaptions = {"Classic Commentary", "Remixed Commentary", "WAD Viewer",
                                    "Decompress Non-WAD File", "Convert CEL to BMP"};

} // namespace e2e
