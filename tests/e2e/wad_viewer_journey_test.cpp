// The WAD viewer from its button to the files extracted: the screen it
// builds, the SFX conversion, the overwrite modes, the list's sort, Ctrl+A
// and Extract Selection, "< Back" and refused archives, and input during an
// extraction.
#include "e2e/harness.h"

#include <psapi.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <tuple>

#include "support/wad_builder.h"

namespace e2e {
namespace {

using kv::test::BuildWad;
using kv::test::Member;

const Bytes kAbab = {'A', 'B', 'A', 'B'};

// A member whose stored block declares `declared` bytes: listed with that
// size, never decoded by these journeys.
kv::test::WadMember SizedMember(std::string name, std::uint32_t declared) {
  return kv::test::StoredMember(
      std::move(name), kv::test::BlockWithSize(declared, {0x00, 0x06, 0x82, 0x08, 0xED, 0x05, 0xFC, 0x03}));
}

class WadViewerJourney : public Journey {
protected:
  // The output folders are made before the program lists anything: the
  // folder chooser now and then misses a folder made just before it opens.
  void SetUp() override {
    Journey::SetUp();
    for (const char* name : {"out", "wav", "plain", "one"})
      std::filesystem::create_directories(InFolder(name));
  }

  // Writes the archive into the working folder and chooses it in the viewer's
  // open dialog; `list_` is the viewer's list once it shows.
  void OpenArchive(const std::string& name, const Bytes& bytes, bool shows_list = true) {
    WriteBytes(InFolder(name), bytes);
    Press(GetDlgItem(main_, 200));
    ChooseFile(WaitForFileDialog("the open dialog"), InFolder(name));
    if (!shows_list) return;
    // The viewer builds its screen in one go: once the list answers, it is full.
    WaitUntil([&] { return (list_ = FindWindowExA(main_, nullptr, WC_LISTVIEWA, nullptr)) != nullptr; },
              "the WAD list");
    Send(list_, WM_NULL);
  }

  // Presses an extract button and chooses `folder` of the working folder.
  void ExtractInto(int button_id, const std::string& folder) {
    Press(GetDlgItem(main_, button_id));
    ChooseFolder(*target_, target_->WaitForWindow(IsFolderChooser, "the folder chooser"), InFolder(folder));
  }

  void ExpectCount(int count, const std::string& shot = {}) {
    EXPECT_EQ(Acknowledge("the count of files extracted", shot).text, std::to_string(count));
  }

