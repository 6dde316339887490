// The command line over the commentary core: `names`, `commentary list` and
// `commentary export` on built game folders; texts of game files printed as
// UTF-8; messages that name the file they are about.
#include <gtest/gtest.h>

#include <filesystem>

#include "core/text_encoding.h"
#include "support/cli_runner.h"
#include "support/commentary_builder.h"
#include "support/temp_dir.h"

namespace kv::test {
namespace {

using namespace cli;

// Entry 048 holds an unknown code and has no clip; "a/b" would write outside
// the folder; 0\xE92 is named in Windows-1252.
const std::string kScript = "<035> tg%J %1 throws to %2%B what a pass%T"
                            "<036> r%Jreplay time"
                            "<037> a%Bwell %1 scored!"
                            "<048> r%Q%Jx"
                            "<a/b> r%Jslash"
                            "<0\xE9"
                            "2> r%Jaccent";

GameFolder Folder() {
  std::vector<WadMember> clips;
  std::uint8_t seed = 1;
  for (const char* name : {"J035A.SFX", "B035A.SFX", "J036A.SFX", "B037A.SFX", "BBVK00.SFX", "JF037.SFX",
                           "JF010.SFX", "JF007.SFX", "BPRVFU.SFX",
                           "J0\xE9"
                           "2A.SFX"})
    clips.push_back(Member(name, Pattern(60 + seed, seed))), ++seed;
  return {kScript, clips, 100}; // more free agents than the 83 that a table once held
}

class CommentaryCliTest : public ::testing::Test {
protected:
  void SetUp() override { WriteGameFolder(dir.path().string(), Folder()); }
  std::string Out(const std::string& name) const { return dir.File("out/" + name); }
  TempDir dir;
  CurrentDirectoryGuard guard;
};

TEST(TextEncodingTest, EveryHighByteBecomesItsWindows1252Character) {
  std::string high;
  for (int byte = 0x80; byte <= 0xFF; ++byte)
    high += static_cast<char>(byte);
  EXPECT_EQ(Cp1252ToUtf8("A\x01~" + high),
            "A\x01~€\u0081‚ƒ„…†‡ˆ‰Š‹Œ\u008DŽ\u008F\u0090‘’“”•–—˜™š›œ\u009DžŸ"
            "\u00A0¡¢£¤¥¦§¨©ª«¬\u00AD®¯°±²³´µ¶·¸¹º»¼½¾¿ÀÁÂÃÄÅÆÇÈÉÊËÌÍÎÏÐÑÒÓÔÕÖ×ØÙÚÛÜÝÞß"
            "àáâãäåæçèéêëìíîïðñòóôõö÷øùúûüýþÿ");
}

TEST_F(CommentaryCliTest, MessagesNameTheFileOrFolderTheyAreAbout) {
  const std::string missing = dir.File("missing");
  for (const auto& [args, err] : std::vector<std::pair<Strings, std::string>>{
           {{"decompress", missing}, missing + ": cannot read: The system cannot find the file specified."},
           {{"wad", "list", dir.File("VOICE")}, dir.File("VOICE") + ": is a folder, not a file"},
           {{"commentary", "list", dir.File("VOICE")}, dir.File("VOICE") + ": is a folder, not a file"}}) {
    const CliRun run = Cli(args);
    EXPECT_EQ(run.status, kExitFailure);
    EXPECT_EQ(run.err, "vorevuvo: " + err + "\n");
  }
}

// The JSON outputs are read whole by the sample game's test.
TEST_F(CommentaryCliTest, NamesShowsTheTreeAsText) {
  CliRun run = Cli({"names", dir.path().string()});
  ASSERT_EQ(run.status, kExitSuccess) << run.err;
  const std::string player = "(BVK00) P00 OfBVK" + std::string(20, ' ') + "D00";
  EXPECT_EQ(run.out.substr(0, 154),
            "Team0 Club0" + std::string(61, ' ') + "BVK\n  " + player + std::string(30, ' ') + "BVK00\n");
  EXPECT_TRUE(Has(run.out, "\nFree Agents\n  (F000) Agent0 Free")) << run.out;
  EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 8 * 17 + 1 + 100);
}

TEST_F(CommentaryCliTest, ListShowsEveryLineWithItsFlagsAndPiecesAndTheParsersMessages) {
  const std::string script = dir.File("COMMENT.TOK");
  CliRun run = Cli({"commentary", "list", script});
  ASSERT_EQ(run.status, kExitSuccess) << run.err;
  EXPECT_EQ(run.err, script + ": entry 048: Error: Unknown code\n");
  EXPECT_TRUE(
      Has(run.out,
          "\nPass_035.wav                    Yes  No   Yes     *JE J035A.SFX *JF B035A.SFX *BA B035B.SFX\n"))
      << run.out;
  EXPECT_TRUE(Has(run.out, "\nReplay_0é2.wav                  No   No   No      J0é2A.SFX\n")) << run.out;
}

TEST_F(CommentaryCliTest, ExportWritesTheBuildableLinesAndReportsTheOthersByName) {
  const CliRun run = Cli({"commentary", "export", dir.File("COMMENT.TOK"), "-o", dir.File("out")});
  EXPECT_EQ(run.status, kExitFailure);
  EXPECT_EQ(run.out, "Exported: 4 files\n");
  EXPECT_TRUE(Has(run.err, "vorevuvo: Replay_048.wav: BuildCommentarySound(): Unknown Error\n")) << run.err;
  EXPECT_TRUE(Has(run.err, "vorevuvo: Replay_a/b.wav: Refused: ")) << run.err;
  // Nothing under "out/Replay_a"; the Windows-1252 name as UTF-8.
  EXPECT_EQ(FilesIn(dir.File("out")),
            (Strings{"Pass_035.wav", "Replay_036.wav", "Replay_0é2.wav", "Restart_After_TouchDown_037.wav"}));
}

TEST_F(CommentaryCliTest, ExportOfChosenLinesSpeaksTheSlotsGivenByKeyOrByName) {
  const CliRun run =
      Cli({"commentary", "export", dir.File("COMMENT.TOK"), "-o", dir.File("out"), "pass_035.WAV",
           "--thrower", "F010", "--receiver", "agent7 free", "--team-a", "club3"});
  ASSERT_EQ(run.status, kExitSuccess) << run.err;
  EXPECT_EQ(run.out, "Exported: 1 files\n");

  // The clips' sizes differ: JF010, J035A, JF007, B035A, BPRVFU and nothing for B035B.
  EXPECT_EQ(ReadBytes(Out("Pass_035.wav")).size(), 46u + 61 + 62 + 67 + 68 + 69);
}

TEST_F(CommentaryCliTest, ARefusedAmbiguousOrUnknownSlotValueIsAUsageErrorListingTheCandidates) {
  for (const auto& [option, value, err] : std::vector<std::tuple<std::string, std::string, std::string>>{
           {"--team-a", "BVK00",
            "--team-a BVK00: Player name can't be selected as a team name; the "
            "candidates:\n  Team0 Club0"},
           {"--captain-a", "p01", "--captain-a p01: 8 players match; the candidates:\n    (BVK01) P01"},
           {"--thrower", "zzz",
            "--thrower zzz: no player has this key or a name holding it; 'vorevuvo "
            "names' lists the 228 candidates\n"}}) {
    const CliRun run =
        Cli({"commentary", "export", dir.File("COMMENT.TOK"), "-o", dir.File("out"), option, value});
    EXPECT_EQ(run.status, kExitUsage);
    EXPECT_TRUE(Has(run.err, "vorevuvo commentary: " + err)) << run.err;
    EXPECT_FALSE(std::filesystem::exists(dir.File("out")));
  }
}

TEST_F(CommentaryCliTest, ExportLeavesOutExcludedKindsAndNeedsVoiceWadButNotTheNameFiles) {
  CliRun run = Cli({"commentary", "export", dir.File("COMMENT.TOK"), "-o", dir.File("out"), "--exclude",
                    "team,star", "--overwrite", "overwrite"});
  EXPECT_EQ(run.out, "Exported: 2 files\n");
  EXPECT_FALSE(std::filesystem::exists(Out("Pass_035.wav")));

  std::filesystem::remove(dir.File("AGENTS.FRP"));
  run = Cli({"commentary", "export", dir.File("COMMENT.TOK"), "-o", dir.File("out"), "Pass_035.wav",
             "--team-a", "PRV", "--receiver", "F007", "--thrower", "F010", "--overwrite", "overwrite"});
  EXPECT_EQ(run.status, kExitSuccess) << run.err;
  EXPECT_TRUE(Has(run.err, "\nvorevuvo: warning: " + dir.path().string() +
                               "/: no AGENTS.FRP there; slot values are taken as keys\n"));

  std::filesystem::remove_all(dir.File("VOICE"));
  run = Cli({"commentary", "export", dir.File("COMMENT.TOK"), "-o", dir.File("out")});
  EXPECT_EQ(run.status, kExitFailure);
  EXPECT_TRUE(Has(run.err, "\nvorevuvo: no VOICE.WAD for " + dir.File("COMMENT.TOK") +
                               ": looked for VOICE/VOICE.WAD in " + dir.path().string() +
                               "/ (case ignored)"));
}

} // namespace
} // namespace kv::test
