// Drives the real KrollVorevuvo.exe from a separate process in the same Wine
// session: starts it in a job that ends it with the driver, finds its windows
// (only among those of its process), presses buttons, answers message boxes,
// fills the file dialogs and the folder chooser, reads list views and saves
// screenshots. Every wait is bounded and names what it waited for.
#pragma once

#include <windows.h>

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
// Runs the target's and our messages' course for a moment without a condition.
void Pause(std::chrono::milliseconds time);

// ------------------------------------------------------------------ windows

std::string ClassOf(HWND window);
std::string TextOf(HWND window);
// Direct children, in Z order (the order of creation for our controls).
std::vector<HWND> ChildrenOf(HWND parent);
// The first descendant with this control identifier (and class, if given).
HWND FindDescendant(HWND parent, int id, const char* window_class = nullptr);
// A window's rectangle in its parent's client coordinates.
RECT RectInParent(HWND window);

// -------------------------------------------------------------- the target

// One running KrollVorevuvo.exe. Ending the Target ends the process.
class Target {
public:
  explicit Target(const std::string& working_folder);
  ~Target();
  Target(const Target&) = delete;
  Target& operator=(const Target&) = delete;

  DWORD ProcessId() const { return process_id_; }
  HANDLE Process() const { return process_; }
  bool Running() const;
  // The exit code once the process has ended; throws when it has not in time.
  DWORD WaitForExit(std::chrono::milliseconds bound = kWaitBound);

  // The visible top-level windows of this process.
  std::vector<HWND> TopLevelWindows() const;
  // The main window ("WC_MAIN", "Kroll Vorevuvo"), waiting for it to appear.
  HWND MainWindow();
  // Waits for a visible top-level window of this process that `match` accepts.
  HWND WaitForWindow(const std::function<bool(HWND)>& match, const std::string& what,
                     std::chrono::milliseconds bound = kWaitBound);
  // A visible top-level window that `match` accepts, if there is one now.
  HWND FindWindowNow(const std::function<bool(HWND)>& match) const;

private:
  HANDLE job_ = nullptr;
  HANDLE process_ = nullptr;
  DWORD process_id_ = 0;
  HWND main_window_ = nullptr;
};

// Memory in the target's address space, for messages that carry pointers.
class RemoteBuffer {
public:
  RemoteBuffer(HANDLE process, std::size_t size);
  ~RemoteBuffer();
  RemoteBuffer(const RemoteBuffer&) = delete;
  RemoteBuffer& operator=(const RemoteBuffer&) = delete;

  void* address() const { return address_; }
  LPARAM param() const { return reinterpret_cast<LPARAM>(address_); }
  void Write(const void* data, std::size_t size, std::size_t offset = 0);
  void Read(void* data, std::size_t size, std::size_t offset = 0) const;

private:
  HANDLE process_;
  void* address_ = nullptr;
};

// --------------------------------------------------------------- controls

// A press that may open a modal dialog: posted, so that we do not wait for it.
void Press(HWND button);
// A WM_COMMAND from a control identifier, posted to `window`.
void PostCommand(HWND window, int id);
bool IsChecked(HWND box);
// Keys typed into `control`: WM_CHAR per character.
void TypeText(HWND control, const std::string& text);
// One key pressed and released on `control` (a virtual-key code).
void PressKey(HWND control, UINT virtual_key);

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

// ------------------------------------------------------------ message boxes

struct MessageBoxView {
  HWND window = nullptr;
  std::string caption;
  std::string text;
  std::vector<int> buttons; // identifiers of the visible buttons: IDOK 1, IDYES 6, IDNO 7
};
bool IsMessageBox(HWND window);
MessageBoxView ReadMessageBox(HWND box);
MessageBoxView WaitForMessageBox(Target& target, const std::string& what);
// Presses one of the box's own buttons and waits for the box to go.
void Answer(const MessageBoxView& box, int button_id);

// ------------------------------------------------------------ file dialogs

inline constexpr int kFileNameId = 0x47C;
bool IsFileDialog(HWND window);
HWND WaitForFileDialog(Target& target, const std::string& what);
// Types `path` into the dialog's file name box and confirms it with OK.
void ChooseFile(HWND dialog, const std::string& path);
// The text in the file name box, as the dialog offers it.
std::string OfferedFileName(HWND dialog);

// The folder chooser: selects `path` in its tree (retrying until the tree
// reports it selected) and confirms with OK.
bool IsFolderChooser(HWND window);
HWND WaitForFolderChooser(Target& target, const std::string& what);
void ChooseFolder(Target& target, HWND chooser, const std::string& path);

// -------------------------------------------------------------- list views

int ListRowCount(HWND list);
int ListColumnCount(HWND list);
std::string ListCell(Target& target, HWND list, int row, int column);
std::vector<std::vector<std::string>> ListRows(Target& target, HWND list);
void SelectListRow(Target& target, HWND list, int row, bool selected);
std::vector<int> SelectedListRows(HWND list);
// A click on the column's header, as the mouse makes it.
void ClickColumnHeader(Target& target, HWND list, int column);

// ------------------------------------------------------------ screenshots

// What the screen shows in `rect`: top-down 24-bit RGB.
struct Image {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;
};
Image CaptureScreen(const RECT& rect);

// Saves what the screen shows of `window` (with its frame) as
// <artifacts>/<name>.png; returns the file's path.
std::string SaveScreenshot(HWND window, const std::string& name);
// The PNG encoding of a top-down 24-bit RGB image.
std::vector<std::uint8_t> EncodePng(int width, int height, const std::vector<std::uint8_t>& rgb);

// ------------------------------------------------------------ files

void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);
std::optional<std::vector<std::uint8_t>> ReadBytes(const std::string& path);
// A fresh, empty folder for one journey under the artifacts folder.
std::string FreshFolder(const std::string& name);

// ------------------------------------------------------------ journeys

// One journey: a fresh working folder and a freshly started program, shown
// with its main menu. A journey that fails leaves a screenshot of the whole
// screen as <artifacts>/<test>-failed.png, and its program is ended.
class Journey : public ::testing::Test {
protected:
  void SetUp() override;
  void TearDown() override;

  // A file of the working folder, by bare name.
  std::string InFolder(const std::string& name) const { return folder_ + "\\" + name; }
  // "<test name>-<step>", the name of a screenshot of this journey.
  std::string Shot(const std::string& step) const;

  std::string folder_;
  std::unique_ptr<Target> target_;
  HWND main_ = nullptr;
};

} // namespace e2e