  HWND list_ = nullptr;
};

TEST_F(WadViewerJourney, TheSmallestArchiveIsShownAndExtractedWhole) {
  OpenArchive("ABAB.WAD", kv::test::AbabArchive());
  EXPECT_EQ(TextsOf(ChildrenOf(main_)),
            (Names{"< Back", "Extract All", "Extract Selection", "Convert SFX to WAV when extracting",
                   "Overwrite Mode", "Ask before overwrite", "Overwrite without prompt",
                   "Skip existing files", "ABAB.WAD", "Size: 36 bytes", "Contains: 1 files", ""}));
  EXPECT_EQ(ListRows(*target_, list_), (std::vector<Names>{{"ABAB.TXT", "TXT", "12", "4", "24"}}));
  Shot(main_, "viewer");

  ExtractInto(204, "out");
  ExpectCount(1, "done");
  EXPECT_EQ(FilesIn(InFolder("out")), Names{"ABAB.TXT"});
  EXPECT_EQ(ReadBytes(InFolder("out\\ABAB.TXT")), kAbab);
}

TEST_F(WadViewerJourney, SfxEntriesBecomeWavFilesWhileTheirRowsKeepTheirNames) {
  Bytes samples(1001);
  for (std::size_t i = 0; i < samples.size(); ++i)
    samples[i] = static_cast<std::uint8_t>(128 + 100 * ((i / 7) % 2 == 0 ? 1 : -1) + i % 5);
  // 14 name bytes and no terminator: the row must carry all 14 for the
  // extraction to find the entry and tell what is wrong with it.
  OpenArchive("SOUNDS.WAD",
              BuildWad({Member("DRUM.SFX", samples), Member("kick.sfx", kAbab), Member("A.B.SFX", kAbab),
                        Member("NOTE.TXT", kAbab), Member("FOURTEENCHARSX", kAbab)}));
  const Names rows = {"DRUM.SFX", "kick.sfx", "A.B.SFX", "NOTE.TXT", "FOURTEENCHARSX"};
  for (const char* folder : {"wav", "plain"}) {
    SCOPED_TRACE(folder);
    ExtractInto(204, folder);
    EXPECT_EQ(Acknowledge("the failure of FOURTEENCHARSX").caption, "FOURTEENCHARSX");
    ExpectCount(4);
    EXPECT_EQ(ListColumn(*target_, list_, 0), rows) << "the conversion renamed a row";
    // With the box cleared, the clips come out as they are stored.
    if (IsChecked(GetDlgItem(main_, 203))) Press(GetDlgItem(main_, 203));
    WaitUntil([&] { return !IsChecked(GetDlgItem(main_, 203)); }, "the conversion box to clear");
  }
  EXPECT_EQ(FilesIn(InFolder("wav")), (Names{"A.B.SFX", "DRUM.WAV", "NOTE.TXT", "kick.WAV"}));
  const auto wav = ReadBytes(InFolder("wav\\DRUM.WAV"));
  ASSERT_TRUE(wav.has_value());
  ASSERT_EQ(wav->size(), samples.size() + 46);
  EXPECT_EQ(std::string(wav->begin(), wav->begin() + 4), "RIFF");
  EXPECT_TRUE(std::equal(samples.begin(), samples.end(), wav->begin() + 46)) << "the samples changed";
  EXPECT_EQ(FilesIn(InFolder("plain")), (Names{"A.B.SFX", "DRUM.SFX", "NOTE.TXT", "kick.sfx"}));
  EXPECT_EQ(ReadBytes(InFolder("plain\\DRUM.SFX")), samples);
}

TEST_F(WadViewerJourney, ExistingFilesAreAskedAboutSkippedOrOverwrittenAsTheRadioButtonsSay) {
  OpenArchive("ABAB.WAD", kv::test::AbabArchive());
  const std::string file = InFolder("out\\ABAB.TXT");
  const Bytes old = {'o', 'l', 'd'};
  WriteBytes(file, old);

  // Ask, the default: No keeps the file, Yes replaces it.
  for (const int answer : {IDNO, IDYES}) {
    ExtractInto(204, "out");
    const MessageBoxView question = WaitForMessageBox(*target_, "the overwrite question");
    EXPECT_EQ(question.caption, "ABAB.TXT");
    EXPECT_EQ(question.buttons, (std::vector<int>{IDYES, IDNO}));
    if (answer == IDNO) Shot(question.window, "question");
    Dismiss(question.window, answer);
    ExpectCount(answer == IDYES ? 1 : 0);
    EXPECT_EQ(ReadBytes(file), answer == IDYES ? kAbab : old);
  }

  // Skip: no question, nothing written. Overwrite: no question, the file is replaced.
  for (const auto& [radio, unchecked, result] : {std::tuple{210, 209, old}, std::tuple{208, 210, kAbab}}) {
    WriteBytes(file, old);
    Press(GetDlgItem(main_, radio));
    WaitUntil([&] { return IsChecked(GetDlgItem(main_, radio)); }, "the radio button to be checked");
    EXPECT_FALSE(IsChecked(GetDlgItem(main_, unchecked))) << "the radio buttons are not one group";
    ExtractInto(204, "out");
    ExpectCount(result == old ? 0 : 1);
    EXPECT_EQ(ReadBytes(file), result);
  }
  EXPECT_EQ(FilesIn(InFolder("out")), Names{"ABAB.TXT"}) << "a temporary file was left behind";
}

TEST_F(WadViewerJourney, HeaderClicksSortNumbersAsNumbersAndAlternateTheOrder) {
  // Directory order A9, C100, B10, D10: the ascending sort moves B and D (C
  // stands above them) and only shifts C, which keeps its selection.
  OpenArchive("SIZES.WAD", BuildWad({SizedMember("A.DAT", 9), SizedMember("C.DAT", 100),
                                     SizedMember("B.DAT", 10), SizedMember("D.DAT", 10)}));
  // What other lists hang on their rows, and a cell longer than the 254
  // characters that the comparison looks at: both travel with their rows.
  const auto row_data = [&](int row, std::optional<LPARAM> data = {}) {
    std::string none;
    LVITEMA item{};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    item.lParam = data.value_or(0);
    SendListItem(*target_, list_, data ? LVM_SETITEMA : LVM_GETITEMA, 0, item, none);
    return item.lParam;
  };
  const std::map<std::string, LPARAM> data = {
      {"A.DAT", 0x1000}, {"C.DAT", 0x1001}, {"B.DAT", 0x1002}, {"D.DAT", 0x1003}};
  for (int row = 0; row < 4; ++row) {
    SelectListRow(*target_, list_, row);
    row_data(row, data.at(ListCell(*target_, list_, row, 0)));
  }
  std::string long_cell = std::string(300, 'x') + "END";
  LVITEMA cell{};
  cell.iSubItem = 2;
  SendListItem(*target_, list_, LVM_SETITEMTEXTA, 2, cell, long_cell);
  const auto expect_rows_whole = [&] {
    for (int row = 0; row < 4; ++row)
      EXPECT_EQ(row_data(row), data.at(ListCell(*target_, list_, row, 0))) << "item data left row " << row;
    EXPECT_EQ(ListCell(*target_, list_, 1, 2), long_cell) << "B.DAT's long cell stayed behind";
  };
  const auto sort_by = [&](int column, const Names& names) {
    ClickColumnHeader(*target_, list_, column);
    WaitUntil([&] { return ListColumn(*target_, list_, 0) == names; },
              "the sort by column " + std::to_string(column));
  };

  sort_by(3, {"A.DAT", "B.DAT", "D.DAT", "C.DAT"});
  EXPECT_EQ(SelectedListRows(list_), (std::vector<int>{0, 3})) << "moved rows must come back unselected";
  EXPECT_EQ(ListRows(*target_, list_)[3], (Names{"C.DAT", "DAT", "12", "100", "102"}))
      << "a row's cells were separated";
  expect_rows_whole();
  Shot(main_, "ascending");
  sort_by(3, {"C.DAT", "B.DAT", "D.DAT", "A.DAT"}); // equal sizes keep their order
  expect_rows_whole();
  sort_by(3, {"A.DAT", "B.DAT", "D.DAT", "C.DAT"});

  // The values are not records of this program: none may be released.
  for (int row = 0; row < 4; ++row)
    row_data(row, 0);
}

TEST_F(WadViewerJourney, ExtractSelectionWritesTheSelectedRowsAndCtrlASelectsThemAll) {
  std::vector<kv::test::WadMember> members;
  for (int i = 0; i < 40; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "FILE%02d.TXT", i);
    members.push_back(Member(name, kAbab));
  }
  OpenArchive("MANY.WAD", BuildWad(members));
  // The folder chooser comes although nothing is selected.
  ExtractInto(205, "out");
  EXPECT_EQ(Acknowledge("the box about no selection", "no-selection").text, "There are no selections");

