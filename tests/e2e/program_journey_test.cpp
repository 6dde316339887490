// What only the real program, started on its own, proves: its window and
// menu as it starts; the sample game's commentary lines; a decompression,
// the sample game's pictures converted to BMP files and its SOUNDS.WAD
// extracted through the system's open and save dialogs, message boxes and
// folder chooser; input that a real box's modal loop hands to the main
// window while the extraction asks, held off; and the end with exit code 0
// once a close asked for meanwhile is carried out.
#include "e2e/harness.h"

#include <shlobj.h>

#include <memory>
#include <stdexcept>
#include <tuple>

#include "sample/sample_folder.h"

namespace e2e {
namespace {

// The real KrollVorevuvo.exe. Should the driver crash, run-e2e.sh ends every
// program of the Wine prefix. Every wait is bounded and names what it waited
// for.
class Program {
public:
  explicit Program(const std::string& working_folder) {
    PROCESS_INFORMATION started{};
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    if (!CreateProcessA(Setting("KV_E2E_PROGRAM").c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr,
                        working_folder.c_str(), &startup, &started))
      throw std::runtime_error("could not start " + Setting("KV_E2E_PROGRAM"));
    CloseHandle(started.hThread);
    process_.reset(started.hProcess);
  }

  HWND MainWindow() { return main_ = WaitForWindow(0, "the main window"); }
  // The exit code, or STILL_ACTIVE when the program has not ended in time.
  DWORD WaitForExit() {
    DWORD code = WaitForSingleObject(process_.get(), Patience());
    GetExitCodeProcess(process_.get(), &code);
    return code;
  }
  // Posted: the press may open a modal dialog.
  void Press(int id) { PostMessageA(GetDlgItem(main_, id), BM_CLICK, 0, 0); }

  // Waits for a message box with the button `button` (with OK, for one
  // without No), runs `meanwhile` while it is open, presses the button and
  // returns "caption: text".
  std::string Answer(int button = IDOK, const std::function<void()>& meanwhile = {}) {
    HWND box = WaitForWindow(0xFFFF, "a message box");
    if (meanwhile) meanwhile();
    EXPECT_TRUE(IsWindowVisible(GetDlgItem(box, button)));
    EXPECT_TRUE(button != IDOK || !IsWindowVisible(GetDlgItem(box, IDNO))) << "a question, not a message";
    const std::string shown = TextOf(box) + ": " + TextOf(GetDlgItem(box, 0xFFFF));
    Dismiss(box, button);
    return shown;
  }

  // Types `path` into the open or save dialog's file name box.
  void ChooseFile(const std::string& path) {
    HWND dialog = WaitForWindow(0x47C, "a file dialog");
    // The file name's Edit, inside a ComboBox inside a ComboBoxEx32, all 0x47C.
    HWND name = GetDlgItem(GetDlgItem(GetDlgItem(dialog, 0x47C), 0x47C), 0x47C);
    SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    Dismiss(dialog, IDOK);
  }

  // Selects `path` in the folder chooser's tree, with the path and a TVITEMA
  // for reading the selection back in the program's memory.
  void ChooseFolder(const std::string& path) {
    HWND chooser = WaitForWindow(0x3741, "the folder chooser");
    HWND tree = GetDlgItem(chooser, 0x3741);
    HANDLE process = process_.get();
    const auto release = [process](char* at) { VirtualFreeEx(process, at, 0, MEM_RELEASE); };
    const std::unique_ptr<char, decltype(release)> remote(
        static_cast<char*>(VirtualAllocEx(process, nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)),
        release);
    WriteProcessMemory(process, remote.get(), path.c_str(), path.size() + 1, nullptr);
    TVITEMA item{TVIF_TEXT, nullptr, 0, 0, remote.get() + 2048, MAX_PATH, 0, 0, 0, 0};
    char selected[MAX_PATH] = {};
    // About one try in a hundred misses right after the folder's contents
    // changed: read the selection back and ask again.
    WaitUntil(
        [&] {
          SendMessageA(chooser, BFFM_SETSELECTIONA, TRUE, reinterpret_cast<LPARAM>(remote.get()));
          item.hItem = TreeView_GetSelection(tree);
          return WriteProcessMemory(process, remote.get() + 1024, &item, sizeof item, nullptr) &&
                 SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(remote.get() + 1024)) &&
                 ReadProcessMemory(process, item.pszText, selected, MAX_PATH - 1, nullptr) &&
                 path.substr(path.find_last_of('\\') + 1) == selected;
        },
        "the folder chooser to select " + path);
    Dismiss(chooser, IDOK);
  }

private:
  // The main window for `control` 0, else a dialog with that control: 0x47C,
  // a file dialog's file name; 0x3741, the folder chooser's tree; 0xFFFF, a
  // message box's text (which a file dialog has too). Only windows of this
  // process count: another's could answer otherwise.
  HWND WaitForWindow(int control, const std::string& what) {
    HWND found = nullptr;
    WaitUntil(
        [&] {
          if (WaitForSingleObject(process_.get(), 0) == WAIT_OBJECT_0)
            throw std::runtime_error("the program ended while waiting for " + what);
          DWORD owner = 0;
          for (HWND window = nullptr;
               (window =
                    FindWindowExA(nullptr, window, control == 0 ? kv::kMainClassName : "#32770", nullptr));)
            if (GetWindowThreadProcessId(window, &owner) && owner == GetProcessId(process_.get()) &&
                IsWindowVisible(window) && (control == 0 || GetDlgItem(window, control)) &&
                (control != 0xFFFF || !GetDlgItem(window, 0x47C)))
              found = window;
          return found != nullptr;
        },
        what);
    WaitForInputIdle(process_.get(), Patience()); // a window shows before it is filled
    SendMessageA(found, WM_NULL, 0, 0);
    return found;
  }

