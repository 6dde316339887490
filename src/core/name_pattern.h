// Shell-style patterns for names typed on the command line: '*' stands for
// any run of characters, '?' for one character and "[abc]", "[a-z]" or
// "[!ab]" for one character of a set (or not of it). ASCII letters match
// without regard to case, as the game compares its names; a character is a
// UTF-8 character, the code page of the names a user types and sees.
#pragma once

#include <string_view>

namespace kv {

// True when `text` has a character that makes it a pattern.
bool IsNamePattern(std::string_view text);

// True when the whole of `name` matches `pattern`.
bool MatchesNamePattern(std::string_view pattern, std::string_view name);

} // namespace kv
