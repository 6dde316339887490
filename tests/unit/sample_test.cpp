// The sample game folder: the same bytes on every run, nothing replaced
// unasked, and a whole game for both commentary modes, in which every line
// can be spoken with every name and every clip is spoken by something.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <set>

#include "support/cli_runner.h"
#include "support/temp_dir.h"

namespace kv::test {
namespace {

using SampleGame = InFreshFolder;

// The bytes pinned by their FNV-1a hashes: every run and platform must
// write exactly these.
TEST_F(SampleGame, MakeSampleWritesThePinnedFilesAndReplacesNothingWithoutForce) {
  const std::pair<std::string, std::uint64_t> pinned[] = {
      {"AGENTS.FRP", 13495678019943250759u},     {"BRUNAVIK.ROP", 436879529563248150u},
      {"COMMENT.TOK", 14185257500229474784u},    {"KESTMOOR.ROP", 13045248858811273621u},
      {"LINDUM.ROP", 14520395573546091158u},     {"MELBROOK.ROP", 4699868891460243338u},
      {"PORVANE.ROP", 4973444904730748259u},     {"README.TXT", 10563041352936424366u},
      {"REMIX.TXT", 1919062468473051742u},       {"RULES.CMP", 7585588013501457377u},
      {"SAXHOLME.ROP", 5211614498816608535u},    {"SOUNDS.WAD", 11090812512196240695u},
      {"TASKO.ROP", 17452935316242731334u},      {"TITLE.CEL", 16161838084787494207u},
      {"TITLE.PAL", 14489430769215972957u},      {"VORTAN.ROP", 16353440997131339713u},
      {"VOICE/VOICE.WAD", 10623986222550365825u}};
  const CliRun run = Cli({"make-sample", "two/deeper", "--verbose"});
  for (const auto& [name, hash] : pinned) {
    std::uint64_t fnv = 14695981039346656037u;
    for (const std::uint8_t byte : ReadBytes("two/deeper/" + name))
      fnv = (fnv ^ byte) * 1099511628211u;
    EXPECT_EQ(fnv, hash) << name;
    EXPECT_TRUE(Has(run.out, "wrote two/deeper/" + name + " (")) << run.out;
  }
  EXPECT_EQ(FilesIn("two/deeper").size() + FilesIn("two/deeper/VOICE").size() - 1, std::size(pinned));
  std::filesystem::create_directories("mine");
  WriteBytes("mine/TITLE.PAL", Text("mine"));
  EXPECT_TRUE(Has(Cli({"make-sample", "mine"}).err, "mine/TITLE.PAL exists"));
  EXPECT_EQ(FilesIn("mine"), Strings{"TITLE.PAL"}) << "not even the files that were missing";
  EXPECT_EQ(Cli({"make-sample", "mine", "--force"}).status, cli::kExitSuccess);
  EXPECT_EQ(ReadBytes("mine/TITLE.PAL"), ReadBytes("two/deeper/TITLE.PAL"));
}

nlohmann::json Json(const std::vector<std::string>& args) {
  const CliRun run = Cli(args);
  EXPECT_EQ(run.err, "") << args.at(0);
  return nlohmann::json::parse(run.out);
}

TEST_F(SampleGame, EveryLineAndNameHasItsClipsEveryClipIsSpokenAndBothModesExportWithoutAMessage) {
  ASSERT_EQ(Cli({"make-sample", "game"}).status, cli::kExitSuccess);
  std::set<std::string> clips;
  for (const auto& entry : Json({"wad", "list", "game/VOICE/VOICE.WAD", "--json"}))
    clips.insert(entry["name"]);
  std::set<std::string> spoken; // every team and player
  const nlohmann::json names = Json({"names", "game", "--json"});
  EXPECT_EQ(names.size(), 8 + 8 * 16 + 1 + 6u) << "eight teams of 16 players, \"Free Agents\" and six agents";
  for (const auto& name : names) {
    if (name["key"].is_null()) continue; // "Free Agents"
    const std::string key = name["key"], suffix = name["group"] ? "FU.SFX" : ".SFX";
    spoken.insert({"J" + key + suffix, "B" + key + suffix});
  }
  std::string kinds; // of line, by its name's pattern, and of name slot
  for (const auto& line : Json({"commentary", "list", "game/COMMENT.TOK", "--json"})) {
    kinds += std::string(line["name"]).substr(0, std::string(line["name"]).rfind('_') + 1);
    for (const std::string piece : line["pieces"])
      if (piece.front() == '*')
        kinds += piece.substr(2);
      else
        spoken.insert(piece);
  }
  EXPECT_EQ(clips, spoken);
  EXPECT_EQ(kinds, "Pass_EFAInterception_EFBCatch_Bad_FEInterception_Drop_E"
                   "Restart_After_TouchDown_ABHalf_2nd_Start_ACOvertime_DBOvertime_Multi_AB"
                   "Opening_ABCDReplay_CHalf_1st_Start_");

  for (const auto& [args, exported] :
       {std::pair{Strings{"commentary", "export", "game/COMMENT.TOK", "-o", "lines"},
                  "11 files written to lines"},
        std::pair{Strings{"remix", "export", "game/REMIX.TXT", "-o", "remix"}, "4 files written to remix"}}) {
    const CliRun run = Cli(args);
    EXPECT_EQ(run.status, cli::kExitSuccess) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_TRUE(Has(run.out, exported)) << run.out;
  }
}

} // namespace
} // namespace kv::test
