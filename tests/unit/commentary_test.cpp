#include <filesystem>

#include <gtest/gtest.h>

#include "commentary/commentary_catalogue.h"
#include "commentary/commentary_sound.h"
#include "commentary/name_slots.h"
#include "core/implode.h"
#include "core/little_endian.h"
#include "support/commentary_builder.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"
#include "wad/current_wad.h"

namespace kv {
namespace {

using test::Text;

using test::Member;

TEST(NameLists, PlayerTextsPadToTheDetailColumn) {
  const std::string pad(25, ' ');
  EXPECT_EQ(PlayerText("F037", "Ann", "Bo", "X"), "(F037) Ann Bo" + std::string(23, ' ') + " X");
  EXPECT_EQ(PlayerText("F1", "A", "B", "hidden"), "(F1) A B" + pad); // shorter than 36: no detail
  EXPECT_EQ(PlayerText("F12", "Abcdefghijklmnop", "Qrstuvwxyzabcdef", std::string(40, 'd')),
            "(F12) Abcdefghijklmnop Qrstuvwxyzabc " + std::string(31, 'd'));
}

class GameFolderTest : public ::testing::Test {
protected:
  ~GameFolderTest() override { ReleaseCurrentWad(); }
  std::string Path(const std::string& name) const { return dir.File(name); }

  test::TempDir dir;
  test::ScriptedUi ui;
};

TEST_F(GameFolderTest, CreatePlayerListRefusesAFileShorterThanItsLayoutByName) {
  // The whole table, and a cancelled dialog: the Set Names journey and 'vorevuvo names'.
  test::WriteGameFolder(dir.path().string(), {"<035> r", {}, 3});
  // A file shorter than its layout is refused by name.
  test::WriteBytes(Path("AGENTS.FRP"), ImplodeBlock(std::vector<std::uint8_t>{5, 0, 1, 2}));
  EXPECT_FALSE(CreatePlayerList(dir.path().string() + "/"));
  EXPECT_EQ(ui.Told(), std::vector<std::string>{"CreatePlayerList(): Failed: AGENTS.FRP holds 4 bytes once "
                                                "decoded; its layout needs 642"});
  EXPECT_TRUE(NameListTable().empty());
}

TEST(CommentarySound, JoinsTheClipsOfThePiecesBehindOneHeader) {
  test::ScriptedUi ui;
  ResetNameSlots();
  SetNameSlotKey(NameSlot::TeamA, "QRS");
  SetNameSlotKey(NameSlot::CaptainA, "QRS07");
  EXPECT_EQ(ResolvePieceName("*JA"), "JQRSFU.SFX");
  EXPECT_EQ(ResolvePieceName("*BC"), "BQRS07.SFX");
  EXPECT_EQ(ResolvePieceName("B035C.SFX"), "B035C.SFX");

  auto cut = ImplodeBlock(test::Pattern(100, 9));
  cut.resize(cut.size() / 2); // found, but decodes short
  const auto voice =
      test::BuildWad({Member("J035A.SFX", test::Pattern(300, 1)), Member("jqrsfu.sfx", test::Pattern(200, 2)),
                      Member("B1.SFX", test::Pattern(20, 3)), Member("B2.SFX", test::Pattern(26, 4)),
                      Member("B3.SFX", test::Pattern(25, 5)), test::StoredMember("CUT.SFX", cut)});
  const auto build = [&](std::vector<std::string> pieces) {
    return BuildCommentarySound(CommentaryLine{"035", false, false, false, "x.wav", std::move(pieces)}, voice,
                                &ui);
  };

  const auto image = build({"J035A.SFX", "*JA", "MISSING.SFX"});
  ASSERT_TRUE(image);
  ASSERT_EQ(image->size(), 546u);
  EXPECT_EQ(LoadLE32(image->data() + 42), 500u);
  EXPECT_TRUE(
      std::equal(image->begin() + 346, image->end(), test::Pattern(200, 2).begin())); // found ignoring case

  EXPECT_EQ(build({"B1.SFX", "B2.SFX"})->size(), 92u); // exactly 46 bytes of sound
  EXPECT_FALSE(build({"B1.SFX", "B3.SFX"}));           // 45
  EXPECT_FALSE(build({}));

  // What a clip did not produce is silence; the header keeps the declared total.
  const auto silent = build({"CUT.SFX", "B1.SFX"});
  ASSERT_TRUE(silent);
  EXPECT_EQ(silent->size(), 46u + 120u);
  EXPECT_TRUE(std::equal(silent->begin() + 46, silent->begin() + 66, test::Pattern(20, 3).begin()));
  EXPECT_TRUE(std::all_of(silent->begin() + 66, silent->end(), [](std::uint8_t b) { return b == 0x80; }));

  EXPECT_EQ(ui.Told(), (std::vector<std::string>{"BuildCommentarySound(): Unknown Error",
                                                 "BuildCommentarySound(): Unknown Error",
                                                 "CUT.SFX: Abort: Decompression Failed"}));
  EXPECT_EQ(ui.messages[0].owner, &ui);
  ResetNameSlots();
}

TEST_F(GameFolderTest, ACommentTokThatDoesNotLookCompressedIsDecodedOnlyWhenTheUserSaysSo) {
  test::WriteGameFolder(dir.path().string(), {"", {}, 40});
  // Asked: Yes decodes it (and finds no first entry), No leaves the mode unentered.
  test::WriteBytes(Path("COMMENT.TOK"), ImplodeBlock(Text("<034> r"), {LiteralMode::Binary, 5}));
  ui.ChooseFile(Path("COMMENT.TOK"));
  ui.Answer(platform::kAnswerYes);
  EXPECT_FALSE(LoadCommentaryCatalogue());
  EXPECT_EQ(ui.Told(), (std::vector<std::string>{
                           Path("COMMENT.TOK") +
                               ": File does not appear to be compressed\n Decompress Anyways? [Yes/No]",
                           "Commentary Export Failed: First entry not found in comment.tok"}));
  ui.ChooseFile(Path("COMMENT.TOK"));
  ui.Answer(platform::kAnswerNo);
  EXPECT_FALSE(LoadCommentaryCatalogue());
  EXPECT_EQ(ui.messages.size(), 1u); // the question alone
}

} // namespace
} // namespace kv
