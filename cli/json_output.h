// The JSON that veilmark-cli prints: a document built as nlohmann::ordered_json, written
// in a fixed layout that scripts and the tests compare byte for byte.
#pragma once

#include <nlohmann/json.hpp>

#include <string>

namespace veilmark::cli {

// A JSON string. Bytes that are not UTF-8 (file names need not be) become U+FFFD; controls,
// bidirectional overrides and line separators are escaped, so that the text holds no
// character a terminal acts upon while the value a parser reads stays exact.
std::string JsonString(const std::string& text);

// The top object one member per line, its arrays one element per line, everything deeper
// on that element's line; ends with a line break.
std::string WriteJson(const nlohmann::ordered_json& document);

}  // namespace veilmark::cli
