#include "core/name_pattern.h"

#include <cstdint>

namespace kv {
namespace {

char Folded(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// The length of the UTF-8 character at `at`: its lead byte and what follows.
std::size_t CharacterLength(std::string_view text, std::size_t at) {
  std::size_t length = 1;
  while (at + length < text.size() && (static_cast<std::uint8_t>(text[at + length]) & 0xC0) == 0x80)
    ++length;
  return length;
}

// Matches one pattern element at `p` against the character at `t`; on a
// match, the lengths of both. A '[' without its ']' is an ordinary character.
bool MatchOne(std::string_view pattern, std::size_t p, std::string_view name, std::size_t t,
              std::size_t& pattern_length, std::size_t& name_length) {
  name_length = CharacterLength(name, t);
  const std::string_view character = name.substr(t, name_length);
  if (pattern[p] == '?') {
    pattern_length = 1;
    return true;
  }
  const std::size_t close = pattern[p] == '[' ? pattern.find(']', p + 2) : std::string_view::npos;
  if (close != std::string_view::npos) {
    pattern_length = close - p + 1;
    std::size_t at = p + 1;
    const bool negated = pattern[at] == '!' || pattern[at] == '^';
    if (negated) ++at;
    bool found = false;
    for (; at < close; ++at) {
      const bool range = at + 2 < close && pattern[at + 1] == '-';
      const char low = Folded(pattern[at]), high = Folded(range ? pattern[at + 2] : pattern[at]);
      found = found || (name_length == 1 && Folded(character[0]) >= low && Folded(character[0]) <= high);
      if (range) at += 2;
    }
    return found != negated;
  }
  pattern_length = CharacterLength(pattern, p);
  const std::string_view literal = pattern.substr(p, pattern_length);
  if (literal.size() != character.size()) return false;
  for (std::size_t i = 0; i < literal.size(); ++i)
    if (Folded(literal[i]) != Folded(character[i])) return false;
  return true;
}

} // namespace

bool IsNamePattern(std::string_view text) {
  return text.find_first_of("*?[") != std::string_view::npos;
}

bool MatchesNamePattern(std::string_view pattern, std::string_view name) {
  // The last '*' seen and the place in the name it has taken up to: on a
  // mismatch it takes one more character, which keeps the match linear in
  // the name for each '*'.
  std::size_t p = 0, t = 0, star = std::string_view::npos, resume = 0;
  while (t < name.size()) {
    std::size_t pattern_length = 0, name_length = 0;
    if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      resume = t;
    } else if (p < pattern.size() && MatchOne(pattern, p, name, t, pattern_length, name_length)) {
      p += pattern_length;
      t += name_length;
    } else if (star != std::string_view::npos) {
      p = star + 1;
      resume += CharacterLength(name, resume);
      t = resume;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*')
    ++p;
  return p == pattern.size();
}

} // namespace kv
