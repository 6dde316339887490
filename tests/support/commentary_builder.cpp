#include "support/commentary_builder.h"

#include <filesystem>

#include "commentary/name_lists.h"
#include "core/implode.h"
#include "support/temp_dir.h"

namespace kv::test {

TeamFileText TestTeam(int index) {
  const std::string n = std::to_string(index);
  TeamFileText team{"Team" + n, "Club" + n, kTeamKeys[index], {}};
  for (std::size_t i = 0; i < kTeamPlayers; ++i) {
    const std::string number = (i < 10 ? "0" : "") + std::to_string(i);
    team.players[i] = {"P" + number, "Of" + team.key, team.key + number, "D" + number};
  }
  return team;
}

std::vector<PlayerRecordText> TestAgents(int count) {
  std::vector<PlayerRecordText> agents;
  for (int i = 0; i < count; ++i) {
    std::string key = std::to_string(i);
    key = "F" + std::string(3 - std::min<std::size_t>(3, key.size()), '0') + key;
    agents.push_back({"Agent" + std::to_string(i), "Free", key, "Detail"});
  }
  return agents;
}

void WriteGameFolder(const std::string& dir, const GameFolder& folder) {
  const std::filesystem::path root(dir);
  WriteBytes((root / "COMMENT.TOK").string(), ImplodeBlock(Text(folder.commentary)));
  std::filesystem::create_directories(root / "VOICE");
  WriteBytes((root / "VOICE" / "VOICE.WAD").string(), BuildWad(folder.clips));
  if (!folder.nameFiles) return;
  for (int i = 0; i < 8; ++i)
    WriteBytes((root / kTeamFiles[i]).string(), ImplodeBlock(WriteTeamFile(TestTeam(i))));
  WriteBytes((root / kAgentsFile).string(), ImplodeBlock(WriteAgentsFile(TestAgents(folder.agents))));
}

} // namespace kv::test