  // The second row alone is selected. (Real mouse and keyboard input is
  // lost now and then under Wine; the list gets the messages they make.)
  const auto select_row_1 = [&] {
    SelectListRow(*target_, list_, 1);
    WaitUntil([&] { return SelectedListRows(list_) == std::vector<int>{1}; }, "row 1 to be selected");
  };
  select_row_1();
  ExtractInto(205, "one");
  ExpectCount(1);
  EXPECT_EQ(FilesIn(InFolder("one")), Names{"FILE01.TXT"});

  select_row_1();
  PostMessageA(list_, WM_CHAR, 1, 0); // Ctrl+A
  WaitUntil([&] { return SelectedListRows(list_).size() == 40; }, "Ctrl+A to select every row");
  EXPECT_EQ(Send(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED), 39)
      << "the last row has no focus";
  const auto top = static_cast<int>(Send(list_, LVM_GETTOPINDEX));
  const auto page = static_cast<int>(Send(list_, LVM_GETCOUNTPERPAGE));
  EXPECT_LT(page, 40) << "the list shows every row: the scrolling is not tested";
  EXPECT_GT(top + page, 39) << "the last row is not in view";
  EXPECT_EQ(Send(list_, LVM_GETSELECTIONMARK), 0) << "row 0 is not the anchor";
  Shot(main_, "all-selected");
  ExtractInto(205, "out");
  ExpectCount(40);
  EXPECT_EQ(FilesIn(InFolder("out")).size(), 40u);
}

// The process's committed private memory, as the system counts it.
std::size_t PrivateBytes(HANDLE process) {
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  if (!GetProcessMemoryInfo(process, &counters, sizeof counters))
    throw Failure("GetProcessMemoryInfo failed");
  return counters.PagefileUsage;
}

TEST_F(WadViewerJourney, BackReleasesTheArchiveAndTheViewerOpensAgainUnlessAnArchiveIsBroken) {
  // 48 MiB behind the directory: the held image is easy to see in the
  // program's memory, and must leave it with the mode.
  constexpr std::size_t kPadding = 48u << 20;
  Bytes archive = BuildWad({Member("ONE.TXT", kAbab)});
  const std::size_t before_open = PrivateBytes(target_->Process());
  archive.resize(archive.size() + kPadding, 0xAA);
  OpenArchive("BIG.WAD", archive);
  const std::size_t while_open = PrivateBytes(target_->Process());
  EXPECT_GT(while_open, before_open + kPadding / 2) << "the measure does not see the image";
  PostCommand(main_, 201);
  // The whole command runs in one message: wait for its end, not for a
  // moment inside it.
  WaitUntil([&] { return !IsWindow(list_) && TextsOf(ChildrenOf(main_)) == kMenuCaptions; },
            "the main menu in place of the viewer after \"< Back\"");
  EXPECT_LT(PrivateBytes(target_->Process()) + kPadding / 2, while_open)
      << "the archive image was not released";

  // A directory that runs past the end of the file is refused; the menu stays.
  kv::test::WadLayout layout;
  layout.count = 5;
  const std::vector<HWND> menu = ChildrenOf(main_);
  OpenArchive("BROKEN.WAD", BuildWad({Member("ONE.TXT", kAbab)}, layout), false);
  EXPECT_EQ(Acknowledge("the refusal of BROKEN.WAD", "refused").caption, "BROKEN.WAD");
  ExpectOnlyTheMenu();
  EXPECT_EQ(ChildrenOf(main_), menu);

  // An archive of no entries opens, takes Ctrl+A, and has nothing to extract.
  OpenArchive("EMPTY.WAD", Bytes{0, 0});
  EXPECT_EQ(TextOf(ChildrenOf(main_)[10]), "Contains: 0 files");
  EXPECT_EQ(ListRowCount(list_), 0);
  PostMessageA(list_, WM_CHAR, 1, 0x001E0001);
  Send(list_, WM_NULL);
  Press(GetDlgItem(main_, 204));
  Acknowledge("the box about no archive");
}

TEST_F(WadViewerJourney, ASortOrBackDuringAnExtractionIsIgnoredAndTheExtractionCompletes) {
  OpenArchive("TWO.WAD", BuildWad({Member("B.TXT", kAbab), Member("A.TXT", kAbab)}));
  WriteBytes(InFolder("out\\B.TXT"), {'o', 'l', 'd'});
  const std::vector<HWND> screen = ChildrenOf(main_);

  ExtractInto(204, "out");
  const MessageBoxView question = WaitForMessageBox(*target_, "the overwrite question for B.TXT");
  ClickColumnHeader(*target_, list_, 0); // would put A.TXT first
  PostCommand(main_, 201);               // would free the archive
  Pause(300ms);
  Shot(GetDesktopWindow(), "held-off");
  EXPECT_EQ(ChildrenOf(main_), screen) << "\"< Back\" ran during the extraction";
  EXPECT_EQ(ListColumn(*target_, list_, 0), (Names{"B.TXT", "A.TXT"})) << "the rows were sorted";

  Dismiss(question.window, IDYES);
  ExpectCount(2);
  EXPECT_EQ(ReadBytes(InFolder("out\\B.TXT")), kAbab);
  EXPECT_EQ(ReadBytes(InFolder("out\\A.TXT")), kAbab);

  // Afterwards the same click sorts.
  ClickColumnHeader(*target_, list_, 0);
  WaitUntil([&] { return ListColumn(*target_, list_, 0)[0] == "A.TXT"; }, "the sort after the extraction");
}

} // namespace
} // namespace e2e
