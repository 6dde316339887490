// The WAD viewer from its button to the files extracted: the screen it
// builds, the overwrite modes, the list's sort, "< Back", refused and empty
// archives, Ctrl+A and Extract Selection. (The sample game's clips as WAV
// files, and input during an extraction: the program journey.)
#include "e2e/harness.h"
#include "shell/list_view_win.h"
#include "support/wad_builder.h"
#include "wad/current_wad.h"

namespace e2e {
namespace {

using kv::test::BuildWad;
using kv::test::Member;
using kv::test::Pattern;
using WadViewer = Session;

TEST_F(WadViewer, AnArchiveIsShownExtractedSortedAndLetGoBrokenOnesRefusedAndSelectedRowsExtracted) {
  // Directory order ABAB4, A9, C100, B10, D10: the ascending sort by size
  // moves B and D (C stands above them) and only shifts C.
  const Bytes sizes =
      BuildWad({kv::test::StoredMember("ABAB.TXT", kv::test::kAbabBlock), Member("A.DAT", Pattern(9)),
                Member("C.DAT", Pattern(100)), Member("B.DAT", Pattern(10)), Member("D.DAT", Pattern(10))});
  HWND list = OpenArchive("SIZES.WAD", sizes);
  EXPECT_EQ(
      TextsOf(ChildrenOf(main_)),
      (Names{"< Back", "Extract All", "Extract Selection", "Convert SFX to WAV when extracting",
             "Overwrite Mode", "Ask before overwrite", "Overwrite without prompt", "Skip existing files",
             "SIZES.WAD", "Size: " + std::to_string(sizes.size()) + " bytes", "Contains: 5 files", ""}));
  Names row;
  for (int column = 0; column < 5; ++column)
    row.push_back(Column(list, column).at(0));
  EXPECT_EQ(row, (Names{"ABAB.TXT", "TXT", "12", "4", "112"}));
  // Extract All over an older file: the radio buttons are one group, and the
  // one checked reaches the extraction. (Each mode's answers: the unit tests;
  // a question in a real box: the program journey.)
  MakeFolder("out");
  const Bytes old = {'o', 'l', 'd'};
  for (const auto& [radio, result] : {std::pair{kv::kCmdSkipExisting, old}, {kv::kCmdOverwrite, kAbab}}) {
    WriteBytes(InFolder("out\\ABAB.TXT"), old);
    Click(radio);
    for (const int other : {kv::kCmdAskOverwrite, kv::kCmdSkipExisting, kv::kCmdOverwrite})
      EXPECT_EQ(IsDlgButtonChecked(main_, other) == BST_CHECKED, other == radio) << "not one group";
    ExtractInto(kv::kCmdExtractAll, "out");
    EXPECT_EQ(ui_.Told(), Names{std::string("Files Extracted: ") + (result == old ? "4" : "5")}) << radio;
    EXPECT_EQ(ReadBytes(InFolder("out\\ABAB.TXT")), result) << radio;
  }

  // Header clicks sort numbers as numbers and carry whole rows. A cell longer
  // than the 254 characters that the comparison looks at travels with its
  // row. (Row records travel too: the remix journey previews a row after a
  // sort.)
  for (int row = 0; row < 5; ++row)
    ListView_SetItemState(list, row, LVIS_SELECTED, LVIS_SELECTED);
  std::string long_cell = std::string(300, 'x') + "END";
  kv::SetCellText(list, 3, 2, long_cell);
  const auto sort_by_size = [&](const Names& names, const Names& sizes) {
    ClickHeading(list, 3); // "Size"
    EXPECT_EQ(Column(list, 0), names);
    EXPECT_EQ(Column(list, 3), sizes) << "a row's cells were separated";
    EXPECT_EQ(Column(list, 2).at(std::find(names.begin(), names.end(), "B.DAT") - names.begin()), long_cell)
        << "B.DAT's long cell stayed behind";
  };
  sort_by_size({"ABAB.TXT", "A.DAT", "B.DAT", "D.DAT", "C.DAT"}, {"4", "9", "10", "10", "100"});
  EXPECT_EQ((std::vector<UINT>{ListView_GetSelectedCount(list), ListView_GetItemState(list, 1, LVIS_SELECTED),
                               ListView_GetItemState(list, 4, LVIS_SELECTED)}),
            (std::vector<UINT>{3, LVIS_SELECTED, LVIS_SELECTED}))
      << "moved rows must come back unselected";
  sort_by_size({"C.DAT", "B.DAT", "D.DAT", "A.DAT", "ABAB.TXT"},
               {"100", "10", "10", "9", "4"}); // equal sizes keep their order
  sort_by_size({"ABAB.TXT", "A.DAT", "B.DAT", "D.DAT", "C.DAT"}, {"4", "9", "10", "10", "100"});

  Click(kv::kCmdBack);
  EXPECT_EQ(kv::CurrentWad(), nullptr) << "the archive's image was not released";
  const std::vector<HWND> menu = ChildrenOf(main_);
  EXPECT_EQ(TextsOf(menu), kMenuCaptions);
  // A directory that runs past the end of the file is refused; the menu stays.
  Bytes broken = kv::test::AbabArchive();
  broken[0] = 5;
  EXPECT_EQ(OpenArchive("BROKEN.WAD", broken), nullptr);
  EXPECT_EQ(ui_.Told(), Names{"BROKEN.WAD: Refused: not a readable WAD archive: its directory of 5 entries "
                              "needs 112 bytes, but the file holds 36"});
  EXPECT_EQ(ChildrenOf(main_), menu);
  // An archive of no entries opens, takes Ctrl+A, and has nothing to extract.
  SendMessageA(OpenArchive("EMPTY.WAD", Bytes{0, 0}), WM_CHAR, 1, 0);
  Click(kv::kCmdExtractAll);
  EXPECT_EQ(ui_.Told(), Names{"ExtractAll(): No WAD file loaded"});
  Click(kv::kCmdBack);

  std::vector<kv::test::WadMember> members;
  for (int i = 10; i < 48; ++i)
    members.push_back(Member("FILE" + std::to_string(i) + ".TXT", kAbab));
  // 14 name bytes and no terminator: the row must carry all 14 for the
  // extraction to find the entry and tell what is wrong with it. Then caf +
  // 0xE9 + .txt, a Windows-1252 name, shown and written as café.txt.
  members.push_back(Member("FOURTEENCHARSX", kAbab));
  members.push_back(Member("DRUM.SFX", kAbab));
  members.push_back(Member("caf\xE9.txt", kAbab));
  list = OpenArchive("MANY.WAD", BuildWad(members));
  EXPECT_EQ(Column(list, 0)[40], "café.txt");
  ListView_SetItemState(list, 1, LVIS_SELECTED, LVIS_SELECTED);
  ExtractInto(kv::kCmdExtractSelection, "one");
  EXPECT_EQ(ui_.Told(), Names{"Files Extracted: 1"});
  EXPECT_EQ(kv::test::FilesIn(kv::test::FsPath(InFolder("one"))), Names{"FILE11.TXT"});

  SendMessageA(list, WM_CHAR, 1, 0); // Ctrl+A
  // Every row selected, the last focused and in view (of a list longer than
  // its page), row 0 still the anchor.
  const int top = ListView_GetTopIndex(list), page = ListView_GetCountPerPage(list);
  EXPECT_EQ((std::vector<int>{static_cast<int>(ListView_GetSelectedCount(list)),
                              ListView_GetNextItem(list, -1, LVNI_FOCUSED), page < 41 && top + page > 40,
                              ListView_GetSelectionMark(list)}),
            (std::vector<int>{41, 40, true, 0}));
  Shot(main_, "all-selected");
  ExtractInto(kv::kCmdExtractSelection, "all");
  EXPECT_EQ(ui_.Told(), (Names{"FOURTEENCHARSX: Failed: the entry's name has no terminating zero within its "
                               "14 bytes; nothing was written",
                               "Files Extracted: 40"}));
  EXPECT_EQ(kv::test::FilesIn(kv::test::FsPath(InFolder("all"))).size(), 40u);
  EXPECT_EQ(ReadBytes(InFolder("all\\café.txt")), kAbab);
  // An SFX entry becomes a WAV file (a 46-byte header before its samples);
  // its row keeps the name.
  EXPECT_EQ(ReadBytes(InFolder("all\\DRUM.WAV")).size(), 46u + 4);
  EXPECT_EQ(Column(list, 0)[39], "DRUM.SFX");
}

} // namespace
} // namespace e2e
