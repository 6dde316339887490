#include "core/text_encoding.h"

#include <algorithm>
#include <array>
#include <cstdint>

#include "platform/platform.h"

namespace kv {
namespace {

// The characters of 0x80 to 0x9F; from 0xA0 on a byte is its own code point.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

void AppendUtf8(std::string& out, char16_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | code >> 6);
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | code >> 12);
    out += static_cast<char>(0x80 | (code >> 6 & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

} // namespace

std::string Cp1252ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (const char c : bytes) {
    const auto byte = static_cast<std::uint8_t>(c);
    AppendUtf8(out, byte >= 0x80 && byte < 0xA0 ? kHighControls[byte - 0x80] : char16_t{byte});
  }
  return out;
}

std::string FoldAsciiCase(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

std::string SystemText(std::string_view game_text) {
  return platform::TextIsUtf8() ? Cp1252ToUtf8(game_text) : std::string(game_text);
}

std::optional<std::uint32_t> DecodeUtf8(std::string_view text, std::size_t& at) {
  const auto byte = [&](std::size_t i) { return static_cast<std::uint8_t>(text[at + i]); };
  const std::uint8_t lead = byte(0);
  const std::size_t length = lead < 0x80   ? 1
                             : lead < 0xC2 ? 0
                             : lead < 0xE0 ? 2
                             : lead < 0xF0 ? 3
                             : lead < 0xF5 ? 4
                                           : 0;
  if (length == 0 || text.size() - at < length) return std::nullopt;
  std::uint32_t code = length == 1 ? lead : lead & (0x7F >> length);
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(i) & 0xC0) != 0x80) return std::nullopt;
    code = code << 6 | (byte(i) & 0x3F);
  }
  const std::uint32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
  if (code < least[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return std::nullopt;
  at += length;
  return code;
}

std::optional<std::string> GameText(std::string_view system_text) {
  if (!platform::TextIsUtf8()) return std::string(system_text);
  std::string out;
  for (std::size_t at = 0; at < system_text.size();) {
    const std::optional<std::uint32_t> code = DecodeUtf8(system_text, at);
    if (!code) return std::nullopt;
    if (*code < 0x80 || (*code >= 0xA0 && *code <= 0xFF)) {
      out += static_cast<char>(*code);
      continue;
    }
    const auto found = std::find(kHighControls.begin(), kHighControls.end(), static_cast<char16_t>(*code));
    if (*code > 0xFFFF || found == kHighControls.end()) return std::nullopt;
    out += static_cast<char>(0x80 + (found - kHighControls.begin()));
  }
  return out;
}

} // namespace kv
