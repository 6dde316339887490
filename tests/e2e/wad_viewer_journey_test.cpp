// The WAD viewer from its button to the files extracted: the screen it
// builds, the sample game's speech clips as WAV files, the overwrite modes,
// the list's sort, Ctrl+A and Extract Selection, "< Back" and refused
// archives, and input that arrives while an extraction waits on the user.
#include <filesystem>
#include <tuple>
#include <utility>

#include "e2e/harness.h"
#include "sample/sample_folder.h"
#include "shell/mode_state.h"
#include "shell/shell.h"
#include "support/wad_builder.h"
#include "wad/current_wad.h"
#include "wad/wad_archive.h"

namespace e2e {
namespace {

using kv::test::BuildWad;
using kv::test::Member;
using WadViewer = Session;
const std::string kQuestion = ": File Already Exist!\nDo you wish to overwrite it?";

TEST_F(WadViewer, AnArchiveIsShownExtractedAndLetGoAndBrokenOnesAreRefused) {
  HWND list = OpenArchive("ABAB.WAD", kv::test::AbabArchive());
  EXPECT_EQ(TextsOf(ChildrenOf(main_)),
            (Names{"< Back", "Extract All", "Extract Selection", "Convert SFX to WAV when extracting",
                   "Overwrite Mode", "Ask before overwrite", "Overwrite without prompt",
                   "Skip existing files", "ABAB.WAD", "Size: 36 bytes", "Contains: 1 files", ""}));
  EXPECT_EQ((Names{Cell(list, 0, 0), Cell(list, 0, 1), Cell(list, 0, 2), Cell(list, 0, 3), Cell(list, 0, 4)}),
            (Names{"ABAB.TXT", "TXT", "12", "4", "24"}));
  ExtractInto(kv::kCmdExtractAll, "out");
  EXPECT_EQ(Shown(), Names{"Files Extracted: 1"});
  EXPECT_EQ(FilesIn(InFolder("out")), Names{"ABAB.TXT"});
  EXPECT_EQ(ReadBytes(InFolder("out\\ABAB.TXT")), kAbab);

  Click(kv::kCmdBack);
  EXPECT_FALSE(IsWindow(list));
  EXPECT_EQ(kv::CurrentWad(), nullptr) << "the archive's image was not released";
  const std::vector<HWND> menu = ChildrenOf(main_);
  EXPECT_EQ(TextsOf(menu), kMenuCaptions);

  // A directory that runs past the end of the file is refused; the menu stays.
  kv::test::WadLayout layout;
  layout.count = 5;
  EXPECT_EQ(OpenArchive("BROKEN.WAD", BuildWad({Member("ONE.TXT", kAbab)}, layout)), nullptr);
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].caption, "BROKEN.WAD");
  Shown();
  EXPECT_EQ(ChildrenOf(main_), menu);

  // An archive of no entries opens, takes Ctrl+A, and has nothing to extract.
  list = OpenArchive("EMPTY.WAD", Bytes{0, 0});
  EXPECT_EQ(TextOf(ChildrenOf(main_)[10]), "Contains: 0 files");
  SendMessageA(list, WM_CHAR, 1, 0);
  Click(kv::kCmdExtractAll);
  EXPECT_EQ(Shown(), Names{"ExtractAll(): No WAD file loaded"});
}

