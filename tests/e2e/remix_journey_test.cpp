// Remixed Commentary from its button: the entries of a script as rows, in
// script order and sorted, heard and exported; an empty script and one in
// error.
#include "e2e/harness.h"
#include "support/wad_builder.h"

namespace e2e {
namespace {

using kv::test::Pattern;

class Remix : public Session {
protected:
  // Writes REMIX.TXT and VOICE\VOICE.WAD, then enters the mode; the list, or null.
  HWND Enter(const std::string& script) {
    WriteBytes(InFolder("REMIX.TXT"), Bytes(script.begin(), script.end()));
    MakeFolder("VOICE");
    WriteBytes(InFolder("VOICE\\VOICE.WAD"),
               kv::test::BuildWad({kv::test::Member("A.SFX", a_), kv::test::Member("B.SFX", b_)}));
    ui_.ChooseFile(InFolder("REMIX.TXT"));
    Click(kv::kCmdRemixedCommentary);
    return FindWindowExA(main_, nullptr, WC_LISTVIEWA, nullptr);
  }
  const Bytes a_ = Pattern(200, 1);
  const Bytes b_ = Pattern(60, 2);
};

TEST_F(Remix, EntriesAreListedSortedHeardAndExportedAndAScriptInErrorBringsTheMenuBack) {
  // What each entry holds is the script reader's (its unit tests); here the
  // rows, their sound and their files.
  HWND list = Enter("head\r\n<Goal>\r\n@A,0,100@B,50,10\r\n<Empty>\r\n<Clamp>\r\n@a,150,999\r\n");
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(ui_.dialogs.size(), 1u) << "VOICE.WAD is found beside REMIX.TXT";
  EXPECT_EQ(ui_.dialogs[0].dialog.title + " " + ui_.dialogs[0].dialog.path, "Select REMIX file REMIX.TXT");
  EXPECT_EQ(TextsOf(ChildrenOf(main_)), (Names{"< Back", "Preview Selection", "Export All", ""}));
  EXPECT_EQ(Column(list, 0), (Names{"Goal", "Empty", "Clamp"}));
  Click(kv::kCmdPreviewRemix);
  EXPECT_EQ(ui_.messages.at(0).owner, list);
  EXPECT_EQ(Shown(), Names{"Alert: No Selection"});

  ClickHeading(list, 0);
  EXPECT_EQ(Column(list, 0), (Names{"Clamp", "Empty", "Goal"}));
  Shot(main_, "sorted");
  const Bytes goal = JoinedWav({{a_.begin(), a_.begin() + 100}, {b_.begin() + 50, b_.end()}});
  ListView_SetItemState(list, 2, LVIS_SELECTED, LVIS_SELECTED);
  Click(kv::kCmdPreviewRemix);
  EXPECT_EQ(ui_.played.back(), goal);

  MakeFolder("out");
  WriteBytes(InFolder("out\\Goal.wav"), {'o', 'l', 'd'});
  ui_.Answer(IDNO);
  ExtractInto(kv::kCmdExportRemix, "out");
  EXPECT_EQ(Shown(),
            (Names{"Goal.wav: File Already Exist!\nDo you wish to overwrite it?", "Files Extracted: 2"}));
  EXPECT_EQ(ReadBytes(InFolder("out\\Empty.wav")), JoinedWav({}));
  EXPECT_EQ(ReadBytes(InFolder("out\\Clamp.wav")), JoinedWav({{a_.begin() + 150, a_.end()}}));

  Click(kv::kCmdBack);
  EXPECT_FALSE(IsWindow(list));
  // An empty script has nothing to export; a script in error brings the menu back.
  Enter("no entries here");
  Click(kv::kCmdExportRemix);
  EXPECT_EQ(Shown(), Names{"ExtractRemix(): Error: No Entries"});
  Click(kv::kCmdBack);
  Enter("<Fine>\r\n@A,0,1\r\n<Bad>\r\n@B,61,1\r\n");
  EXPECT_EQ(Shown(), Names{"Abort: Error in REMIX script"});
  EXPECT_EQ(TextsOf(ChildrenOf(main_)), kMenuCaptions);
}

} // namespace
} // namespace e2e
