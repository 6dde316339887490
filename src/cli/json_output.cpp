#include "cli/json_output.h"

#include <ostream>

#include "core/text_encoding.h"

namespace kv::cli {

Json FileText(const std::string& text) {
  return Cp1252ToUtf8(text);
}

namespace {

// The item's text with DEL and the C1 controls (U+0080 to U+009F, from the
// five bytes that Windows-1252 leaves undefined) escaped as well: JSON lets
// them stand, but a terminal that shows the output would obey them. They
// occur only inside strings, so the escapes keep the JSON valid.
std::string Dump(const Json& item) {
  static const char kHex[] = "0123456789abcdef";
  const std::string text = item.dump();
  std::string dumped;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    const auto next = static_cast<unsigned char>(i + 1 < text.size() ? text[i + 1] : 0);
    if (byte == 0x7F) {
      dumped += "\\u007f";
    } else if (byte == 0xC2 && next >= 0x80 && next <= 0x9F) {
      dumped += "\\u00";
      dumped += kHex[next >> 4];
      dumped += kHex[next & 0xF];
      ++i;
    } else {
      dumped += text[i];
    }
  }
  return dumped;
}

} // namespace

void WriteJsonArray(std::ostream& out, const std::vector<Json>& items) {
  out << '[';
  for (std::size_t i = 0; i < items.size(); ++i)
    out << (i == 0 ? "\n  " : ",\n  ") << Dump(items[i]);
  out << (items.empty() ? "]\n" : "\n]\n");
}

} // namespace kv::cli