  // Presses the dialog's button `id` and waits for the dialog to go.
  static void Dismiss(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, id, reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
    WaitUntil([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }, "the dialog to close");
  }

  struct End {
    void operator()(HANDLE process) const {
      TerminateProcess(process, 99);
      WaitForSingleObject(process, 5000);
      CloseHandle(process);
    }
  };
  std::unique_ptr<void, End> process_;
  HWND main_ = nullptr;
};

using TheProgram = Journey;

TEST_F(TheProgram, StartsWorksThroughTheSystemsDialogsHoldsOffInputWhileItAsksAndEndsWithExitCodeZero) {
  // The game and the output folder are named in Cyrillic and Japanese (the
  // journey's folder): the system's dialogs hand such paths back whole only
  // in the UTF-8 code page.
  const std::string out = InFolder("Вывод 出力");
  std::filesystem::create_directories(kv::test::FsPath(out));
  // Size 4; literal mode 0; 6 dictionary bits; literals A and B, a copy of
  // length 2 at distance 2, the end code.
  WriteBytes(InFolder("example.bin"), {4, 0, 0, 0, 0, 6, 0x82, 0x08, 0xed, 0x05, 0xfc, 0x03});
  MakeFolder("VOICE"); // the sample game, as `vorevuvo make-sample` writes it
  for (const kv::SampleFile& file : kv::BuildSampleFolder())
    WriteBytes(InFolder(file.name), file.bytes);
  // Made before the program starts: the folder chooser now and then misses a
  // folder made just before it opens.
  WriteBytes(out + "\\PLAYS.TXT", {'o', 'l', 'd'});
  Program program(folder_);
  HWND main = program.MainWindow();
  // Style (a title bar with close and minimise boxes, no sizing), size, and
  // each button's identifier and place.
  RECT rect{};
  GetWindowRect(main, &rect);
  std::vector<LONG> layout = {GetWindowLongA(main, GWL_STYLE) & (0x100A0000 | WS_MAXIMIZEBOX | WS_THICKFRAME),
                              rect.right - rect.left, rect.bottom - rect.top};
  for (HWND button : ChildrenOf(main)) {
    GetWindowRect(button, &rect);
    MapWindowPoints(HWND_DESKTOP, main, reinterpret_cast<POINT*>(&rect), 2);
    layout.insert(layout.end(), {GetDlgCtrlID(button), rect.left, rect.top, rect.right, rect.bottom});
  }
  EXPECT_EQ(layout,
            (std::vector<LONG>{0x100A0000, 700, 500, 211, 10,  10, 210, 34,  225, 10,  45, 210, 69,  200,
                               10,         80,  210, 104, 202, 10, 115, 210, 139, 226, 10, 150, 210, 174}));
  EXPECT_EQ(TextsOf(ChildrenOf(main)), kMenuCaptions);
  Shot(main, "main-menu");

  // Classic Commentary on the sample game: its eleven lines, with the voices
  // and the names found beside COMMENT.TOK.
  program.Press(kv::kCmdClassicCommentary);
  program.ChooseFile(InFolder("COMMENT.TOK"));
  WaitUntil([&] { return ListView_GetItemCount(FindWindowExA(main, nullptr, WC_LISTVIEWA, nullptr)) == 11; },
            "the eleven lines");
  Shot(main, "commentary");
  SendMessageA(main, WM_COMMAND, kv::kCmdBack, 0); // sent: the menu is back when it returns

  program.Press(kv::kCmdDecompressFile);
  program.ChooseFile(InFolder("example.bin"));
  program.ChooseFile(InFolder("abab.out"));
  EXPECT_EQ(program.Answer(), "abab.out: Decompression Success");
  EXPECT_EQ(ReadBytes(InFolder("abab.out")), kAbab);

  // Convert CEL to BMP: the CEL file, its palette, then a name for each image.
  program.Press(kv::kCmdCelToBmp);
  program.ChooseFile(InFolder("TITLE.CEL"));
  program.ChooseFile(InFolder("TITLE.PAL"));
  const Names images = {"1.BMP", "2.BMP", "3.BMP", "4.BMP", "5.BMP"};
  for (const std::string& name : images)
    program.ChooseFile(InFolder(name));

  // The viewer's open dialog shows only once the conversion has ended: no
  // command starts while another runs.
  program.Press(kv::kCmdWadViewer);
  program.ChooseFile(InFolder("SOUNDS.WAD"));
  HWND list = nullptr;
  WaitUntil([&] { return (list = FindWindowExA(main, nullptr, WC_LISTVIEWA, nullptr)) != nullptr; },
            "the list");
  PostMessageA(list, WM_CHAR, 1, 0); // Ctrl+A: a sort would unselect the rows that it moves
  WaitUntil([&] { return SendMessageA(list, LVM_GETSELECTEDCOUNT, 0, 0) == 16; },
            "Ctrl+A to select every row");
  const std::vector<HWND> screen = ChildrenOf(main);
  program.Press(kv::kCmdExtractAll);
  program.ChooseFolder(out);
  const std::string question = program.Answer(IDYES, [&] {
    // A click on "Name" (which would sort), "< Back", two other commands and
    // a close. Sent: each has been handled when its send returns, and one that
    // started a command would not return while that command waits on the user.
    HWND header = reinterpret_cast<HWND>(SendMessageA(list, LVM_GETHEADER, 0, 0));
    const std::tuple<HWND, UINT, WPARAM, LPARAM> input[] = {
        {header, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100, 10)},
        {header, WM_LBUTTONUP, 0, MAKELPARAM(100, 10)},
        {main, WM_COMMAND, kv::kCmdBack, 0},
        {main, WM_COMMAND, kv::kCmdDecompressFile, 0},
        {main, WM_COMMAND, kv::kCmdCelToBmp, 0},
        {main, WM_CLOSE, 0, 0}};
    for (const auto& [window, message, wparam, lparam] : input)
      EXPECT_TRUE(SendMessageTimeoutA(window, message, wparam, lparam, SMTO_ABORTIFHUNG, 5000, nullptr))
          << message;
    EXPECT_EQ(ChildrenOf(main), screen) << "\"< Back\" ran during the extraction";
    EXPECT_EQ(SendMessageA(list, LVM_GETSELECTEDCOUNT, 0, 0), 16) << "the rows were sorted";
  });
  EXPECT_EQ(question, "PLAYS.TXT: File Already Exist!\nDo you wish to overwrite it?");
  EXPECT_EQ(program.Answer(), "DAMAGED.DAT: Decompression Failed\n Extracting file \"as is\" ");
  EXPECT_EQ(program.Answer(), "Files Extracted: 16");
  EXPECT_EQ(program.WaitForExit(), 0u) << "the close asked for during the extraction was not carried out";
  EXPECT_NE(ReadBytes(out + "\\PLAYS.TXT"), (Bytes{'o', 'l', 'd'}));
  const kv::SampleClip clip = kv::SampleSpeechClips().at(0); // a WAV file: a 46-byte header, then the samples
  const std::string wav = out + "\\" + clip.entry_name.substr(0, clip.entry_name.find('.')) + ".WAV";
  EXPECT_EQ(ReadBytes(wav).size(), 46 + clip.samples.size()) << wav;
  for (const std::string& name : images)
    EXPECT_EQ(ReadBytes(InFolder(name)).at(0), 'B') << name; // a BMP file, "BM"
}

} // namespace
} // namespace e2e
