// The team-file and AGENTS.FRP readers on arbitrary bytes: a file is read
// whole or refused by its size. Then the input's texts, split at its zero
// bytes, are written as a team file and must read back as written, each cut
// to its field and the team's name to its room: a text that fills its field
// has no zero after it, so a reader that ran on into the next field shows
// here. (AGENTS.FRP holds the same player records.)
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "commentary/name_file_writer.h"
#include "commentary/name_lists.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const kv::NameFileBytes bytes(data, size);
  if (kv::ReadTeamFile(bytes).has_value() != (size >= kv::kTeamFileSize) ||
      kv::ReadAgentsFile(bytes).has_value() != (size >= kv::AgentsFileSize(bytes)))
    __builtin_trap();

  std::istringstream input(std::string(reinterpret_cast<const char*>(data), size));
  std::vector<std::string> texts(3 + 4 * kv::kTeamPlayers);
  for (std::string& text : texts)
    std::getline(input, text, '\0');
  kv::TeamFileText team{texts[0], texts[1], texts[2], {}};
  for (std::size_t i = 0; i < kv::kTeamPlayers; ++i)
    team.players[i] = {texts[3 + 4 * i], texts[4 + 4 * i], texts[5 + 4 * i], texts[6 + 4 * i]};
  const auto team_read = kv::ReadTeamFile(kv::WriteTeamFile(team));
  const auto cut = [](const std::string& text, kv::NameField field) { return text.substr(0, field.length); };
  const auto reads_back = [&](const kv::NameListItem& item, const kv::PlayerRecordText& player) {
    const std::string key = cut(player.key, kv::kPlayerKeyField);
    return item.key == key && item.text == kv::PlayerText(key, cut(player.part1, kv::kPlayerPart1Field),
                                                          cut(player.part2, kv::kPlayerPart2Field),
                                                          cut(player.detail, kv::kPlayerDetailField));
  };
  const std::string team_text =
      cut(team.part1, kv::kTeamPart1Field) + " " + cut(team.part2, kv::kTeamPart2Field);
  if (!team_read || (*team_read)[0].key != cut(team.key, kv::kTeamKeyField) ||
      (*team_read)[0].text != team_text.substr(0, 31))
    __builtin_trap();
  for (std::size_t i = 0; i < kv::kTeamPlayers; ++i)
    if (!reads_back((*team_read)[1 + i], team.players[i])) __builtin_trap();
  return 0;
}
