#include "wad/current_wad.h"

#include <optional>
#include <utility>

#include "platform/platform.h"

namespace kv {
namespace {

std::optional<HeldWad>& Held() {
  static std::optional<HeldWad> held;
  return held;
}

} // namespace

const HeldWad* CurrentWad() {
  const auto& held = Held();
  return held ? &*held : nullptr;
}

void SetCurrentWad(LoadedFile file, std::string file_name) {
  Held().reset();
  Held().emplace(HeldWad{std::move(file), std::move(file_name)});
}

void ReleaseCurrentWad() {
  Held().reset();
}

bool AcceptWadImage(WadImage image, const std::string& file_name) {
  const std::string problem = WadDirectoryProblem(image);
  if (problem.empty()) return true;
  platform::ShowMessage(nullptr, text::kNotAWadArchive + problem, file_name, platform::Buttons::Ok);
  return false;
}

} // namespace kv
