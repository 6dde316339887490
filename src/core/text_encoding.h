// The game's texts are 8-bit Windows-1252; the command line prints UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace kv {

// Each byte as its Windows-1252 character in UTF-8. The five bytes that
// Windows-1252 leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) become the
// control characters of the same number, as Windows converts them, so every
// byte gives exactly one character and the result is always valid UTF-8.
std::string Cp1252ToUtf8(std::string_view bytes);

// `text` with the ASCII letters in lower case, for comparing names without
// regard to case as the game does (other bytes are compared as they are).
std::string FoldAsciiCase(std::string text);

// A file name made from a game text, in the encoding of the platform's file
// names: UTF-8 where names are UTF-8 (Linux), so that no file gets a name
// that is not valid UTF-8; the bytes as they are on Windows, whose "A"
// functions take them in the system's code page. Entries are still looked
// up by the game's own bytes.
std::string FileNameFromGameText(std::string_view text);

} // namespace kv
