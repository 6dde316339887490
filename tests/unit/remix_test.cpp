#include <filesystem>

#include <gtest/gtest.h>

#include "core/implode.h"
#include "remix/remix_load.h"
#include "support/cli_runner.h"
#include "support/commentary_builder.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"
#include "support/wad_builder.h"

namespace kv::test {
namespace {

Bytes Voice() {
  auto cut = ImplodeBlock(Pattern(80, 9));
  cut.resize(cut.size() / 2); // found, but decodes short
  return BuildWad(
      {Member("A.SFX", Pattern(200, 1)), Member("B.SFX", Pattern(60, 2)), StoredMember("CUT.SFX", cut)});
}

// The entries as "name:data size", or the error.
std::string Read(const std::string& script) {
  const RemixScript read = ReadRemixScript(Text(script), Voice());
  std::string result;
  for (const RemixEntry& entry : read.entries) // the header's size is the fuzz target's
    result += entry.name + ":" + std::to_string(entry.image.size() - 46) + " ";
  return read.error ? result + "error: " + DescribeRemixError(*read.error) : result;
}

TEST(RemixScript, ReadsEntriesPiecesAndClamps) {
  const std::pair<std::string, std::string> cases[] = {
      {"no entry at all", ""},
      {"head<Goal>\n@A,0,100@B,50,10\n", "Goal:110 "},
      {"<X>@A,0,10@B,0,5\n<Y>\n", "X:5 Y:0 "}, // '>' then '@': the first piece is the comment
      {"<L>\n@A,0,999@B,60,5@B,10,-1@a,+190,9x\n", "L:259 "},
      {"<M>\n@NONE,0,50@b ,0,2", "M:0 "}, // a missing sound at 0 adds nothing; "b " is another name
      {"<Ok>\n@A,0,1<Bad>\n@B,61,1",
       "Ok:1 error: entry \"Bad\", piece \"B\": the start 61 lies past the end of "
       "B.SFX (60 bytes)"},
      {"<N>\n@A,-1,1",
       "error: entry \"N\", piece \"A\": the start 4294967295 lies past the end of A.SFX (200 bytes)"},
      {"<N>\n@A, -99999999999,1", // saturated at the signed 32-bit limit
       "error: entry \"N\", piece \"A\": the start 2147483648 lies past the end of A.SFX (200 bytes)"},
      {"<N>\n@A,+12abc,99999999999", "N:188 "},
      {"<>>", "error: an entry: the entry has no name"},
      {"<N>\n@ABCDEFGHIJ,0,1",
       "error: entry \"N\", piece \"ABCDEFGHIJ\": a sound name has at most 9 characters"},
      {"<N>\n@A,0", "error: entry \"N\", piece \"A\": the piece has no length"},
      {"<N>\n@A", "error: entry \"N\", piece \"A\": the piece has no start"},
      {"<" + std::string(256, 'n') + ">",
       "error: entry \"" + std::string(256, 'n') + "\": the name is too long for a file name with \".wav\""},
      {std::string("<Z>\n@A,0,4\0<Q>", 14), "Z:4 "},
  };
  for (const auto& [script, expected] : cases)
    EXPECT_EQ(Read(script), expected) << script;
  // 8,200 pieces of a whole clip would take 537 MB: refused before any is made.
  std::string big = "<Big>\n";
  for (int piece = 0; piece < 8200; ++piece)
    big += "@Z,0,65535";
  const RemixScript read = ReadRemixScript(Text(big), BuildWad({Member("Z.SFX", Bytes(65535, 7))}));
  ASSERT_TRUE(read.error && read.error->too_large);
  EXPECT_EQ(DescribeRemixError(*read.error),
            "entry \"Big\", piece \"Z\": the script's sounds would need more than 512 MiB of memory");
}

// A clip that fails is decoded and told once; its pieces are silence.
TEST(RemixScript, ImagesHoldThePiecesAndSilenceWhereAClipFailed) {
  ScriptedUi ui;
  const RemixScript read = ReadRemixScript(Text("<Goal>\n@A,0,100@B,50,10@CUT,0,20@Cut,10,5"), Voice());
  const Bytes a = Pattern(200, 1), b = Pattern(60, 2);
  ASSERT_EQ(read.entries.size(), 1u);
  EXPECT_EQ(read.entries[0].image,
            JoinedWav({{a.begin(), a.begin() + 100}, {b.begin() + 50, b.end()}, Bytes(25, 0x80)}));
  EXPECT_EQ(ui.Told(), Strings{"CUT.SFX: Abort: Decompression Failed"});
}

// (A VOICE.WAD that is missing: the commentary commands, which look for it the same way.)
using RemixCli = InFreshFolder;

TEST_F(RemixCli, ListsAndExportsWhatTheWindowWouldRefusesUnsafeNamesAndWritesNothingForAScriptInError) {
  WriteBytes("REMIX.TXT", Text("<Goal>\n@a,0,100@B,50,10\n<Empty>\n<..\\x>\n@B,0,2"));
  std::filesystem::create_directories("Voice");
  WriteBytes("Voice/voice.wad", Voice());
  EXPECT_EQ(
      Cli({"remix", "list", "REMIX.TXT", "--json"}).out,
      "[\n  {\"name\":\"Goal\",\"size\":110,\"pieces\":[{\"name\":\"a.SFX\",\"start\":0,\"length\":100},"
      "{\"name\":\"B.SFX\",\"start\":50,\"length\":10}]},\n  {\"name\":\"Empty\",\"size\":0,\"pieces\":[]"
      "},\n  "
      "{\"name\":\"..\\\\x\",\"size\":2,\"pieces\":[{\"name\":\"B.SFX\",\"start\":0,\"length\":2}]}\n]\n");
  const CliRun exported = Cli({"remix", "export", "REMIX.TXT", "-o", "out"});
  // "..\x.wav" would land outside the folder: refused, not counted, the rest written.
  EXPECT_EQ(exported.status, 1);
  EXPECT_EQ(exported.out, "2 files written to out\n");
  EXPECT_EQ(FilesIn("out"), (Strings{"Empty.wav", "Goal.wav"}));
  EXPECT_EQ(ReadBytes("out/Goal.wav"), ReadRemixScript(ReadBytes("REMIX.TXT"), Voice()).entries.at(0).image);

  // One name twice: the second is told and not written; a name that differs
  // in case is another file in a folder that tells case apart.
  WriteBytes("REMIX.TXT", Text("<Twice>\n@A,0,1\n<Twice>\n@B,0,1\n<twice>\n@A,0,2"));
  const CliRun twice = Cli({"remix", "export", "REMIX.TXT", "-o", "twice"});
  EXPECT_EQ(twice.status, 1);
  EXPECT_TRUE(Has(twice.err, "Twice: Not written: it would replace Twice.wav written by Twice\n"))
      << twice.err;
  EXPECT_EQ(FilesIn("twice"), (Strings{"Twice.wav", "twice.wav"}));
  WriteBytes("REMIX.TXT", Text("<Fine>\n@A,0,1\n<Late>\n@B,61,1"));
  const CliRun refused = Cli({"remix", "export", "REMIX.TXT", "-o", "none"});
  EXPECT_EQ(refused.status, 1);
  EXPECT_TRUE(Has(refused.err, "entry \"Late\", piece \"B\": the start 61 lies past the end")) << refused.err;
  EXPECT_FALSE(std::filesystem::exists("none"));
}

} // namespace
} // namespace kv::test
