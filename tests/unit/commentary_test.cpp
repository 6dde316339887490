// Commentary: the COMMENT.TOK parse, name lists, the sound of a line, a game
// folder loaded, the Windows-1252 table, and the command line over them:
// `names`, `commentary list` and `commentary export` on a built game folder;
// messages that name the file they are about.
#include <gtest/gtest.h>

#include <filesystem>

#include "commentary/comment_tok.h"
#include "commentary/commentary_catalogue.h"
#include "commentary/commentary_sound.h"
#include "commentary/name_slots.h"
#include "core/implode.h"
#include "core/text_encoding.h"
#include "support/cli_runner.h"
#include "support/commentary_builder.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"
#include "wad/current_wad.h"

namespace kv::test {
namespace {

// Each line as one text: name, the flags (t)eam, (s)tar, (p)assing, pieces;
// then each message as "! entry: text".
std::vector<std::string> Parse(const std::string& text) {
  const ParsedCatalogue parsed = ParseCommentaryText(Text(text));
  std::vector<std::string> lines;
  if (!parsed.firstEntryFound) lines.push_back("no first entry");
  for (const CommentaryLine& line : parsed.lines) {
    std::string& described = lines.emplace_back(line.outputName + " ");
    described += std::string{line.hasTeamName ? 't' : '-', line.hasStarPlayerName ? 's' : '-',
                             line.hasThrowerName ? 'p' : '-'};
    for (const std::string& piece : line.pieces)
      described += " " + piece;
  }
  for (const CatalogueMessage& message : parsed.messages)
    lines.push_back("! " + message.entryId + ": " + message.text);
  return lines;
}

TEST(CommentTok, ParsesEveryRuleOfTheCodesAndNamesEachCategory) {
  const std::string seventeen = "%Jab%Jab%Jab%Jab%Jab%Jab%Jab%Jab%Jab%Jab%Jab%Jab%Jab%Jab%Jab%Jab%Jab";
  const std::tuple<const char*, std::string, std::vector<std::string>> cases[] = {
      {"the worked entry",
       "head<035> tg%J %1 throws to %2%B what a pass%T",
       {"Pass_035.wav t-p *JE J035A.SFX *JF B035A.SFX *BA"}},
      {"an entry without codes", "<035> r", {"Replay_035.wav ---"}},
      {"no exact first entry", "<034> r%Jab", {"no first entry"}},
      {"entries before the first are ignored", "<034> r%Jab<035> a", {"Restart_After_TouchDown_035.wav ---"}},
      {"the categories that neither another case nor the sample game (whose test pins its lines) names",
       "<035> tx<036> T",
       {"Throw_035.wav --p", "Unknown_036.wav ---"}},
      {"a speaker code followed by '%' two places on adds no piece",
       "<035> r%J%Jab%J %Jab",
       {"Replay_035.wav --- J035A.SFX J035B.SFX J035C.SFX"}},
      {"each speaker counts its own letters",
       "<035> r%Jab%Bcd%Jef%Jx%B",
       {"Replay_035.wav --- J035A.SFX B035A.SFX J035B.SFX B035B.SFX"}},
      {"captains outside a passing line",
       "<035> a%B %1 and %2",
       {"Restart_After_TouchDown_035.wav -s- *BC B035A.SFX *BD"}},
      {"thrower and receiver in a passing line",
       "<035> cb%J %1 to %2",
       {"Catch_Bad_035.wav --p *JE J035A.SFX *JF"}},
      {"a trailing piece needs 4 bytes before the next code",
       "<035> r%J%Tabc%B%tabcd%J",
       {"Replay_035.wav t-- J035A.SFX *JA B035A.SFX *BB B035B.SFX J035B.SFX"}},
      {"the next code may lie in the next entry",
       "<035> r%J %Tabc<036> r%Jxy",
       {"Replay_035.wav t-- *JA J035A.SFX", "Replay_036.wav --- J036A.SFX"}},
      {"a placeholder before any speaker is spoken by J", "<035> h2%T", {"Half_2nd_Start_035.wav t-- *JA"}},
      {"a zero byte ends the search", std::string("<035> r%Jab\0%Bcd", 16), {"Replay_035.wav --- J035A.SFX"}},
      {"an unknown code is told and skipped",
       "<035> r<048> r%%Jab%x",
       {"Replay_035.wav ---", "Replay_048.wav --- J048A.SFX", "! 048: Error: Unknown code",
        "! 048: Error: Unknown code"}},
      {"the seventeenth piece ends the entry",
       "<035> r" + seventeen + "<036> r%Jab",
       {"Replay_035.wav --- J035A.SFX J035B.SFX J035C.SFX J035D.SFX J035E.SFX J035F.SFX J035G.SFX J035H.SFX "
        "J035I.SFX J035J.SFX J035K.SFX J035L.SFX J035M.SFX J035N.SFX J035O.SFX J035P.SFX",
        "Replay_036.wav --- J036A.SFX", "! 035: Error: Too many comments in one file"}},
      {"a marker inside the separator is not seen", "<035><036> r", {"Unknown_035.wav ---"}},
  };
  for (const auto& [what, text, lines] : cases)
    EXPECT_EQ(Parse(text), lines) << what;
}

// (The detail in its column: the `names` test below.)
TEST(NameLists, PlayerTextsPadToTheDetailColumn) {
  EXPECT_EQ(PlayerText("F1", "A", "B", "hidden"), "(F1) A B" + std::string(25, ' ')); // under 36: no detail
  EXPECT_EQ(PlayerText("F12", "Abcdefghijklmnop", "Qrstuvwxyzabcdef", std::string(40, 'd')),
            "(F12) Abcdefghijklmnop Qrstuvwxyzabc " + std::string(31, 'd'));
}

class GameFolderTest : public ::testing::Test {
protected:
  ~GameFolderTest() override { ReleaseCurrentWad(); }
  TempDir dir;
  ScriptedUi ui;
};

// The whole table, and a cancelled dialog: the Set Names journey and 'vorevuvo names'.
TEST_F(GameFolderTest, CreatePlayerListRefusesAFileShorterThanItsLayoutByName) {
  WriteGameFolder(dir.path().string(), {"<035> r", {}, 3});
  WriteBytes(dir.File("AGENTS.FRP"), ImplodeBlock(Bytes{5, 0, 1, 2}));
  EXPECT_FALSE(CreatePlayerList(dir.path().string() + "/"));
  EXPECT_EQ(ui.Told(),
            Strings{"CreatePlayerList(): Failed: AGENTS.FRP holds 4 bytes once decoded; its layout "
                    "needs 642"});
  EXPECT_TRUE(NameListTable().empty());
  // An empty team file is told by LoadFile; the failure step then has no
  // system code and names the file instead of reporting a success.
  WriteBytes(dir.File("VORTAN.ROP"), {});
  EXPECT_FALSE(CreatePlayerList(dir.path().string() + "/"));
  EXPECT_EQ(ui.Told(), (Strings{dir.File("VORTAN.ROP") + ": Ignored: File Size is zero",
                                "CreatePlayerList(): The team and player lists were not built: VORTAN.ROP "
                                "could not be read."}));
}

// Asked: Yes decodes it (and finds no first entry), No leaves the mode unentered.
TEST_F(GameFolderTest, ACommentTokThatDoesNotLookCompressedIsDecodedOnlyWhenTheUserSaysSo) {
  WriteGameFolder(dir.path().string(), {"", {}, 40});
  const std::string script = dir.File("COMMENT.TOK");
  WriteBytes(script, ImplodeBlock(Text("<034> r"), {LiteralMode::Binary, 5}));
  for (const int answer : {platform::kAnswerYes, platform::kAnswerNo}) {
    ui.ChooseFile(script);
    ui.Answer(answer);
    EXPECT_FALSE(LoadCommentaryCatalogue());
  }
  const std::string question =
      script + ": File does not appear to be compressed\n Decompress Anyways? [Yes/No]";
  EXPECT_EQ(ui.Told(),
            (Strings{question, "Commentary Export Failed: First entry not found in comment.tok", question}));
}

// Pieces resolved through the name slots, found ignoring case; a missing clip
// is an error; what a clip did not produce is silence after the rest, the
// header keeping the declared total.
TEST(CommentarySound, JoinsTheClipsOfThePiecesBehindOneHeader) {
  ScriptedUi ui;
  ResetNameSlots();
  SetNameSlotKey(NameSlot::TeamA, "QRS");
  SetNameSlotKey(NameSlot::CaptainA, "QRS07");
  EXPECT_EQ(ResolvePieceName("*JA") + ResolvePieceName("*BC") + ResolvePieceName("B035C.SFX"),
            "JQRSFU.SFXBQRS07.SFXB035C.SFX");
  auto cut = ImplodeBlock(Pattern(100, 9));
  cut.resize(cut.size() / 2); // found, but decodes short
  auto voice =
      BuildWad({Member("J035A.SFX", Pattern(300, 1)), Member("jqrsfu.sfx", Pattern(200, 2)),
                Member("B1.SFX", Pattern(20, 3)), Member("B2.SFX", Pattern(26, 4)),
                Member("B3.SFX", Pattern(25, 5)), StoredMember("CUT.SFX", cut), Member("BAD.SFX", {})});
  std::fill_n(voice.begin() + 2 + 22 * 6 + 18, 4, 0x7F); // BAD.SFX's data lie outside the archive
  const auto build = [&](std::vector<std::string> pieces) {
    return BuildCommentarySound(CommentaryLine{"035", false, false, false, "x.wav", std::move(pieces)}, voice,
                                &ui);
  };
  EXPECT_EQ(build({"J035A.SFX", "*JA", "MISSING.SFX"}), JoinedWav({Pattern(300, 1), Pattern(200, 2)}));
  EXPECT_EQ(build({"B1.SFX", "B2.SFX"})->size(), 92u); // exactly 46 bytes of sound
  EXPECT_FALSE(build({"B1.SFX", "B3.SFX"}));           // 45
  EXPECT_FALSE(build({}));
  EXPECT_EQ(build({"CUT.SFX", "B1.SFX", "BAD.SFX"}), JoinedWav({Pattern(20, 3), Bytes(100, 0x80)}));
  EXPECT_EQ(ui.messages.at(0).owner, &ui);
  EXPECT_EQ(ui.Told(),
            (Strings{"BuildCommentarySound(): Unknown Error", "BuildCommentarySound(): Unknown Error",
                     "CUT.SFX: Abort: Decompression Failed",
                     "BAD.SFX: Abort: the entry's data offset 2139062143 lies outside the archive of " +
                         std::to_string(voice.size()) + " bytes"}))
      << "a damaged clip is told once, when it is decoded";
  ResetNameSlots();
}

TEST(TextEncodingTest, EveryHighByteBecomesItsWindows1252Character) {
  std::string high;
  for (int byte = 0x80; byte <= 0xFF; ++byte)
    high += static_cast<char>(byte);
  EXPECT_EQ(Cp1252ToUtf8("A\x01~" + high),
            "A\x01~€\u0081‚ƒ„…†‡ˆ‰Š‹Œ\u008DŽ\u008F\u0090‘’“”•–—˜™š›œ\u009DžŸ"
            "\u00A0¡¢£¤¥¦§¨©ª«¬\u00AD®¯°±²³´µ¶·¸¹º»¼½¾¿ÀÁÂÃÄÅÆÇÈÉÊËÌÍÎÏÐÑÒÓÔÕÖ×ØÙÚÛÜÝÞß"
            "àáâãäåæçèéêëìíîïðñòóôõö÷øùúûüýþÿ");
}

using namespace cli;

// A game folder as the current directory. Entry 048 holds an unknown code
// and has no clip. (Lines that would write outside the folder, and names in
// Windows-1252, for every command: cli_test.)
class CommentaryCliTest : public InFreshFolder {
protected:
  void SetUp() override {
    std::vector<WadMember> clips;
    std::uint8_t seed = 1;
    for (const char* name : {"J035A.SFX", "B035A.SFX", "J036A.SFX", "B037A.SFX", "BBVK00.SFX", "JF037.SFX",
                             "JF010.SFX", "JF007.SFX", "BPRVFU.SFX"})
      clips.push_back(Member(name, Pattern(60 + seed, seed))), ++seed;
    // More free agents than the 83 that a table once held.
    WriteGameFolder(".", {"<035> tg%J %1 throws to %2%B what a pass%T<036> r%Jreplay time"
                          "<037> a%Bwell %1 scored!<048> r%Q%Jx",
                          clips, 100});
  }
};

TEST_F(CommentaryCliTest, MessagesNameTheFileOrFolderTheyAreAbout) {
  for (const auto& [args, err] : std::vector<std::pair<Strings, std::string>>{
           {{"decompress", "missing"}, "missing: cannot read: No such file or directory"},
           {{"commentary", "list", "VOICE"}, "VOICE: is a folder, not a file"}}) {
    const CliRun run = Cli(args);
    EXPECT_EQ(run.status, kExitFailure);
    EXPECT_EQ(run.err, "vorevuvo: " + err + "\n");
  }
}

// The JSON outputs are read whole by the sample game's test.
TEST_F(CommentaryCliTest, NamesAndListShowTheTreeAndEveryLineWithItsFlagsPiecesAndTheParsersMessages) {
  CliRun run = Cli({"names", "."});
  ASSERT_EQ(run.status, kExitSuccess) << run.err;
  const std::string player = "(BVK00) P00 OfBVK" + std::string(20, ' ') + "D00";
  EXPECT_EQ(run.out.substr(0, 154),
            "Team0 Club0" + std::string(61, ' ') + "BVK\n  " + player + std::string(30, ' ') + "BVK00\n");
  EXPECT_TRUE(Has(run.out, "\nFree Agents\n  (F000) Agent0 Free")) << run.out;
  EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 8 * 17 + 1 + 100);

