#include <filesystem>

#include <gtest/gtest.h>

#include "commentary/commentary_catalogue.h"
#include "commentary/commentary_sound.h"
#include "commentary/name_slots.h"
#include "core/implode.h"
#include "media/wav.h"
#include "support/commentary_builder.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"
#include "wad/current_wad.h"

namespace kv::test {
namespace {

TEST(NameLists, PlayerTextsPadToTheDetailColumn) {
  EXPECT_EQ(PlayerText("F037", "Ann", "Bo", "X"), "(F037) Ann Bo" + std::string(23, ' ') + " X");
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
  const auto voice = BuildWad({Member("J035A.SFX", Pattern(300, 1)), Member("jqrsfu.sfx", Pattern(200, 2)),
                               Member("B1.SFX", Pattern(20, 3)), Member("B2.SFX", Pattern(26, 4)),
                               Member("B3.SFX", Pattern(25, 5)), StoredMember("CUT.SFX", cut)});
  const auto build = [&](std::vector<std::string> pieces) {
    return BuildCommentarySound(CommentaryLine{"035", false, false, false, "x.wav", std::move(pieces)}, voice,
                                &ui);
  };
  const auto wav = [](Bytes first, const Bytes& second) {
    first.insert(first.end(), second.begin(), second.end());
    return MakeWavImage(first);
  };
  EXPECT_EQ(build({"J035A.SFX", "*JA", "MISSING.SFX"}), wav(Pattern(300, 1), Pattern(200, 2)));
  EXPECT_EQ(build({"B1.SFX", "B2.SFX"})->size(), 92u); // exactly 46 bytes of sound
  EXPECT_FALSE(build({"B1.SFX", "B3.SFX"}));           // 45
  EXPECT_FALSE(build({}));
  EXPECT_EQ(build({"CUT.SFX", "B1.SFX"}), wav(Pattern(20, 3), Bytes(100, 0x80)));
  EXPECT_EQ(ui.messages.at(0).owner, &ui);
  EXPECT_EQ(ui.Told(),
            (Strings{"BuildCommentarySound(): Unknown Error", "BuildCommentarySound(): Unknown Error",
                     "CUT.SFX: Abort: Decompression Failed"}));
  ResetNameSlots();
}

} // namespace
} // namespace kv::test
