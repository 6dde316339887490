#include "commentary/name_file_writer.h"

#include <algorithm>

#include "core/little_endian.h"

namespace kv {
namespace {

void Put(std::vector<std::uint8_t>& out, std::size_t base, NameField field, const std::string& text) {
  std::copy_n(text.begin(), std::min(text.size(), field.length),
              out.begin() + static_cast<std::ptrdiff_t>(base + field.offset));
}

void PutPlayer(std::vector<std::uint8_t>& out, std::size_t base, const PlayerRecordText& player) {
  Put(out, base, kPlayerPart1Field, player.part1);
  Put(out, base, kPlayerPart2Field, player.part2);
  Put(out, base, kPlayerKeyField, player.key);
  Put(out, base, kPlayerDetailField, player.detail);
}

} // namespace

std::vector<std::uint8_t> WriteTeamFile(const TeamFileText& team) {
  std::vector<std::uint8_t> out(kTeamFileSize, 0);
  Put(out, 0, kTeamPart1Field, team.part1);
  Put(out, 0, kTeamPart2Field, team.part2);
  Put(out, 0, kTeamKeyField, team.key);
  for (std::size_t i = 0; i < kTeamPlayers; ++i)
    PutPlayer(out, kTeamHeaderSize + i * kTeamRecordSize, team.players[i]);
  return out;
}

std::vector<std::uint8_t> WriteAgentsFile(const std::vector<PlayerRecordText>& agents) {
  const std::size_t count = std::min<std::size_t>(agents.size(), 0xFFFF);
  std::vector<std::uint8_t> out(kAgentsCountSize + count * kAgentRecordSize, 0);
  StoreLE16(out, 0, static_cast<std::uint32_t>(count));
  for (std::size_t i = 0; i < count; ++i)
    PutPlayer(out, kAgentsCountSize + i * kAgentRecordSize, agents[i]);
  return out;
}

} // namespace kv
