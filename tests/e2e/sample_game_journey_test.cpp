// The sample game as a new user tries it, kept in a folder named in Cyrillic
// and Japanese and converted into another such folder: the CEL images;
// Classic Commentary, which asks for COMMENT.TOK alone and has every line
// and name; Remixed Commentary, which asks for REMIX.TXT alone; and an entry
// whose Windows-1252 name shows and is written as café.txt. The program's
// code page is UTF-8, so such paths reach every file function whole. (The
// system's own dialogs on such paths: program_journey_test.cpp.)
#include "e2e/harness.h"
#include "shell/mode_state.h"
#include "support/wad_builder.h"

namespace e2e {
namespace {

using SampleGame = Session;

TEST_F(SampleGame, InACyrillicAndJapaneseFolderEveryModeReadsItAndWritesIntoAnother) {
  EXPECT_EQ(GetACP(), static_cast<UINT>(CP_UTF8)) << "the manifest's code page";
  folder_ += "\\Иван\\ゲーム";
  WriteSampleGame();
  const std::string out = "Вывод 出力";

  ui_.ChooseFile(InFolder("TITLE.CEL"));
  ui_.ChooseFile(InFolder("TITLE.PAL"));
  for (const char* name : {"1.BMP", "2.BMP", "3.BMP", "4.BMP", "5.BMP"})
    ui_.ChooseFile(InFolder(out + "\\" + name));
  std::filesystem::create_directories(kv::test::FsPath(InFolder(out)));
  Click(kv::kCmdCelToBmp);

  const std::size_t asked = ui_.dialogs.size();
  ui_.ChooseFile(InFolder("COMMENT.TOK"));
  Click(kv::kCmdClassicCommentary);
  EXPECT_EQ(ui_.dialogs.size(), asked + 1) << "VOICE.WAD and the name files are found beside COMMENT.TOK";
  Click(kv::kCmdSetNames);
  EXPECT_EQ(TreeView_GetCount(kv::SetNamesTree), 9u + 8 * 16 + 6);
  TreeView_Expand(kv::SetNamesTree, TreeView_GetRoot(kv::SetNamesTree), TVE_EXPAND);
  Shot(FindWindowA(kv::kMainClassName, "Set Names"), "set-names");
  ExtractInto(kv::kCmdExportCommentary, out);
  EXPECT_EQ(Shown(), Names{"Success?: Exported: 11 files"});
  Click(kv::kCmdBack);

  ui_.ChooseFile(InFolder("REMIX.TXT"));
  Click(kv::kCmdRemixedCommentary);
  EXPECT_EQ(ui_.dialogs.size(), asked + 2) << "VOICE.WAD is found beside REMIX.TXT";
  EXPECT_EQ(Column(FindWindowExA(main_, nullptr, WC_LISTVIEWA, nullptr), 0),
            (Names{"Hello_Bears", "Oh_Crowder_Picked_Off", "Sandoval_Superb", "Kestrels_Turnaround"}));
  ExtractInto(kv::kCmdExportRemix, out);
  EXPECT_EQ(Shown(), Names{"Files Extracted: 4"});
  Click(kv::kCmdBack);

  // caf + 0xE9 + .txt, a Windows-1252 name.
  HWND list = OpenArchive("CAFE.WAD", kv::test::BuildWad({kv::test::Member("caf\xE9.txt", kAbab)}));
  EXPECT_EQ(Column(list, 0), Names{"café.txt"});
  Shot(main_, "cafe");
  ExtractInto(kv::kCmdExtractAll, out);
  EXPECT_EQ(Shown(), Names{"Files Extracted: 1"});
  EXPECT_EQ(ReadBytes(InFolder(out + "\\café.txt")), kAbab);
  EXPECT_EQ(kv::test::FilesIn(kv::test::FsPath(InFolder(out))).size(), 5 + 11 + 4 + 1u)
      << "the images, the lines, the remixes and café.txt";
}

} // namespace
} // namespace e2e