TEST_F(WadViewer, TheSampleGamesClipsBecomeWavFilesOrStayAsStoredWhileTheRowsKeepTheirNames) {
  for (const kv::SampleFile& file : kv::BuildSampleFolder())
    if (file.name == "SOUNDS.WAD") WriteBytes(InFolder(file.name), file.bytes);
  Names names;
  for (const kv::WadEntry& entry : kv::ReadWadDirectory(*ReadBytes(InFolder("SOUNDS.WAD"))))
    names.push_back(entry.name);
  HWND list = OpenArchive("SOUNDS.WAD");
  ASSERT_EQ(Column(list, 0), names);
  Shot(main_, "sounds");
  for (const char* folder : {"wav", "plain"}) {
    ExtractInto(kv::kCmdExtractAll, folder);
    EXPECT_EQ(Shown(), (Names{"DAMAGED.DAT: Decompression Failed\n Extracting file \"as is\" ",
                              "Files Extracted: " + std::to_string(names.size())}));
    EXPECT_EQ(Column(list, 0), names) << "the conversion renamed a row";
    if (IsDlgButtonChecked(main_, kv::kCmdConvertSfx)) Click(kv::kCmdConvertSfx); // the clips as stored
    EXPECT_FALSE(IsDlgButtonChecked(main_, kv::kCmdConvertSfx));
  }
  for (const kv::SampleClip& clip : kv::SampleSpeechClips()) {
    const std::string wav_name = clip.entry_name.substr(0, clip.entry_name.find('.')) + ".WAV";
    SCOPED_TRACE(wav_name);
    const Bytes samples(clip.samples.begin(), clip.samples.end());
    const Bytes wav = ReadBytes(InFolder("wav\\" + wav_name)).value_or(Bytes(46));
    EXPECT_EQ(std::string(wav.begin(), wav.begin() + 4), "RIFF");
    EXPECT_EQ(Bytes(wav.begin() + 46, wav.end()), samples);
    EXPECT_FALSE(ReadBytes(InFolder("wav\\" + clip.entry_name))) << "a raw clip beside its WAV";
    EXPECT_EQ(ReadBytes(InFolder("plain\\" + clip.entry_name)), samples);
  }
}

TEST_F(WadViewer, ExistingFilesAreAskedAboutSkippedOrOverwrittenAsTheRadioButtonsSay) {
  OpenArchive("ABAB.WAD", kv::test::AbabArchive());
  const std::string file = InFolder("out\\ABAB.TXT");
  const Bytes old = {'o', 'l', 'd'};
  const std::tuple<int, std::optional<int>, Bytes> steps[] = {{kv::kCmdAskOverwrite, IDNO, old},
                                                              {kv::kCmdAskOverwrite, IDYES, kAbab},
                                                              {kv::kCmdSkipExisting, {}, old},
                                                              {kv::kCmdOverwrite, {}, kAbab}};
  for (const auto& [radio, answer, result] : steps) {
    SCOPED_TRACE(radio);
    std::filesystem::create_directories(InFolder("out"));
    WriteBytes(file, old);
    Click(radio);
    for (const int other : {kv::kCmdAskOverwrite, kv::kCmdSkipExisting, kv::kCmdOverwrite})
      EXPECT_EQ(IsDlgButtonChecked(main_, other) == BST_CHECKED, other == radio) << "not one group";
    if (answer) ui_.Answer(*answer);
    ExtractInto(kv::kCmdExtractAll, "out");
    Names shown = {std::string("Files Extracted: ") + (result == old ? "0" : "1")};
    if (answer) shown.insert(shown.begin(), "ABAB.TXT" + kQuestion);
    EXPECT_EQ(Shown(), shown);
    EXPECT_EQ(ReadBytes(file), result);
  }
  EXPECT_EQ(FilesIn(InFolder("out")), Names{"ABAB.TXT"}) << "a temporary file was left behind";
}

// What the commentary and remix lists hang on their rows; counts releases.
struct Tag : kv::RowRecord {
  Tag(std::string name, int& released) : name(std::move(name)), released(released) {}
  ~Tag() override { ++released; }
  std::string name;
  int& released;
};

