// Game folders for the commentary tests: the eight team files, AGENTS.FRP,
// COMMENT.TOK from a text and VOICE/VOICE.WAD from clips.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "commentary/name_file_writer.h"
#include "support/wad_builder.h"

namespace kv::test {

// Team `index` (0 to 7) is "Team<index> Club<index>" with the key of
// kTeamKeys[index] (BVK and LDM first, the default slots) and players
// KEY00 to KEY15 named "P<n> Of<KEY>" with the detail "D<n>".
inline constexpr const char* kTeamKeys[] = {"BVK", "LDM", "TSK", "PRV", "LND", "SXH", "BRN", "KST"};
TeamFileText TestTeam(int index);
// Free agents F000, F001, ... named "Agent<n> Free".
std::vector<PlayerRecordText> TestAgents(int count);

struct GameFolder {
  std::string commentary;       // COMMENT.TOK's text, imploded when written
  std::vector<WadMember> clips; // VOICE/VOICE.WAD's members
  int agents = 40;              // free agents in AGENTS.FRP (F006 and F037 need 38)
  bool nameFiles = true;        // write the team files and AGENTS.FRP
};

// Writes the folder's files into `dir` (which exists).
void WriteGameFolder(const std::string& dir, const GameFolder& folder);

} // namespace kv::test
