#include "wad/voice_wad.h"

#include "platform/platform.h"

namespace kv {

std::optional<std::string> FindVoiceWadBeside(const std::string& script) {
  return platform::SearchFolder(platform::FolderOf(script) + text::kVoiceFolder, text::kVoiceWad);
}

std::optional<VoiceWadLocation> LocateVoiceWad(const std::string& script, bool initial_name) {
  const std::string folder = platform::FolderOf(script);
  if (auto beside = FindVoiceWadBeside(script)) return VoiceWadLocation{*beside, folder};
  if (auto searched = platform::SearchPathForFile(text::kVoiceWad))
    return VoiceWadLocation{*searched, folder};
  platform::FileDialog dialog;
  dialog.title = text::kSelectVoiceWad;
  dialog.path = initial_name ? text::kVoiceWad : "";
  dialog.filters = {{text::kVoiceWad, text::kVoiceWad}, {"All Files", "*"}};
  dialog.flags = platform::kOfnExplorer | platform::kOfnFileMustExist;
  if (auto picked = platform::ShowOpenDialog(dialog))
    return VoiceWadLocation{*picked, platform::FolderOf(*picked)};
  return std::nullopt;
}

} // namespace kv
