// Game folders for the commentary tests: the eight team files, AGENTS.FRP,
// COMMENT.TOK from a text and VOICE/VOICE.WAD from clips; and the sound that
// clips make heard one after another.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "commentary/name_file_writer.h"
#include "support/wad_builder.h"

namespace kv::test {

// Team `index` (0 to 7) is "Team<index> Club<index>" with the key BVK, LDM
// (the default slots), TSK, PRV, LND, SXH, BRN or KST and players KEY00 to
// KEY15 named "P<n> Of<KEY>" with the detail "D<n>".
TeamFileText TestTeam(int index);

struct GameFolder {
  std::string commentary;       // COMMENT.TOK's text, imploded when written
  std::vector<WadMember> clips; // VOICE/VOICE.WAD's members
  int agents = 40;              // free agents F000, F001, ... named "Agent<n> Free" (F006 and F037 need 38)
};

// Writes the folder's files, the team files and AGENTS.FRP into `dir` (which exists).
void WriteGameFolder(const std::string& dir, const GameFolder& folder);

// The WAV image of `pieces` of samples heard one after another.
std::vector<std::uint8_t> JoinedWav(const std::vector<std::vector<std::uint8_t>>& pieces);

} // namespace kv::test
