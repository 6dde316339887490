// The team-file and AGENTS.FRP readers on arbitrary bytes: a file is read
// whole or refused, and every text keeps to its room.
#include <cstddef>
#include <cstdint>

#include "commentary/name_lists.h"

namespace {
void Check(const std::optional<std::vector<kv::NameListItem>>& items, std::size_t players) {
  if (!items) return;
  if (items->size() != players + 1 || !(*items)[0].isGroup) __builtin_trap();
  for (std::size_t i = 1; i < items->size(); ++i) {
    const kv::NameListItem& item = (*items)[i];
    if (item.isGroup || !item.key || item.key->size() > 6 || item.text.size() > 68) __builtin_trap();
  }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const kv::NameFileBytes bytes(data, size);
  const auto team = kv::ReadTeamFile(bytes);
  if (team.has_value() != (size >= kv::kTeamFileSize) || (team && (*team)[0].text.size() > 31))
    __builtin_trap();
  Check(team, kv::kTeamPlayers);
  const auto agents = kv::ReadAgentsFile(bytes);
  if (agents.has_value() != (size >= kv::AgentsFileSize(bytes))) __builtin_trap();
  Check(agents, size < 2 ? 0 : (data[0] | data[1] << 8));
  return 0;
}
