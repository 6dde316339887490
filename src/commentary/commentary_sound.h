// Commentary lines made audible: one WAV image per line, its pieces' clips
// from VOICE.WAD joined behind one header, the name placeholders spoken by
// the clips of the keys in the name slots.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "commentary/comment_tok.h"
#include "commentary/name_lists.h"
#include "media/wav.h"
#include "platform/platform.h"
#include "wad/wad_archive.h"

namespace kv {

// The VOICE.WAD entry a piece is spoken by: a placeholder "*" + speaker +
// slot letter becomes speaker + key + "FU.SFX" for a team slot and speaker +
// key + ".SFX" for a player slot, with the slot's key as it is now; any
// other piece is its own entry name.
std::string ResolvePieceName(std::string_view piece);

// The line's image: the header for D sample bytes, then each piece's clip,
// D being the sum of the clips' declared sizes. None after the user has been
// told why ("Unknown Error" when D is under 46, owned by `owner`). A clip
// that decodes short moves the clips behind it up, and the silence that
// makes up the header's size stands at the end. A damaged clip is told about
// once, when it is decoded.
std::optional<WavImage> BuildCommentarySound(const CommentaryLine& line, WadImage voice,
                                             platform::WindowHandle owner);

// The sound of a key in the Set Names tree: speaker J's team clip
// "J" + key + "FU.SFX", else speaker B's player clip "B" + key + ".SFX";
// none when neither exists.
std::optional<WavImage> BuildNameSound(const NameKey& key, WadImage voice);

namespace text {
inline constexpr const char* kUnknownError = "Unknown Error";
inline constexpr const char* kBuildSoundCaption = "BuildCommentarySound()";
} // namespace text

} // namespace kv
