// Writers of the team files and AGENTS.FRP, the inverse of the readers in
// name_lists.h: the decoded bytes, ready to be imploded into a
// CompressedBlock. Used by the sample game and the tests.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "commentary/name_lists.h"

namespace kv {

// One player record's texts; each is cut to its field and zero-terminated
// when it is shorter than the field.
struct PlayerRecordText {
  std::string part1;
  std::string part2;
  std::string key;
  std::string detail;
};

struct TeamFileText {
  std::string part1;
  std::string part2;
  std::string key;
  std::array<PlayerRecordText, kTeamPlayers> players;
};

std::vector<std::uint8_t> WriteTeamFile(const TeamFileText& team);
// The count and one 128-byte record per agent; at most 65535 agents.
std::vector<std::uint8_t> WriteAgentsFile(const std::vector<PlayerRecordText>& agents);

} // namespace kv
