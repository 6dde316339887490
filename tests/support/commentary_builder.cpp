#include "support/commentary_builder.h"

#include <filesystem>

#include "commentary/name_lists.h"
#include "core/implode.h"
#include "media/wav.h"
#include "support/temp_dir.h"

namespace kv::test {

TeamFileText TestTeam(int index) {
  static const char* const keys[] = {"BVK", "LDM", "TSK", "PRV", "LND", "SXH", "BRN", "KST"};
  const std::string n = std::to_string(index);
  TeamFileText team{"Team" + n, "Club" + n, keys[index], {}};
  for (std::size_t i = 0; i < kTeamPlayers; ++i) {
    const std::string number = (i < 10 ? "0" : "") + std::to_string(i);
    team.players[i] = {"P" + number, "Of" + team.key, team.key + number, "D" + number};
  }
  return team;
}

void WriteGameFolder(const std::string& dir, const GameFolder& folder) {
  // Joined as texts: a path made of a narrow text is not UTF-8 on Windows.
  const std::string root = dir + "/";
  WriteBytes(root + "COMMENT.TOK", ImplodeBlock(Text(folder.commentary)));
  std::filesystem::create_directories(FsPath(root + "VOICE"));
  WriteBytes(root + "VOICE/VOICE.WAD", BuildWad(folder.clips));
  for (int i = 0; i < 8; ++i)
    WriteBytes(root + kTeamFiles[i], ImplodeBlock(WriteTeamFile(TestTeam(i))));
  std::vector<PlayerRecordText> agents;
  for (int i = 0; i < folder.agents; ++i) {
    const std::string number = std::to_string(i);
    agents.push_back({"Agent" + number, "Free",
                      "F" + std::string(3 - std::min<std::size_t>(3, number.size()), '0') + number,
                      "Detail"});
  }
  WriteBytes(root + kAgentsFile, ImplodeBlock(WriteAgentsFile(agents)));
}

std::vector<std::uint8_t> JoinedWav(const std::vector<std::vector<std::uint8_t>>& pieces) {
  std::vector<std::uint8_t> samples;
  for (const auto& piece : pieces)
    samples.insert(samples.end(), piece.begin(), piece.end());
  return *MakeWavImage(samples);
}

} // namespace kv::test
