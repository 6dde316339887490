// The one JSON writer of every --json output: nlohmann's, which escapes
// quotes, backslashes and control characters, and DEL and the C1 controls
// escaped too; texts of game files enter as UTF-8 through FileText, so the
// output is always valid UTF-8 that cannot steer a terminal.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace kv::cli {

// Objects keep their fields in the order they were added.
using Json = nlohmann::ordered_json;

// A text from a game file (Windows-1252) as a JSON string.
Json FileText(const std::string& text);

// An array, one compact item a line: "[", the items, "]".
void WriteJsonArray(std::ostream& out, const std::vector<Json>& items);

} // namespace kv::cli
