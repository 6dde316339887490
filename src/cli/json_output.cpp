#include "cli/json_output.h"

#include <ostream>

#include "core/text_encoding.h"

namespace kv::cli {

Json FileText(const std::string& text) {
  return Cp1252ToUtf8(text);
}

void WriteJsonArray(std::ostream& out, const std::vector<Json>& items) {
  out << '[';
  for (std::size_t i = 0; i < items.size(); ++i)
    out << (i == 0 ? "\n  " : ",\n  ") << items[i].dump();
  out << (items.empty() ? "]\n" : "\n]\n");
}

} // namespace kv::cli
