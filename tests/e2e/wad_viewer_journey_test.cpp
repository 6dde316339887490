// The WAD viewer from its button to the files extracted: the screen it
// builds, the list and its sort, Ctrl+A, the overwrite modes, the SFX
// conversion, "< Back", damaged archives, and input during an extraction.
#include "e2e/harness.h"

#include <commctrl.h>
#include <psapi.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <random>

#include "support/wad_builder.h"

namespace e2e {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Rows = std::vector<std::vector<std::string>>;
using kv::test::BuildWad;
using kv::test::Member;

const Bytes kAbab = {'A', 'B', 'A', 'B'};
constexpr const char* kOverwriteQuestion = "File Already Exist!\nDo you wish to overwrite it?";

// A bounded send, for the few messages this file sends itself.
LRESULT Ask(HWND window, UINT message, WPARAM wparam = 0, LPARAM lparam = 0) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutA(window, message, wparam, lparam, SMTO_ABORTIFHUNG, 5000, &result))
    throw Failure("no answer to message " + std::to_string(message));
  return static_cast<LRESULT>(result);
}

std::string Lower(std::string text) {
  for (char& c : text)
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::uint32_t U32At(const Bytes& bytes, std::size_t at) {
  return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 |
         static_cast<std::uint32_t>(bytes[at + 3]) << 24;
}

// A member whose stored block declares `declared` bytes and holds the worked
// example's stream: listed with that size, never decoded by these journeys.
kv::test::WadMember SizedMember(std::string name, std::uint32_t declared) {
  const Bytes stream = {0x00, 0x06, 0x82, 0x08, 0xED, 0x05, 0xFC, 0x03};
  return kv::test::StoredMember(std::move(name), kv::test::BlockWithSize(declared, stream));
}

struct ColumnView {
  std::string caption;
  int width = 0;
  int format = 0;
};

class WadViewerJourney : public Journey {
protected:
  // Writes the archive into the working folder and opens it in the viewer.
  void OpenArchive(const std::string& name, const Bytes& bytes) {
    WriteBytes(InFolder(name), bytes);
    PressViewerButton();
    HWND open = WaitForFileDialog(*target_, "the open dialog \"Select Kroll WAD file\"");
    EXPECT_EQ(TextOf(open), "Select Kroll WAD file");
    ChooseFile(open, InFolder(name));
    list_ = WaitForList();
  }

  void PressViewerButton() {
    HWND button = GetDlgItem(main_, 200);
    if (button == nullptr) throw Failure("the main menu has no \"WAD Viewer\" button");
    Press(button);
  }

  HWND FindList() const {
    for (HWND child : ChildrenOf(main_))
      if (ClassOf(child) == WC_LISTVIEWA) return child;
    return nullptr;
  }

  // The viewer builds its screen in one go: once the list answers, it is full.
  HWND WaitForList() {
    HWND list = nullptr;
    WaitUntil([&] { return (list = FindList()) != nullptr; }, "the WAD list");
    Ask(list, WM_NULL);
    return list;
  }

  // The output folders are made before the program lists anything: the
  // folder chooser now and then misses a folder made just before it opens.
  void SetUp() override {
    Journey::SetUp();
    for (const char* name : {"out", "wav", "plain"})
      std::filesystem::create_directories(InFolder(name));
  }

  // An empty folder under the working folder, for the files extracted.
  std::string OutFolder(const std::string& name) const { return InFolder(name); }

  // Presses an extract button and chooses `folder` in the folder chooser.
  void ExtractInto(int button_id, const std::string& folder) {
    Press(GetDlgItem(main_, button_id));
    ChooseFolder(*target_, WaitForFolderChooser(*target_, "the output folder"), folder);
  }

  // The box that ends a command; it is answered with OK.
  void ExpectFinalBox(const std::string& text, const std::string& caption, const std::string& shot = {}) {
    const MessageBoxView box = WaitForMessageBox(*target_, "\"" + text + "\" under \"" + caption + "\"");
    if (!shot.empty()) SaveScreenshot(box.window, Shot(shot));
    EXPECT_EQ(box.text, text);
    EXPECT_EQ(box.caption, caption);
    EXPECT_EQ(box.buttons, std::vector<int>{IDOK});
    Answer(box, IDOK);
  }

  void ExpectCount(int count) { ExpectFinalBox(std::to_string(count), "Files Extracted"); }

  // The texts of one column, read through one buffer in the target.
  std::vector<std::string> ColumnTexts(int column) {
    constexpr std::size_t kRoom = 512;
    RemoteBuffer remote(target_->Process(), sizeof(LVITEMA) + kRoom);
    std::vector<std::string> texts;
    const int rows = ListRowCount(list_);
    for (int row = 0; row < rows; ++row) {
      LVITEMA request{};
      request.iSubItem = column;
      request.pszText = static_cast<char*>(remote.address()) + sizeof(LVITEMA);
      request.cchTextMax = kRoom;
      remote.Write(&request, sizeof request);
      const auto length = static_cast<std::size_t>(Ask(list_, LVM_GETITEMTEXTA, row, remote.param()));
      std::string text(std::min(length, kRoom - 1), '\0');
      if (!text.empty()) remote.Read(text.data(), text.size(), sizeof(LVITEMA));
      texts.push_back(std::move(text));
    }
    return texts;
  }

  std::optional<ColumnView> Column(int index) {
    constexpr std::size_t kRoom = 256;
    RemoteBuffer remote(target_->Process(), sizeof(LVCOLUMNA) + kRoom);
    LVCOLUMNA request{};
    request.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT;
    request.pszText = static_cast<char*>(remote.address()) + sizeof(LVCOLUMNA);
    request.cchTextMax = kRoom;
    remote.Write(&request, sizeof request);
    if (!Ask(list_, LVM_GETCOLUMNA, index, remote.param())) return std::nullopt;
    LVCOLUMNA answer{};
    remote.Read(&answer, sizeof answer);
    char caption[kRoom] = {};
    remote.Read(caption, kRoom - 1, sizeof(LVCOLUMNA));
    return ColumnView{caption, answer.cx, answer.fmt & LVCFMT_JUSTIFYMASK};
  }

  // Sorted names of the plain files in `folder`.
  static std::vector<std::string> FilesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
      if (entry.is_regular_file()) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  // A row's item data, as the commentary and remix lists use it.
  LPARAM RowData(int row) {
    RemoteBuffer remote(target_->Process(), sizeof(LVITEMA));
    LVITEMA request{};
    request.mask = LVIF_PARAM;
    request.iItem = row;
    remote.Write(&request, sizeof request);
    if (!Ask(list_, LVM_GETITEMA, 0, remote.param())) throw Failure("no row " + std::to_string(row));
    remote.Read(&request, sizeof request);
    return request.lParam;
  }

  void SetRowData(int row, LPARAM data) {
    RemoteBuffer remote(target_->Process(), sizeof(LVITEMA));
    LVITEMA request{};
    request.mask = LVIF_PARAM;
    request.iItem = row;
    request.lParam = data;
    remote.Write(&request, sizeof request);
    Ask(list_, LVM_SETITEMA, 0, remote.param());
  }

  void SetCell(int row, int column, const std::string& text) {
    RemoteBuffer remote(target_->Process(), sizeof(LVITEMA) + text.size() + 1);
    LVITEMA request{};
    request.iSubItem = column;
    request.pszText = static_cast<char*>(remote.address()) + sizeof(LVITEMA);
    remote.Write(&request, sizeof request);
    remote.Write(text.c_str(), text.size() + 1, sizeof(LVITEMA));
    Ask(list_, LVM_SETITEMTEXTA, row, remote.param());
  }

  void SelectRows(std::initializer_list<int> rows) {
    for (int row : rows)
      SelectListRow(*target_, list_, row, true);
  }

  HWND list_ = nullptr;
};

struct ExpectedControl {
  const char* window_class;
  const char* text;
  DWORD style; // besides WS_CHILD | WS_VISIBLE
  RECT rect;   // left, top, right, bottom in the client area
  int id;
};

TEST_F(WadViewerJourney, TheSmallestArchiveIsShownAsBuiltAndExtractedWhole) {
  OpenArchive("ABAB.WAD", kv::test::AbabArchive());

  RECT client{};
  GetClientRect(main_, &client);
  const ExpectedControl expected[] = {
      {"Button", "< Back", BS_PUSHBUTTON, {10, 10, 160, 34}, 201},
      {"Button", "Extract All", BS_PUSHBUTTON, {210, 10, 360, 34}, 204},
      {"Button", "Extract Selection", BS_PUSHBUTTON, {210, 40, 360, 64}, 205},
      {"Button", "Convert SFX to WAV when extracting", BS_AUTOCHECKBOX, {210, 90, 485, 110}, 203},
      {"Button", "Overwrite Mode", BS_GROUPBOX, {10, 40, 200, 130}, 0},
      {"Button", "Ask before overwrite", BS_AUTORADIOBUTTON, {15, 60, 195, 80}, 209},
      {"Button", "Overwrite without prompt", BS_AUTORADIOBUTTON, {15, 80, 195, 100}, 208},
      {"Button", "Skip existing files", BS_AUTORADIOBUTTON, {15, 100, 195, 120}, 210},
      {"Button", "ABAB.WAD", BS_GROUPBOX, {410, 10, 600, 70}, 0},
      {"Static", "Size: 36 bytes", SS_SIMPLE, {415, 30, 565, 50}, 0},
      {"Static", "Contains: 1 files", SS_SIMPLE, {415, 50, 565, 70}, 0},
      {WC_LISTVIEWA,
       "",
       WS_DLGFRAME | LVS_REPORT | LVS_SHOWSELALWAYS,
       {0, 150, client.right, client.bottom - 20},
       0},
  };
  const std::vector<HWND> children = ChildrenOf(main_);
  ASSERT_EQ(children.size(), std::size(expected));
  for (std::size_t i = 0; i < children.size(); ++i) {
    const ExpectedControl& want = expected[i];
    SCOPED_TRACE(std::string(want.window_class) + " \"" + want.text + "\"");
    EXPECT_EQ(Lower(ClassOf(children[i])), Lower(want.window_class));
    EXPECT_EQ(TextOf(children[i]), want.text);
    EXPECT_EQ(GetDlgCtrlID(children[i]), want.id);
    const RECT rect = RectInParent(children[i]);
    EXPECT_EQ((std::vector<LONG>{rect.left, rect.top, rect.right, rect.bottom}),
              (std::vector<LONG>{want.rect.left, want.rect.top, want.rect.right, want.rect.bottom}));
    const auto style = static_cast<DWORD>(GetWindowLongA(children[i], GWL_STYLE));
    EXPECT_EQ(style & (WS_CHILD | WS_VISIBLE), DWORD{WS_CHILD | WS_VISIBLE});
    const DWORD kind_mask = want.window_class == std::string(WC_LISTVIEWA) ? (WS_DLGFRAME | 0xFFFF) : 0x1F;
    EXPECT_EQ(style & kind_mask, want.style) << std::hex << style;
  }
  EXPECT_TRUE(IsChecked(GetDlgItem(main_, 203)));
  EXPECT_TRUE(IsChecked(GetDlgItem(main_, 209)));
  EXPECT_FALSE(IsChecked(GetDlgItem(main_, 208)));
  EXPECT_FALSE(IsChecked(GetDlgItem(main_, 210)));

  EXPECT_EQ(Ask(list_, LVM_GETEXTENDEDLISTVIEWSTYLE) & LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
  const ColumnView columns[] = {{"Name", 200, LVCFMT_LEFT},
                                {"Type", 65, LVCFMT_LEFT},
                                {"Compressed Size", 125, LVCFMT_RIGHT},
                                {"Size", 125, LVCFMT_RIGHT},
                                {"Data Offset", 125, LVCFMT_RIGHT}};
  for (int i = 0; i < 5; ++i) {
    const std::optional<ColumnView> column = Column(i);
    ASSERT_TRUE(column.has_value()) << "no column " << i;
    EXPECT_EQ(column->caption, columns[i].caption);
    EXPECT_EQ(column->width, columns[i].width) << columns[i].caption;
    EXPECT_EQ(column->format, columns[i].format) << columns[i].caption;
  }
  EXPECT_FALSE(Column(5).has_value());
  EXPECT_EQ(ListRows(*target_, list_), (Rows{{"ABAB.TXT", "TXT", "12", "4", "24"}}));
  SaveScreenshot(main_, Shot("viewer"));

  const std::string out = OutFolder("out");
  ExtractInto(204, out);
  ExpectFinalBox("1", "Files Extracted", "done");
  EXPECT_EQ(FilesIn(out), std::vector<std::string>{"ABAB.TXT"});
  EXPECT_EQ(ReadBytes(out + "\\ABAB.TXT"), kAbab);
}

TEST_F(WadViewerJourney, SfxEntriesBecomeWavFilesWhileTheirRowsKeepTheirNames) {
  Bytes samples(1001);
  for (std::size_t i = 0; i < samples.size(); ++i)
    samples[i] = static_cast<std::uint8_t>(128 + 100 * ((i / 7) % 2 == 0 ? 1 : -1) + i % 5);
  OpenArchive("SOUNDS.WAD", BuildWad({Member("DRUM.SFX", samples), Member("kick.sfx", kAbab),
                                      Member("A.B.SFX", kAbab), Member("NOTE.TXT", kAbab)}));

  const std::string with_wav = OutFolder("wav");
  ExtractInto(204, with_wav);
  ExpectCount(4);
  EXPECT_EQ(FilesIn(with_wav), (std::vector<std::string>{"A.B.SFX", "DRUM.WAV", "NOTE.TXT", "kick.WAV"}));
  const auto wav = ReadBytes(with_wav + "\\DRUM.WAV");
  ASSERT_TRUE(wav.has_value());
  ASSERT_EQ(wav->size(), samples.size() + 46);
  EXPECT_EQ(std::string(wav->begin(), wav->begin() + 4), "RIFF");
  EXPECT_EQ(U32At(*wav, 4), samples.size() + 38);
  EXPECT_EQ(std::string(wav->begin() + 38, wav->begin() + 42), "data");
  EXPECT_EQ(U32At(*wav, 42), samples.size());
  EXPECT_TRUE(std::equal(samples.begin(), samples.end(), wav->begin() + 46)) << "the samples changed";
  EXPECT_EQ(ColumnTexts(0), (std::vector<std::string>{"DRUM.SFX", "kick.sfx", "A.B.SFX", "NOTE.TXT"}))
      << "the conversion renamed a row";

  // With the box cleared, the clips come out as they are stored.
  Press(GetDlgItem(main_, 203));
  WaitUntil([&] { return !IsChecked(GetDlgItem(main_, 203)); }, "the conversion box to clear");
  const std::string plain = OutFolder("plain");
  ExtractInto(204, plain);
  ExpectCount(4);
  EXPECT_EQ(FilesIn(plain), (std::vector<std::string>{"A.B.SFX", "DRUM.SFX", "NOTE.TXT", "kick.sfx"}));
  EXPECT_EQ(ReadBytes(plain + "\\DRUM.SFX"), samples);
}

TEST_F(WadViewerJourney, ExistingFilesAreAskedAboutSkippedOrOverwrittenAsTheRadioButtonsSay) {
  OpenArchive("ABAB.WAD", kv::test::AbabArchive());
  const std::string out = OutFolder("out");
  const std::string file = out + "\\ABAB.TXT";
  const Bytes old = {'o', 'l', 'd'};
  WriteBytes(file, old);

  // Ask, the default: No keeps the file, Yes replaces it.
  ExtractInto(204, out);
  MessageBoxView question = WaitForMessageBox(*target_, "the overwrite question");
  SaveScreenshot(question.window, Shot("question"));
  EXPECT_EQ(question.text, kOverwriteQuestion);
  EXPECT_EQ(question.caption, "ABAB.TXT");
  EXPECT_EQ(question.buttons, (std::vector<int>{IDYES, IDNO}));
  Answer(question, IDNO);
  ExpectCount(0);
  EXPECT_EQ(ReadBytes(file), old);

  ExtractInto(204, out);
  Answer(WaitForMessageBox(*target_, "the overwrite question"), IDYES);
  ExpectCount(1);
  EXPECT_EQ(ReadBytes(file), kAbab);

  // Skip: no question, nothing written; Extract Selection then has nothing to count.
  WriteBytes(file, old);
  Press(GetDlgItem(main_, 210));
  WaitUntil([&] { return IsChecked(GetDlgItem(main_, 210)); }, "\"Skip existing files\" to be checked");
  EXPECT_FALSE(IsChecked(GetDlgItem(main_, 209))) << "the radio buttons are not one group";
  ExtractInto(204, out);
  ExpectCount(0);
  SelectRows({0});
  ExtractInto(205, out);
  ExpectFinalBox("There are no selections", "ExtractSelection()");
  EXPECT_EQ(ReadBytes(file), old);

  // Overwrite: no question, the file is replaced.
  Press(GetDlgItem(main_, 208));
  WaitUntil([&] { return IsChecked(GetDlgItem(main_, 208)); }, "\"Overwrite without prompt\" to be checked");
  EXPECT_FALSE(IsChecked(GetDlgItem(main_, 210)));
  ExtractInto(204, out);
  ExpectCount(1);
  EXPECT_EQ(ReadBytes(file), kAbab);
  EXPECT_EQ(FilesIn(out), std::vector<std::string>{"ABAB.TXT"}) << "a temporary file was left behind";
}

TEST_F(WadViewerJourney, HeaderClicksSortNumbersAsNumbersAndAlternateTheOrder) {
  // Directory order A9, C100, B10, D10: the ascending sort moves B and D (C
  // stands above them) and only shifts C, which keeps its selection.
  OpenArchive("SIZES.WAD", BuildWad({SizedMember("A.DAT", 9), SizedMember("C.DAT", 100),
                                     SizedMember("B.DAT", 10), SizedMember("D.DAT", 10)}));
  SelectRows({0, 1, 2, 3});
  // What other lists hang on their rows, and a cell longer than the 254
  // characters that the comparison looks at: both travel with their rows.
  const std::map<std::string, LPARAM> data = {
      {"A.DAT", 0x1000}, {"C.DAT", 0x1001}, {"B.DAT", 0x1002}, {"D.DAT", 0x1003}};
  for (int row = 0; row < 4; ++row)
    SetRowData(row, data.at(ListCell(*target_, list_, row, 0)));
  const std::string long_cell = std::string(300, 'x') + "END";
  SetCell(2, 2, long_cell);
  const auto expect_rows_whole = [&] {
    for (int row = 0; row < 4; ++row) {
      const std::string name = ListCell(*target_, list_, row, 0);
      EXPECT_EQ(RowData(row), data.at(name)) << name << "'s item data stayed behind";
      if (name == "B.DAT") {
        EXPECT_EQ(ListCell(*target_, list_, row, 2), long_cell);
      }
    }
  };

  ClickColumnHeader(*target_, list_, 3);
  WaitUntil([&] { return ColumnTexts(0)[1] == "B.DAT"; }, "the ascending sort by Size");
  EXPECT_EQ(ColumnTexts(0), (std::vector<std::string>{"A.DAT", "B.DAT", "D.DAT", "C.DAT"}));
  EXPECT_EQ(ColumnTexts(3), (std::vector<std::string>{"9", "10", "10", "100"}));
  EXPECT_EQ(SelectedListRows(list_), (std::vector<int>{0, 3})) << "moved rows must come back unselected";
  EXPECT_EQ(ListRows(*target_, list_)[3], (std::vector<std::string>{"C.DAT", "DAT", "12", "100", "102"}))
      << "a row's cells were separated";
  expect_rows_whole();
  SaveScreenshot(main_, Shot("ascending"));

  ClickColumnHeader(*target_, list_, 3);
  WaitUntil([&] { return ColumnTexts(0)[0] == "C.DAT"; }, "the descending sort by Size");
  EXPECT_EQ(ColumnTexts(0), (std::vector<std::string>{"C.DAT", "B.DAT", "D.DAT", "A.DAT"}))
      << "equal sizes must keep their order";
  expect_rows_whole();

  ClickColumnHeader(*target_, list_, 3);
  WaitUntil([&] { return ColumnTexts(0)[0] == "A.DAT"; }, "the ascending sort by Size again");
  EXPECT_EQ(ColumnTexts(0), (std::vector<std::string>{"A.DAT", "B.DAT", "D.DAT", "C.DAT"}));

  // Every type is DAT: neither pass moves a row, and the selection stays.
  SelectRows({0, 1, 2, 3});
  ClickColumnHeader(*target_, list_, 1);
  Pause(200ms);
  EXPECT_EQ(ColumnTexts(0), (std::vector<std::string>{"A.DAT", "B.DAT", "D.DAT", "C.DAT"}));
  EXPECT_EQ(SelectedListRows(list_), (std::vector<int>{0, 1, 2, 3}));
  // The values are not records of this program: none may be released.
  for (int row = 0; row < 4; ++row)
    SetRowData(row, 0);
}

TEST_F(WadViewerJourney, NamesSortWithoutRegardToCaseAndKeepTheOrderOfEqualOnes) {
  OpenArchive("NAMES.WAD", BuildWad({SizedMember("b.dat", 1), SizedMember("KICK.SFX", 2),
                                     SizedMember("a.dat", 3), SizedMember("kick.sfx", 4)}));
  ClickColumnHeader(*target_, list_, 0);
  WaitUntil([&] { return ColumnTexts(0)[0] == "a.dat"; }, "the ascending sort by Name");
  EXPECT_EQ(ColumnTexts(0), (std::vector<std::string>{"a.dat", "b.dat", "KICK.SFX", "kick.sfx"}));
  ClickColumnHeader(*target_, list_, 0);
  WaitUntil([&] { return ColumnTexts(0)[0] == "KICK.SFX"; }, "the descending sort by Name");
  EXPECT_EQ(ColumnTexts(0), (std::vector<std::string>{"KICK.SFX", "kick.sfx", "b.dat", "a.dat"}));
  EXPECT_EQ(ColumnTexts(3), (std::vector<std::string>{"2", "4", "1", "3"}));
}

// Real input: the mouse puts the keyboard focus into the list, and the
// keyboard's Ctrl+A takes the path through TranslateMessage.
void ClickAt(POINT point) {
  const int width = GetSystemMetrics(SM_CXSCREEN);
  const int height = GetSystemMetrics(SM_CYSCREEN);
  INPUT inputs[2] = {};
  for (INPUT& input : inputs) {
    input.type = INPUT_MOUSE;
    input.mi.dx = point.x * 65535 / (width - 1);
    input.mi.dy = point.y * 65535 / (height - 1);
  }
  inputs[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_LEFTDOWN;
  inputs[1].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_LEFTUP;
  SendInput(2, inputs, sizeof(INPUT));
}

void TypeCtrlA() {
  INPUT inputs[4] = {};
  const WORD keys[4] = {VK_CONTROL, 'A', 'A', VK_CONTROL};
  for (int i = 0; i < 4; ++i) {
    inputs[i].type = INPUT_KEYBOARD;
    inputs[i].ki.wVk = keys[i];
    inputs[i].ki.dwFlags = i >= 2 ? KEYEVENTF_KEYUP : 0;
  }
  SendInput(4, inputs, sizeof(INPUT));
}

TEST_F(WadViewerJourney, CtrlASelectsEveryRowAndExtractSelectionWritesThemAll) {
  std::vector<kv::test::WadMember> members;
  for (int i = 0; i < 40; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "FILE%02d.TXT", i);
    members.push_back(Member(name, kAbab));
  }
  OpenArchive("MANY.WAD", BuildWad(members));
  SetForegroundWindow(main_);
  // A click on the second row selects it alone and gives the list the focus.
  RECT list_rect{};
  GetWindowRect(list_, &list_rect);
  ClickAt({list_rect.left + 60, list_rect.top + 45});
  WaitUntil([&] { return SelectedListRows(list_) == std::vector<int>{1}; }, "the click to select row 1");
  GUITHREADINFO gui{};
  gui.cbSize = sizeof gui;
  WaitUntil(
      [&] {
        return GetGUIThreadInfo(GetWindowThreadProcessId(main_, nullptr), &gui) && gui.hwndFocus == list_;
      },
      "the list to have the keyboard focus");

  TypeCtrlA();
  WaitUntil([&] { return SelectedListRows(list_).size() == 40; }, "Ctrl+A to select every row");
  EXPECT_EQ(Ask(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED), 39)
      << "the last row has no focus";
  const auto top = static_cast<int>(Ask(list_, LVM_GETTOPINDEX));
  const auto page = static_cast<int>(Ask(list_, LVM_GETCOUNTPERPAGE));
  EXPECT_LT(page, 40) << "the list shows every row: the scrolling is not tested";
  EXPECT_GT(top + page, 39) << "the last row is not in view";
  EXPECT_EQ(Ask(list_, LVM_GETSELECTIONMARK), 0) << "row 0 is not the anchor";
  SaveScreenshot(main_, Shot("all-selected"));

  const std::string out = OutFolder("out");
  ExtractInto(205, out);
  ExpectCount(40);
  EXPECT_EQ(FilesIn(out).size(), 40u);
}

TEST_F(WadViewerJourney, AnEmptyArchiveHasNothingToExtractOrSelect) {
  OpenArchive("EMPTY.WAD", Bytes{0, 0});
  EXPECT_EQ(TextOf(ChildrenOf(main_)[10]), "Contains: 0 files");
  EXPECT_EQ(ListRowCount(list_), 0);
  PostMessageA(list_, WM_CHAR, 1, 0x001E0001);
  Ask(list_, WM_NULL);

  Press(GetDlgItem(main_, 204));
  ExpectFinalBox("No WAD file loaded", "ExtractAll()");
  const std::string out = OutFolder("out");
  ExtractInto(205, out);
  ExpectFinalBox("There are no selections", "ExtractSelection()");
  EXPECT_TRUE(FilesIn(out).empty());
}

TEST_F(WadViewerJourney, ExtractSelectionAsksForTheFolderFirstAndWritesOnlyTheSelectedRows) {
  OpenArchive("THREE.WAD",
              BuildWad({Member("ONE.TXT", kAbab), Member("TWO.TXT", kAbab), Member("THREE.TXT", kAbab)}));
  const std::string out = OutFolder("out");
  ExtractInto(205, out); // the chooser must come although nothing is selected
  ExpectFinalBox("There are no selections", "ExtractSelection()", "no-selection");
  EXPECT_TRUE(FilesIn(out).empty());

  SelectRows({0, 2});
  ExtractInto(205, out);
  ExpectCount(2);
  EXPECT_EQ(FilesIn(out), (std::vector<std::string>{"ONE.TXT", "THREE.TXT"}));
}

// The process's committed private memory, as the system counts it.
std::size_t PrivateBytes(HANDLE process) {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  if (!GetProcessMemoryInfo(process, &counters, sizeof counters))
    throw Failure("GetProcessMemoryInfo failed");
  return counters.PagefileUsage;
}

TEST_F(WadViewerJourney, BackReleasesTheArchiveAndShowsTheMainMenu) {
  // 48 MiB behind the directory: the held image is easy to see in the
  // program's memory, and must leave it with the mode.
  constexpr std::size_t kPadding = 48u << 20;
  Bytes archive = BuildWad({Member("ONE.TXT", kAbab)});
  const std::size_t before_open = PrivateBytes(target_->Process());
  archive.resize(archive.size() + kPadding, 0xAA);
  OpenArchive("BIG.WAD", archive);
  const std::size_t while_open = PrivateBytes(target_->Process());
  EXPECT_GT(while_open, before_open + kPadding / 2) << "the measure does not see the image";

  HWND list = list_;
  PostCommand(main_, 201);
  WaitUntil([&] { return ChildrenOf(main_).size() == 5; }, "the main menu after \"< Back\"");
  EXPECT_FALSE(IsWindow(list));
  std::vector<std::string> captions;
  for (HWND button : ChildrenOf(main_))
    captions.push_back(TextOf(button));
  EXPECT_EQ(captions, (std::vector<std::string>{"Classic Commentary", "Remixed Commentary", "WAD Viewer",
                                                "Decompress Non-WAD File", "Convert CEL to BMP"}));
  const std::size_t after_back = PrivateBytes(target_->Process());
  EXPECT_LT(after_back + kPadding / 2, while_open) << "the archive image was not released";

  // The viewer opens afresh.
  OpenArchive("ABAB.WAD", kv::test::AbabArchive());
  EXPECT_EQ(ListRows(*target_, list_), (Rows{{"ABAB.TXT", "TXT", "12", "4", "24"}}));
  EXPECT_EQ(TextOf(ChildrenOf(main_)[8]), "ABAB.WAD");
}

TEST_F(WadViewerJourney, AnArchiveWhoseDirectoryRunsPastItsEndIsRefusedAndTheToolGoesOn) {
  kv::test::WadLayout layout;
  layout.count = 5;
  WriteBytes(InFolder("BROKEN.WAD"), BuildWad({Member("ONE.TXT", kAbab)}, layout));
  const std::vector<HWND> menu = ChildrenOf(main_);
  PressViewerButton();
  ChooseFile(WaitForFileDialog(*target_, "the open dialog"), InFolder("BROKEN.WAD"));
  const MessageBoxView box = WaitForMessageBox(*target_, "the refusal of BROKEN.WAD");
  SaveScreenshot(box.window, Shot("refused"));
  EXPECT_EQ(box.caption, "BROKEN.WAD");
  EXPECT_EQ(box.text.rfind("Refused: not a readable WAD archive: ", 0), 0u) << box.text;
  EXPECT_GT(box.text.size(), std::string("Refused: not a readable WAD archive: ").size());
  EXPECT_EQ(box.buttons, std::vector<int>{IDOK});
  Answer(box, IDOK);
  Pause(200ms);
  EXPECT_EQ(ChildrenOf(main_), menu) << "the main menu did not stay";

  OpenArchive("ABAB.WAD", kv::test::AbabArchive());
  EXPECT_EQ(ListRowCount(list_), 1);
}

TEST_F(WadViewerJourney, EntriesThatPointOutsideTheFileAreListedAndToldAboutWhenExtracted) {
  kv::test::WadMember outside = Member("FAR.TXT", kAbab);
  outside.data_offset = 100000;
  // 14 name bytes and no terminator: the row must carry all 14 to find it.
  OpenArchive("DAMAGED.WAD", BuildWad({Member("GOOD.TXT", kAbab), outside, Member("FOURTEENCHARSX", kAbab)}));
  const Rows rows = ListRows(*target_, list_);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[1][0], "FAR.TXT");
  EXPECT_EQ(rows[1][3], "?") << "a size outside the file has no value";
  EXPECT_EQ(rows[1][4], "100000");
  EXPECT_EQ(rows[2][0], "FOURTEENCHARSX");

  const std::string out = OutFolder("out");
  ExtractInto(204, out);
  for (const char* name : {"FAR.TXT", "FOURTEENCHARSX"}) {
    const MessageBoxView box = WaitForMessageBox(*target_, std::string("the failure of ") + name);
    EXPECT_EQ(box.caption, name);
    EXPECT_EQ(box.text.rfind("Failed: ", 0), 0u) << box.text;
    Answer(box, IDOK);
  }
  ExpectCount(1);
  EXPECT_EQ(FilesIn(out), std::vector<std::string>{"GOOD.TXT"});
}

TEST_F(WadViewerJourney, ASortOrBackDuringAnExtractionIsIgnoredAndTheExtractionCompletes) {
  OpenArchive("TWO.WAD", BuildWad({Member("B.TXT", kAbab), Member("A.TXT", kAbab)}));
  const std::string out = OutFolder("out");
  WriteBytes(out + "\\B.TXT", {'o', 'l', 'd'});
  const std::vector<HWND> screen = ChildrenOf(main_);

  ExtractInto(204, out);
  const MessageBoxView question = WaitForMessageBox(*target_, "the overwrite question for B.TXT");
  ClickColumnHeader(*target_, list_, 0); // would put A.TXT first
  PostCommand(main_, 201);               // would free the archive
  Pause(300ms);
  SaveScreenshot(GetDesktopWindow(), Shot("held-off"));
  EXPECT_EQ(ChildrenOf(main_), screen) << "\"< Back\" ran during the extraction";
  EXPECT_EQ(ColumnTexts(0), (std::vector<std::string>{"B.TXT", "A.TXT"})) << "the rows were sorted";

  Answer(question, IDYES);
  ExpectCount(2);
  EXPECT_EQ(ReadBytes(out + "\\B.TXT"), kAbab);
  EXPECT_EQ(ReadBytes(out + "\\A.TXT"), kAbab);

  // Afterwards the same click sorts.
  ClickColumnHeader(*target_, list_, 0);
  WaitUntil([&] { return ColumnTexts(0)[0] == "A.TXT"; }, "the sort after the extraction");
}

// Not a test of speed (nothing is asserted about time): prints how long a
// 10,000-entry archive takes to be listed, sorted, selected and released.
TEST_F(WadViewerJourney, TenThousandEntriesAreListedSortedAndReleased) {
  constexpr int kEntries = 10000;
  std::vector<int> numbers(kEntries);
  for (int i = 0; i < kEntries; ++i)
    numbers[i] = i;
  std::mt19937 random(7);
  std::shuffle(numbers.begin(), numbers.end(), random);
  std::vector<kv::test::WadMember> members;
  std::vector<std::uint32_t> sizes;
  for (int i = 0; i < kEntries; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "E%05d.%s", numbers[i], i % 3 == 0 ? "SFX" : "DAT");
    sizes.push_back(static_cast<std::uint32_t>(random() % 70000));
    members.push_back(SizedMember(name, sizes.back()));
  }
  WriteBytes(InFolder("LARGE.WAD"), BuildWad(members));
  std::sort(sizes.begin(), sizes.end());
  using Clock = std::chrono::steady_clock;
  const auto ms = [](Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); };

  PressViewerButton();
  HWND open = WaitForFileDialog(*target_, "the open dialog");
  auto start = Clock::now();
  ChooseFile(open, InFolder("LARGE.WAD"));
  list_ = WaitForList();
  ASSERT_EQ(ListRowCount(list_), kEntries);
  const double open_ms = ms(Clock::now() - start);

  SelectRows({0});
  start = Clock::now();
  ClickColumnHeader(*target_, list_, 3);
  WaitUntil([&] { return ListCell(*target_, list_, 0, 3) == std::to_string(sizes.front()); },
            "the sort of 10,000 rows");
  const double sort_ms = ms(Clock::now() - start);
  // Every row read back would take longer than the sort: a sample of them.
  for (int row = 0; row < kEntries; row += 97)
    EXPECT_EQ(ListCell(*target_, list_, row, 3), std::to_string(sizes[row])) << "row " << row;
  EXPECT_EQ(ListCell(*target_, list_, kEntries - 1, 3), std::to_string(sizes.back()));
  SaveScreenshot(main_, Shot("sorted"));

  start = Clock::now();
  ClickColumnHeader(*target_, list_, 3);
  WaitUntil([&] { return ListCell(*target_, list_, 0, 3) == std::to_string(sizes.back()); },
            "the reversed sort of 10,000 rows");
  const double reverse_ms = ms(Clock::now() - start);

  start = Clock::now();
  PostMessageA(list_, WM_CHAR, 1, 0x001E0001);
  WaitUntil([&] { return Ask(list_, LVM_GETSELECTEDCOUNT) == kEntries; }, "Ctrl+A on 10,000 rows");
  const double select_ms = ms(Clock::now() - start);

  start = Clock::now();
  PostCommand(main_, 201);
  WaitUntil([&] { return ChildrenOf(main_).size() == 5; }, "the main menu after \"< Back\"");
  const double back_ms = ms(Clock::now() - start);

  std::printf("[ timings  ] 10,000 entries: open %.0f ms, sort by Size %.0f ms (reversed %.0f ms), "
              "Ctrl+A %.0f ms, < Back %.0f ms\n",
              open_ms, sort_ms, reverse_ms, select_ms, back_ms);
  RecordProperty("open_ms", static_cast<int>(open_ms));
  RecordProperty("sort_ms", static_cast<int>(sort_ms));
}

} // namespace
} // namespace e2e
