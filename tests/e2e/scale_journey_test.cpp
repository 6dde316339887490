// The WAD viewer at the format's limit: an archive of 65,535 entries opens,
// sorts, finds a row by its first letters, selects all and extracts. (Under
// Wine every new file name costs a read of its folder, so the extraction
// writes a slice of the rows; the command line extracts whole archives of
// this size in its own tests and benchmark.)
#include "e2e/harness.h"
#include "support/wad_builder.h"
#include "wad/wad_writer.h"

namespace e2e {
namespace {

using WadViewerAtScale = Session;

TEST_F(WadViewerAtScale, OpensSortsFindsSelectsAndExtractsTheLargestArchive) {
  constexpr int kEntries = 65535;
  std::vector<kv::WadInput> inputs;
  for (int i = 0; i < kEntries; ++i)
    inputs.push_back({"E" + std::to_string(i) + ".DAT", {}, kv::test::kAbabBlock});
  HWND list = OpenArchive("BIG.WAD", kv::BuildWadArchive(inputs).image);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(ListView_GetItemCount(list), kEntries);
  EXPECT_EQ(TextsOf(ChildrenOf(main_)).at(10), "Contains: 65535 files");
  const Names names = Column(list, 0);
  EXPECT_EQ((Names{names.front(), names.back()}), (Names{"E0.DAT", "E65534.DAT"}));

  ClickHeading(list, 4); // "Data Offset": already ascending, so the click sorts descending
  EXPECT_EQ(Column(list, 0).front(), "E65534.DAT");
  ClickHeading(list, 0); // "Name": as text, E1 < E10 < E100 ...
  const Names sorted = Column(list, 0);
  EXPECT_EQ((Names{sorted.at(1), sorted.at(2)}), (Names{"E1.DAT", "E10.DAT"}));

  // Typing the first letters of a name moves to its row.
  for (const char typed : std::string("e655"))
    SendMessageA(list, WM_CHAR, static_cast<WPARAM>(typed), 1);
  const int found = ListView_GetNextItem(list, -1, LVNI_FOCUSED);
  EXPECT_EQ(found < 0 ? "" : sorted.at(static_cast<std::size_t>(found)), "E655.DAT");

  SendMessageA(list, WM_CHAR, 1, 0); // Ctrl+A
  EXPECT_EQ(ListView_GetSelectedCount(list), static_cast<UINT>(kEntries));
  Shot(main_, "all-selected");

  // The first 1,000 rows in their sorted order: E0, E1, E10, E100, E1000,
  // E10000 ... E10897.
  ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
  for (int row = 0; row < 1000; ++row)
    ListView_SetItemState(list, row, LVIS_SELECTED, LVIS_SELECTED);
  ExtractInto(kv::kCmdExtractSelection, "slice");
  EXPECT_EQ(ui_.Told(), Names{"Files Extracted: 1000"});
  const Names written = kv::test::FilesIn(kv::test::FsPath(InFolder("slice")));
  EXPECT_EQ(written.size(), 1000u);
  for (const char* sample : {"E0.DAT", "E10000.DAT", "E10897.DAT"})
    EXPECT_EQ(ReadBytes(InFolder(std::string("slice\\") + sample)), kAbab) << sample;
}

} // namespace
} // namespace e2e
