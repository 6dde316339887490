#include "commentary/name_slots.h"

namespace kv {
namespace {

std::array<NameKey, kNameSlotCount>& Slots() {
  static std::array<NameKey, kNameSlotCount> slots = [] {
    std::array<NameKey, kNameSlotCount> defaults;
    for (std::size_t i = 0; i < kNameSlotCount; ++i)
      defaults[i] = kNameSlots[i].defaultKey;
    return defaults;
  }();
  return slots;
}

} // namespace

const NameSlotInfo& NameSlotInfoOf(NameSlot slot) {
  return kNameSlots[static_cast<std::size_t>(slot)];
}

std::optional<NameSlot> NameSlotOfLetter(char letter) {
  for (const NameSlotInfo& info : kNameSlots)
    if (info.letter == letter) return info.slot;
  return std::nullopt;
}

std::optional<NameSlot> NameSlotOfCommand(int command) {
  for (const NameSlotInfo& info : kNameSlots)
    if (info.command == command) return info.slot;
  return std::nullopt;
}

const NameKey& NameSlotKey(NameSlot slot) {
  return Slots()[static_cast<std::size_t>(slot)];
}

void SetNameSlotKey(NameSlot slot, NameKey key) {
  Slots()[static_cast<std::size_t>(slot)] = std::move(key);
}

void ResetNameSlots() {
  for (const NameSlotInfo& info : kNameSlots)
    Slots()[static_cast<std::size_t>(info.slot)] = info.defaultKey;
}

const char* NameSlotRefusal(NameSlot slot, bool has_key, bool is_group) {
  if (!NameSlotInfoOf(slot).team) return is_group ? text::kTeamAsPlayer : nullptr;
  if (!has_key) return text::kNoSoundForItem;
  return is_group ? nullptr : text::kPlayerAsTeam;
}

bool SetNameSlot(NameSlot slot, const std::optional<NameKey>& key, bool is_group,
                 platform::WindowHandle owner) {
  if (const char* refusal = NameSlotRefusal(slot, key.has_value(), is_group)) {
    platform::ShowMessage(owner, refusal, text::kAlertCaption, platform::Buttons::Ok);
    return false;
  }
  SetNameSlotKey(slot, key.value_or(NameKey{}));
  return true;
}

} // namespace kv
