// A game kept in a folder named in Cyrillic and Japanese, its files
// converted into another such folder: the program's code page is UTF-8, so
// such paths reach every file function whole, and a Windows-1252 entry name
// shows and is written as the characters it stands for. (The system's own
// dialogs on such paths: program_journey_test.cpp.)
#include "e2e/harness.h"
#include "support/wad_builder.h"

namespace e2e {
namespace {

using AnyFolder = Session;

TEST_F(AnyFolder, TheSampleGameInACyrillicAndJapaneseFolderIsConvertedIntoAnother) {
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

  ui_.ChooseFile(InFolder("COMMENT.TOK"));
  Click(kv::kCmdClassicCommentary);
  ExtractInto(kv::kCmdExportCommentary, out);
  EXPECT_EQ(Shown(), Names{"Success?: Exported: 11 files"});
  Click(kv::kCmdBack);

  // caf + 0xE9 + .txt, a Windows-1252 name.
  HWND list = OpenArchive("CAFE.WAD", kv::test::BuildWad({kv::test::Member("caf\xE9.txt", kAbab)}));
  EXPECT_EQ(Column(list, 0), Names{"café.txt"});
  Shot(main_, "cafe");
  ExtractInto(kv::kCmdExtractAll, out);
  EXPECT_EQ(Shown(), Names{"Files Extracted: 1"});
  EXPECT_EQ(ReadBytes(InFolder(out + "\\café.txt")), kAbab);
  EXPECT_EQ(kv::test::FilesIn(kv::test::FsPath(InFolder(out))).size(), 5 + 11 + 1u)
      << "the images, the lines and café.txt";
}

} // namespace
} // namespace e2e
