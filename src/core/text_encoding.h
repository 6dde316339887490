// The one text model. Texts from the game's files (entry names, image names,
// commentary entry ids and the file names made from them, team and player
// texts, remix entry names) are Windows-1252 bytes. They are kept as bytes
// wherever they are looked up in an archive, and turned into the process's
// code page by SystemText, only where they are shown or name a file. Paths
// from dialogs and the command line are already in that code page and are
// never converted. The command line prints UTF-8 (Cp1252ToUtf8).
#pragma once

#include <cstdint>
#include <optional>
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

// A game text in the process's code page, to be shown or to name a file:
// UTF-8 where the process's texts are UTF-8 (Linux; Windows with the UTF-8
// code page), so that "caf\xE9" shows and is written as "café"; the bytes
// as they are elsewhere (older Windows, whose code page is the game's own on
// Western systems). No character that the conversion makes is '\\', '/' or
// ':', so a converted name is checked as a file name like any other.
std::string SystemText(std::string_view game_text);

// The UTF-8 character at `at` in `text`: its code point, with `at` moved
// past it; none, `at` unchanged, when the bytes there are no well-formed
// character (a stray byte, an overlong form, a surrogate, past U+10FFFF).
std::optional<std::uint32_t> DecodeUtf8(std::string_view text, std::size_t& at);

// The inverse of SystemText: a text typed in the process's code page as the
// game's Windows-1252 bytes, so that "café" is stored as "caf\xE9"; none when
// a character has no Windows-1252 byte ("ナ") or the UTF-8 does not decode.
std::optional<std::string> GameText(std::string_view system_text);

} // namespace kv