  run = Cli({"commentary", "list", "COMMENT.TOK"});
  ASSERT_EQ(run.status, kExitSuccess) << run.err;
  EXPECT_EQ(run.err, "COMMENT.TOK: entry 048: Error: Unknown code\n");
  EXPECT_TRUE(
      Has(run.out,
          "\nPass_035.wav                    Yes  No   Yes     *JE J035A.SFX *JF B035A.SFX *BA B035B.SFX\n"))
      << run.out;
}

TEST_F(CommentaryCliTest, ExportWritesTheBuildableLinesReportsTheOthersByNameAndSpeaksTheSlotsGiven) {
  CliRun run = Cli({"commentary", "export", "COMMENT.TOK", "-o", "out"});
  EXPECT_EQ(run.status, kExitFailure);
  EXPECT_EQ(run.out, "3 files written to out\n");
  EXPECT_EQ(run.err, "COMMENT.TOK: entry 048: Error: Unknown code\n"
                     "vorevuvo: Replay_048.wav: BuildCommentarySound(): Unknown Error\n");
  EXPECT_EQ(FilesIn("out"), (Strings{"Pass_035.wav", "Replay_036.wav", "Restart_After_TouchDown_037.wav"}));

  // A chosen line, its slots given by key or by a piece of a name.
  run = Cli({"commentary", "export", "COMMENT.TOK", "-o", "one", "pass_035.WAV", "--thrower", "F010",
             "--receiver", "agent7 free", "--team-a", "club3"});
  ASSERT_EQ(run.status, kExitSuccess) << run.err;
  EXPECT_EQ(run.out, "1 file written to one\n");
  // The clips' sizes differ: JF010, J035A, JF007, B035A, BPRVFU and nothing for B035B.
  EXPECT_EQ(ReadBytes("one/Pass_035.wav").size(), 46u + 61 + 62 + 67 + 68 + 69);
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
    const CliRun run = Cli({"commentary", "export", "COMMENT.TOK", "-o", "out", option, value});
    EXPECT_EQ(run.status, kExitUsage);
    EXPECT_TRUE(Has(run.err, "vorevuvo commentary: " + err)) << run.err;
    EXPECT_FALSE(std::filesystem::exists("out"));
  }
}