TEST_F(WadViewer, HeaderClicksSortNumbersAsNumbersAndCarryWholeRows) {
  // Directory order A9, C100, B10, D10: the ascending sort moves B and D (C
  // stands above them) and only shifts C, which keeps its selection.
  const auto sized = [](std::string name, std::uint32_t declared) {
    return kv::test::StoredMember(std::move(name),
                                  kv::test::BlockWithSize(declared, {0, 6, 0x82, 8, 0xED, 5, 0xFC, 3}));
  };
  HWND list =
      OpenArchive("SIZES.WAD",
                  BuildWad({sized("A.DAT", 9), sized("C.DAT", 100), sized("B.DAT", 10), sized("D.DAT", 10)}));
  // Records, and a cell longer than the 254 characters that the comparison
  // looks at: both travel with their rows.
  int released = 0;
  LVITEMA item{};
  item.mask = LVIF_PARAM;
  for (item.iItem = 0; item.iItem < 4; ++item.iItem) {
    ListView_SetItemState(list, item.iItem, LVIS_SELECTED, LVIS_SELECTED);
    item.lParam = kv::AdoptRowRecord(std::make_unique<Tag>(Cell(list, item.iItem, 0), released));
    ListView_SetItem(list, &item);
  }
  std::string long_cell = std::string(300, 'x') + "END";
  ListView_SetItemText(list, 2, 2, long_cell.data());
  const auto sort_by_size = [&](const Names& names) {
    ClickHeader(list, 3);
    EXPECT_EQ(Column(list, 0), names);
    for (item.iItem = 0; item.iItem < 4 && ListView_GetItem(list, &item); ++item.iItem)
      EXPECT_EQ(static_cast<Tag*>(kv::RowRecordOf(item.lParam))->name, names[item.iItem])
          << "a record moved off";
    EXPECT_EQ(Cell(list, 1, 2), long_cell) << "B.DAT's long cell stayed behind";
  };
  sort_by_size({"A.DAT", "B.DAT", "D.DAT", "C.DAT"});
  EXPECT_EQ(SelectedRows(list), (std::vector<int>{0, 3})) << "moved rows must come back unselected";
  EXPECT_EQ(Cell(list, 3, 4), "102") << "a row's cells were separated";
  Shot(main_, "sorted");
  sort_by_size({"C.DAT", "B.DAT", "D.DAT", "A.DAT"}); // equal sizes keep their order
  sort_by_size({"A.DAT", "B.DAT", "D.DAT", "C.DAT"});
  Click(kv::kCmdBack);
  EXPECT_EQ(released, 4) << "each record is released once, with the list";
}

TEST_F(WadViewer, ExtractSelectionWritesTheSelectedRowsAndCtrlASelectsThemAll) {
  std::vector<kv::test::WadMember> members;
  for (int i = 10; i < 49; ++i)
    members.push_back(Member("FILE" + std::to_string(i) + ".TXT", kAbab));
  // 14 name bytes and no terminator: the row must carry all 14 for the
  // extraction to find the entry and tell what is wrong with it.
  members.push_back(Member("FOURTEENCHARSX", kAbab));
  HWND list = OpenArchive("MANY.WAD", BuildWad(members));
  ExtractInto(kv::kCmdExtractSelection, "none"); // the folder is asked for first
  EXPECT_EQ(Shown(), Names{"ExtractSelection(): There are no selections"});
  ListView_SetItemState(list, 1, LVIS_SELECTED, LVIS_SELECTED);
  ExtractInto(kv::kCmdExtractSelection, "one");
  EXPECT_EQ(Shown(), Names{"Files Extracted: 1"});
  EXPECT_EQ(FilesIn(InFolder("one")), Names{"FILE11.TXT"});

  SendMessageA(list, WM_CHAR, 1, 0); // Ctrl+A
  EXPECT_EQ(SelectedRows(list).size(), 40u);
  EXPECT_EQ(ListView_GetNextItem(list, -1, LVNI_FOCUSED), 39) << "the last row has no focus";
  const int top = ListView_GetTopIndex(list), page = ListView_GetCountPerPage(list);
  EXPECT_LT(page, 40) << "the list shows every row: the scrolling is not tested";
  EXPECT_GT(top + page, 39) << "the last row is not in view";
  EXPECT_EQ(ListView_GetSelectionMark(list), 0) << "row 0 is not the anchor";
  Shot(main_, "all-selected");
  ExtractInto(kv::kCmdExtractSelection, "all");
  ASSERT_EQ(ui_.messages.size(), 2u);
  EXPECT_EQ(ui_.messages[0].caption, "FOURTEENCHARSX");
  EXPECT_EQ(ui_.messages[1].text, "39");
  EXPECT_EQ(FilesIn(InFolder("all")).size(), 39u);
}

