// The six name slots: which team or player a name placeholder of a
// commentary line speaks. Process-wide; every entry into the commentary mode
// resets them to their defaults, and the Set Names window fills them.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "commentary/name_lists.h"
#include "core/file_services.h"
#include "platform/platform.h"

namespace kv {

enum class NameSlot { TeamA, TeamB, CaptainA, CaptainB, Thrower, Receiver };
inline constexpr std::size_t kNameSlotCount = 6;

struct NameSlotInfo {
  NameSlot slot;
  char letter;        // the third character of its placeholders
  const char* button; // the Set Names button that fills it
  int command;        // that button's command
  const char* option; // the command line's option
  const char* defaultKey;
  bool team; // a team slot, else a player slot
};

inline constexpr std::array<NameSlotInfo, kNameSlotCount> kNameSlots = {{
    {NameSlot::TeamA, 'A', "Team A", 216, "--team-a", "BVK", true},
    {NameSlot::TeamB, 'B', "Team B", 217, "--team-b", "LDM", true},
    {NameSlot::CaptainA, 'C', "Captain A", 218, "--captain-a", "BVK00", false},
    {NameSlot::CaptainB, 'D', "Captain B", 219, "--captain-b", "LDM00", false},
    {NameSlot::Thrower, 'E', "Thrower", 220, "--thrower", "F037", false},
    {NameSlot::Receiver, 'F', "Reciever", 221, "--receiver", "F006", false},
}};

const NameSlotInfo& NameSlotInfoOf(NameSlot slot);
// The slot of a placeholder letter or of a Set Names command; none for others.
std::optional<NameSlot> NameSlotOfLetter(char letter);
std::optional<NameSlot> NameSlotOfCommand(int command);

// The key a slot holds now.
const NameKey& NameSlotKey(NameSlot slot);
void SetNameSlotKey(NameSlot slot, NameKey key);
void ResetNameSlots();

// Why an entry of the name table cannot fill `slot` (a team fills only the
// team slots, a player only the player slots, "Free Agents" none); null when
// it can. `has_key` and `is_group` describe the entry.
const char* NameSlotRefusal(NameSlot slot, bool has_key, bool is_group);

// Fills `slot` with the entry's key, or tells why not under "Alert", owned
// by `owner`. True when the slot was filled.
bool SetNameSlot(NameSlot slot, const std::optional<NameKey>& key, bool is_group,
                 platform::WindowHandle owner);

namespace text {
inline constexpr const char* kNoSoundForItem = "No sound for selected item";
inline constexpr const char* kPlayerAsTeam = "Player name can't be selected as a team name";
inline constexpr const char* kTeamAsPlayer = "Team name can't be selected as a player name";
} // namespace text

} // namespace kv