TEST_F(CommentaryCliTest, ExportLeavesOutExcludedKindsAndNeedsVoiceWadButNotTheNameFiles) {
  CliRun run = Cli({"commentary", "export", "COMMENT.TOK", "-o", "out", "--exclude", "team,star"});
  EXPECT_EQ(run.out, "1 file written to out\n");
  EXPECT_EQ(FilesIn("out"), Strings{"Replay_036.wav"});

  std::filesystem::remove("AGENTS.FRP");
  run = Cli({"commentary", "export", "COMMENT.TOK", "-o", "out", "Pass_035.wav", "--team-a", "PRV",
             "--receiver", "F007", "--thrower", "F010"});
  EXPECT_EQ(run.status, kExitSuccess) << run.err;
  EXPECT_TRUE(Has(run.err, "\nvorevuvo: warning: .: no AGENTS.FRP there; slot values are taken as keys\n"))
      << run.err;

  std::filesystem::remove_all("VOICE");
  run = Cli({"commentary", "export", "COMMENT.TOK", "-o", "out"});
  EXPECT_EQ(run.status, kExitFailure);
  EXPECT_TRUE(Has(run.err, "\nvorevuvo: no VOICE.WAD for COMMENT.TOK: looked for VOICE/VOICE.WAD in . "
                           "(case ignored)"))
      << run.err;
}

} // namespace
} // namespace kv::test
