// Whether a name taken from a data file may become a file of its own in the
// folder that the user chose. Every export that writes files under names
// from an archive or a script checks them here first.
#pragma once

#include <string>
#include <string_view>

namespace kv {

// Empty when `name` is a plain file name; otherwise why it is refused, as a
// phrase that completes "Refused: ". Refused are: the empty name; names with
// '\', '/' or ':' (they reach another folder or drive); control characters
// 0x01-0x1F; the characters * ? " < > |, which Windows does not allow; "."
// and ".."; names ending in '.' or ' ' (Windows drops those, so the file
// would land under another name); and the reserved device names CON, PRN,
// AUX, NUL, CONIN$, CONOUT$, COM1-COM9 and LPT1-LPT9 (also with the
// superscript digits 1, 2, 3), in any case, alone or before a '.', with or
// without blanks before that '.'.
std::string UnsafeFileNameReason(std::string_view name);

// The whole text for a refused name: "Refused: " and the reason.
std::string UnsafeFileNameMessage(std::string_view name);

namespace text {
inline constexpr const char* kRefusedPrefix = "Refused: ";
} // namespace text

} // namespace kv
