#include "core/safe_name.h"

#include <array>

namespace kv {
namespace {

char FoldCase(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (FoldCase(a[i]) != FoldCase(b[i])) return false;
  }
  return true;
}

// Windows takes a final name component as a device when the part before its
// first '.', without trailing blanks, is a device name; the superscript
// digits 1, 2 and 3 count as digits for COM and LPT, as Windows-1252 bytes
// and in UTF-8 alike, so that a game's name is refused before and after its
// conversion to the process's code page.
bool IsDeviceName(std::string_view name) {
  std::string_view base = name.substr(0, name.find('.'));
  while (!base.empty() && base.back() == ' ')
    base.remove_suffix(1);
  static constexpr std::array<std::string_view, 6> kDevices = {"CON", "PRN",    "AUX",
                                                               "NUL", "CONIN$", "CONOUT$"};
  for (std::string_view device : kDevices) {
    if (EqualsIgnoringCase(base, device)) return true;
  }
  // In UTF-8 the three superscripts are 0xC2 and their Windows-1252 byte.
  const bool utf8_digit = base.size() == 5 && static_cast<unsigned char>(base[3]) == 0xC2;
  if (base.size() != (utf8_digit ? 5 : 4)) return false;
  if (!EqualsIgnoringCase(base.substr(0, 3), "COM") && !EqualsIgnoringCase(base.substr(0, 3), "LPT"))
    return false;
  const auto digit = static_cast<unsigned char>(base.back());
  if (utf8_digit) return digit == 0xB9 || digit == 0xB2 || digit == 0xB3;
  return (digit >= '1' && digit <= '9') || digit == 0xB9 || digit == 0xB2 || digit == 0xB3;
}

} // namespace

std::string UnsafeFileNameReason(std::string_view name) {
  if (name.empty()) return "the name is empty";
  for (char c : name) {
    if (c == '\\' || c == '/' || c == ':')
      return "the name contains '\\', '/' or ':' and would reach another folder";
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20) return "the name contains a control character";
    // Such a file could be written on Linux but never on Windows: both refuse it.
    if (std::string_view("*?\"<>|").find(c) != std::string_view::npos)
      return "the name contains one of * ? \" < > |, which Windows does not allow in file names";
  }
  if (name == "." || name == "..") return "the name \"" + std::string(name) + "\" stands for a folder";
  if (name.back() == '.' || name.back() == ' ') {
    return "the name ends in '.' or a blank, which Windows drops, so the file would get another name";
  }
  if (IsDeviceName(name))
    return "the name is reserved for a device (CON, PRN, AUX, NUL, COM1-COM9, LPT1-LPT9)";
  return {};
}

std::string UnsafeFileNameMessage(std::string_view name) {
  return text::kRefusedPrefix + UnsafeFileNameReason(name);
}

} // namespace kv