// Runs `during` at the next Yes/No question, as a real box's modal loop hands
// the main window's input to it while the question is open.
class Meanwhile final : public kv::platform::HostUi {
public:
  Meanwhile(HostUi& ui, std::function<void()> during)
      : ui_(ui), during_(std::move(during)), previous_(kv::platform::InstallHostUi(this)) {}
  ~Meanwhile() override { kv::platform::InstallHostUi(previous_); }
  int OnMessage(const kv::platform::MessageShown& message) override {
    if (message.buttons == kv::platform::Buttons::YesNo && during_) std::exchange(during_, nullptr)();
    return ui_.OnMessage(message);
  }
  std::optional<std::string> OnFileDialog(kv::platform::DialogKind kind,
                                          const kv::platform::FileDialog& dialog) override {
    return ui_.OnFileDialog(kind, dialog);
  }
  std::string OnChooseFolder(kv::platform::WindowHandle owner, const std::string& instruction) override {
    return ui_.OnChooseFolder(owner, instruction);
  }

private:
  HostUi& ui_;
  std::function<void()> during_;
  HostUi* previous_;
};

TEST_F(WadViewer, InputDuringAnExtractionIsHeldOffAndACloseWaitsForItsEnd) {
  HWND list = OpenArchive("TWO.WAD", BuildWad({Member("B.TXT", kAbab), Member("A.TXT", kAbab)}));
  std::filesystem::create_directories(InFolder("out"));
  WriteBytes(InFolder("out\\B.TXT"), {'o', 'l', 'd'});
  const std::vector<HWND> screen = ChildrenOf(main_);
  const Meanwhile meanwhile(ui_, [&] {
    ClickHeader(list, 0);                                       // would put A.TXT first
    Click(kv::kCmdBack);                                        // would free the archive
    SendMessageA(main_, WM_COMMAND, kv::kCmdDecompressFile, 0); // would open dialogs
    SendMessageA(main_, WM_COMMAND, kv::kCmdCelToBmp, 0);
    SendMessageA(main_, WM_CLOSE, 0, 0);
    EXPECT_EQ(ChildrenOf(main_), screen) << "\"< Back\" ran during the extraction";
    EXPECT_EQ(Column(list, 0), (Names{"B.TXT", "A.TXT"})) << "the rows were sorted";
    EXPECT_TRUE(IsWindow(main_)) << "the window closed in the middle of a command";
  });
  ui_.Answer(IDYES);
  ExtractInto(kv::kCmdExtractAll, "out");
  EXPECT_EQ(Shown(), (Names{"B.TXT" + kQuestion, "Files Extracted: 2"}));
  EXPECT_EQ(FilesIn(InFolder("out")), (Names{"A.TXT", "B.TXT"}));
  EXPECT_EQ(ReadBytes(InFolder("out\\B.TXT")), kAbab);

  // Between commands a click sorts again; then the held close ends the
  // window, and with it the program's message loop, with exit code 0.
  ClickHeader(list, 0);
  EXPECT_EQ(Column(list, 0), (Names{"A.TXT", "B.TXT"}));
  MSG message{};
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE) && message.message != WM_QUIT)
    DispatchMessageA(&message);
  EXPECT_FALSE(IsWindow(main_));
  EXPECT_EQ((std::pair{message.message, message.wParam}), (std::pair<UINT, WPARAM>{WM_QUIT, 0}));
}

} // namespace
} // namespace e2e
