// CurrentWad: the one archive image that the process holds at a time, for
// the WAD viewer or, as VOICE.WAD, for the classic commentary. It lives from
// the opening of a mode to the next ClearChildWindows.
#pragma once

#include <string>

#include "core/file_services.h"
#include "wad/wad_archive.h"

namespace kv {

struct HeldWad {
  LoadedFile file;
  std::string file_name; // without its folder

  WadImage image() const { return file.bytes(); }
};

// The held archive, or null.
const HeldWad* CurrentWad();

// Holds `file` as the current archive, releasing the one held before.
void SetCurrentWad(LoadedFile file, std::string file_name);

// Releases the held archive; nothing when none is held.
void ReleaseCurrentWad();

// Whether `image` may be held as an archive: its directory must fit in it.
// When it does not, tells the user under `file_name` and returns false.
bool AcceptWadImage(WadImage image, const std::string& file_name);

namespace text {
inline constexpr const char* kNotAWadArchive = "Refused: not a readable WAD archive: ";
} // namespace text

} // namespace kv
