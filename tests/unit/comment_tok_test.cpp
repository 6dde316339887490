#include <gtest/gtest.h>

#include "commentary/comment_tok.h"
#include "support/temp_dir.h"

namespace kv {
namespace {

// Each line as one text: name, the flags (t)eam, (s)tar, (p)assing, pieces;
// then each message as "! entry: text".
std::vector<std::string> Parse(const std::string& text) {
  const ParsedCatalogue parsed = ParseCommentaryText(test::Text(text));
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
      {"the categories that no other case names",
       "<035> cx<036> h1<037> o1<038> om<039> ox<040> ti<041> tx<042> T",
       {"Interception_Drop_035.wav --p", "Half_1st_Start_036.wav ---", "Overtime_037.wav ---",
        "Overtime_Multi_038.wav ---", "Opening_039.wav ---", "Interception_040.wav --p", "Throw_041.wav --p",
        "Unknown_042.wav ---"}},
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

} // namespace
} // namespace kv
