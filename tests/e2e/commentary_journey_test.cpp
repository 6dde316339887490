// Both commentary modes from their buttons. Classic Commentary: the lines;
// the Set Names window choosing what the lines say; preview and export of
// what was chosen; the filters, counts and sort; and the ways in that fail.
// Remixed Commentary: the entries of a script as rows, in script order and
// sorted, heard and exported; an empty script and one in error.
#include "commentary/name_slots.h"
#include "core/implode.h"
#include "e2e/harness.h"
#include "shell/mode_state.h"
#include "support/commentary_builder.h"
#include "wad/current_wad.h"

namespace e2e {
namespace {

using kv::test::JoinedWav;
using kv::test::Pattern;

// Pass_035: *JE J035A *JF B035A *BA B035B (team, thrower); Restart_036: *JB
// J036A (team); Replay_037: *BC B037A (star); Half_1st_Start_038: J038A *JD
// (star). A trailing piece follows a name when the next code is far enough,
// in the next entry too.
const char* const kCommentary = "<035> tg%J %1 throws to %2%B what a pass%T"
                                "<036> a%J %t scores"
                                "<037> r%B %1 runs"
                                "<038> h1%Jwelcome %2";

Bytes ClipOf(const std::string& name) {
  return Pattern(40 + name.size() * 10 + static_cast<std::size_t>(name[1]), static_cast<unsigned>(name[2]));
}

Bytes Wav(const std::vector<std::string>& clips) {
  std::vector<Bytes> pieces;
  for (const std::string& name : clips)
    pieces.push_back(ClipOf(name));
  return JoinedWav(pieces);
}

class Commentary : public Session {
protected:
  // Enters the mode with COMMENT.TOK chosen, then `more` dialogs answered;
  // the list, or null.
  HWND Enter(const std::vector<std::optional<std::string>>& more = {}) {
    ui_.ChooseFile(InFolder("COMMENT.TOK"));
    for (const auto& answer : more)
      ui_.ChooseFile(answer);
    Click(kv::kCmdClassicCommentary);
    return FindWindowExA(main_, nullptr, WC_LISTVIEWA, nullptr);
  }
  Names Counts() { return {TextOf(ChildrenOf(main_).at(8)), TextOf(ChildrenOf(main_).at(9))}; }
};

TEST_F(Commentary, LinesAreListedSpokenWithTheNamesChosenLeftOutByKindAndTheModeLivesWithoutNameLists) {
  std::vector<kv::test::WadMember> clips;
  for (const char* name : {"J035A.SFX", "B035A.SFX", "B035B.SFX", "J036A.SFX", "B037A.SFX", "J038A.SFX",
                           "JF037.SFX", "JF006.SFX", "BBVKFU.SFX", "JLDMFU.SFX", "BBVK00.SFX", "JLDM00.SFX",
                           "JTSKFU.SFX", "BF002.SFX", "JF002.SFX"})
    clips.push_back(kv::test::Member(name, ClipOf(name)));
  kv::test::WriteGameFolder(folder_, {kCommentary, clips, 40});
  HWND list = Enter();
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(ui_.dialogs.size(), 1u) << "VOICE.WAD and the name files are found beside COMMENT.TOK";
  EXPECT_EQ(
      TextsOf(ChildrenOf(main_)),
      (Names{"< Back", "Preview Selection", "Set Names", "Include Commentary Containing: ", "Team Names",
             "Star Player Names", "Player Names of Throwers", "Export", "Included: 4", "Excluded: 0", ""}));
  EXPECT_EQ(Column(list, 0), (Names{"Pass_035.wav", "Restart_After_TouchDown_036.wav", "Replay_037.wav",
                                    "Half_1st_Start_038.wav"}));
  const Names team = {"Yes", "Yes", "No", "No"}, star = {"No", "No", "Yes", "Yes"},
              pass = {"Yes", "No", "No", "No"};
  EXPECT_EQ((std::vector<Names>{Column(list, 2), Column(list, 3), Column(list, 4)}),
            (std::vector<Names>{team, star, pass}));
  Shot(main_, "list");

  Click(kv::kCmdSetNames);
  HWND names = FindWindowA(kv::kMainClassName, "Set Names");
  ASSERT_NE(names, nullptr);
  HWND tree = kv::SetNamesTree;
  EXPECT_EQ(reinterpret_cast<HGDIOBJ>(SendMessageA(tree, WM_GETFONT, 0, 0)),
            GetStockObject(SYSTEM_FIXED_FONT));
  EXPECT_EQ(TextsOf(ChildrenOf(names)), (Names{"Set Current Selection As: ", "Team A", "Team B", "Captain A",
                                               "Captain B", "Thrower", "Reciever", "Tree View"}));
  const auto press = [&](int id) { SendMessageA(GetDlgItem(names, id), BM_CLICK, 0, 0); };
  press(kv::kCmdSlotTeamA); // nothing selected: nothing happens (no message below comes from it)

  std::vector<HTREEITEM> roots; // the eight teams and "Free Agents", each with its entries under it
  for (HTREEITEM item = TreeView_GetRoot(tree); item != nullptr; item = TreeView_GetNextSibling(tree, item))
    roots.push_back(item);
  ASSERT_EQ(roots.size(), 9u);
  EXPECT_EQ(TreeView_GetCount(tree), 9u + 8 * 16 + 40);
  // Expanding a team selects it and speaks its name.
  HTREEITEM tasko = roots.at(2);
  TreeView_Expand(tree, tasko, TVE_EXPAND);
  EXPECT_EQ(TreeView_GetSelection(tree), tasko);
  EXPECT_EQ(ui_.played.back(), Wav({"JTSKFU.SFX"}));
  Shot(names, "set-names");
  press(kv::kCmdSlotCaptainA);
  EXPECT_EQ(ui_.messages.at(0).owner, tree);
  press(kv::kCmdSlotTeamB);
  HTREEITEM agents = roots.at(8);
  TreeView_SelectItem(tree, agents);
  press(kv::kCmdSlotTeamA);
  TreeView_Expand(tree, agents, TVE_EXPAND);
  HTREEITEM f002 =
      TreeView_GetNextSibling(tree, TreeView_GetNextSibling(tree, TreeView_GetChild(tree, agents)));
  TreeView_SelectItem(tree, f002);
  EXPECT_EQ(ui_.played.back(), Wav({"BF002.SFX"})) << "a player has no J...FU clip: B's clip of the key";
  press(kv::kCmdSlotTeamA);
  press(kv::kCmdSlotThrower);
  EXPECT_EQ(ui_.Told(),
            (Names{"Alert: Team name can't be selected as a player name", "Alert: No sound for selected item",
                   "Alert: Player name can't be selected as a team name"}));

  // The next preview and export say the new names.
  const Bytes spoken = Wav({"JF002.SFX", "J035A.SFX", "JF006.SFX", "B035A.SFX", "BBVKFU.SFX", "B035B.SFX"});
  ListView_SetItemState(list, 0, LVIS_SELECTED, LVIS_SELECTED);
  Click(kv::kCmdPreviewCommentary);
  EXPECT_EQ(ui_.played.back(), spoken);
  ListView_SetItemState(list, -1, 0, LVIS_SELECTED);
  Click(kv::kCmdPreviewCommentary);
  EXPECT_EQ(ui_.messages.at(0).owner, list);
  MakeFolder("out");
  WriteBytes(InFolder("out\\Replay_037.wav"), {'o', 'l', 'd'});
  ui_.Answer(IDNO);
  ExtractInto(kv::kCmdExportCommentary, "out");
  EXPECT_EQ(ui_.Told(), (Names{"Alert: No Selection",
                               "Replay_037.wav: File Already Exist!\nDo you wish to overwrite it? [Yes/No]",
                               "Success?: Exported: 3 files"}));
  EXPECT_EQ(ReadBytes(InFolder("out\\Pass_035.wav")), spoken);

  for (const auto& [box, excluded, counts] :
       {std::tuple{kv::kCmdTeamNames, team, Names{"Included: 2", "Excluded: 2"}},
        std::tuple{kv::kCmdStarPlayerNames, star, Names{"Included: 2", "Excluded: 2"}},
        std::tuple{kv::kCmdThrowerNames, pass, Names{"Included: 3", "Excluded: 1"}}}) {
    Click(box);
    EXPECT_EQ(Column(list, 1), excluded) << box;
    EXPECT_EQ(Counts(), counts) << box;
    Click(box);
  }
  EXPECT_EQ(Column(list, 1), (Names{"No", "No", "No", "No"}));
  EXPECT_EQ(Counts(), (Names{"Included: 4", "Excluded: 0"}));
  // Sorted by name, then recounted: each row is marked by its own line.
  ClickHeading(list, 0);
  Click(kv::kCmdTeamNames);
  EXPECT_EQ(Column(list, 0), (Names{"Half_1st_Start_038.wav", "Pass_035.wav", "Replay_037.wav",
                                    "Restart_After_TouchDown_036.wav"}));
  EXPECT_EQ(Column(list, 1), (Names{"No", "Yes", "No", "Yes"}));

  // Leaving the mode closes Set Names and lets VOICE.WAD go; coming back
  // brings the default names back.
  Click(kv::kCmdBack);
  EXPECT_FALSE(IsWindow(names));
  EXPECT_EQ(kv::CurrentWad(), nullptr);
  Enter();
  EXPECT_EQ(kv::NameSlotKey(kv::NameSlot::TeamB), "LDM");
  EXPECT_EQ(kv::NameSlotKey(kv::NameSlot::Thrower), "F037");

  // A missing team file is asked for; cancelled, the mode goes on without
  // name lists. A catalogue without its first entry brings the menu back
  // (what it tells: the unit test of the catalogue).
  Click(kv::kCmdBack);
  std::filesystem::remove(kv::test::FsPath(InFolder("TASKO.ROP")));
  list = Enter({std::nullopt}); // the team file's dialog, cancelled
  EXPECT_EQ(ui_.dialogs.back().dialog.title + " " + ui_.dialogs.back().dialog.path,
            "Select *.ROP File TASKO.ROP");
  EXPECT_EQ(Column(list, 0).size(), 4u) << "the mode goes on without name lists";
  Click(kv::kCmdSetNames);
  EXPECT_EQ(TreeView_GetCount(kv::SetNamesTree), 0u);

  Click(kv::kCmdBack);
  WriteBytes(InFolder("COMMENT.TOK"), kv::ImplodeBlock(kv::test::Text("<034> r%Jab")));
  Enter({std::nullopt});
  EXPECT_EQ(TextsOf(ChildrenOf(main_)), kMenuCaptions);
}

// What each entry holds is the script reader's (its unit tests); here the
// rows, their sound and their files.
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
  HWND list = Enter("head\r\n<Goal>\r\n@A,0,100@B,50,10\r\n<Empty>\r\n<Clamp>\r\n@a,150,999\r\n");
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(ui_.dialogs.size(), 1u) << "VOICE.WAD is found beside REMIX.TXT";
  EXPECT_EQ(ui_.dialogs[0].dialog.title + " " + ui_.dialogs[0].dialog.path, "Select REMIX file REMIX.TXT");
  EXPECT_EQ(TextsOf(ChildrenOf(main_)), (Names{"< Back", "Preview Selection", "Export All", ""}));
  EXPECT_EQ(Column(list, 0), (Names{"Goal", "Empty", "Clamp"}));
  Click(kv::kCmdPreviewRemix);
  EXPECT_EQ(ui_.messages.at(0).owner, list);
  EXPECT_EQ(ui_.Told(), Names{"Alert: No Selection"});

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
  EXPECT_EQ(ui_.Told(), (Names{"Goal.wav: File Already Exist!\nDo you wish to overwrite it? [Yes/No]",
                               "Files Extracted: 2"}));
  EXPECT_EQ(ReadBytes(InFolder("out\\Clamp.wav")), JoinedWav({{a_.begin() + 150, a_.end()}}));

  Click(kv::kCmdBack);
  EXPECT_FALSE(IsWindow(list));
  // An empty script has nothing to export; a script in error brings the menu back.
  Enter("no entries here");
  Click(kv::kCmdExportRemix);
  EXPECT_EQ(ui_.Told(), Names{"ExtractRemix(): Error: No Entries"});
  Click(kv::kCmdBack);
  Enter("<Fine>\r\n@A,0,1\r\n<Bad>\r\n@B,61,1\r\n");
  EXPECT_EQ(ui_.Told(), Names{"Abort: Error in REMIX script"});
  EXPECT_EQ(TextsOf(ChildrenOf(main_)), kMenuCaptions);
}

} // namespace
} // namespace e2e
