#include "cli/json_output.h"

#include "core/base/text_util.h"

namespace veilmark::cli {

namespace {

using nlohmann::ordered_json;

// nlohmann's own dump leaves bidirectional overrides and DEL as they are and writes its own
// line layout, so strings and containers are written here and only other scalars by it.
std::string Compact(const ordered_json& value) {
  if (value.is_string()) return JsonString(value.get<std::string>());
  if (value.is_object()) {
    std::string out = "{";
    for (auto it = value.begin(); it != value.end(); ++it)
      out += (it == value.begin() ? "" : ", ") + JsonString(it.key()) + ": " + Compact(*it);
    return out + "}";
  }
  if (value.is_array()) {
    std::string out = "[";
    for (std::size_t i = 0; i < value.size(); ++i) out += (i == 0 ? "" : ", ") + Compact(value[i]);
    return out + "]";
  }
  return value.dump();
}

// A member of the top object: an array spans lines, one element on each.
std::string Member(const ordered_json& value) {
  if (!value.is_array() || value.empty()) return Compact(value);
  std::string out = "[";
  for (std::size_t i = 0; i < value.size(); ++i)
    out += (i == 0 ? "\n    " : ",\n    ") + Compact(value[i]);
  return out + "\n  ]";
}

}  // namespace

std::string JsonString(const std::string& text) {
  std::string out = "\"";
  for (std::size_t i = 0; i < text.size();) {
    char32_t c = 0;
    const std::size_t length = Utf8SequenceAt(text, i, c);
    if (length == 0) {
      out += "\\ufffd";
      ++i;
      continue;
    }
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c < 0x20 || c == 0x7F || IsFormattingControl(c)) {
      out += Format("\\u%04x", static_cast<unsigned>(c));
    } else {
      out.append(text, i, length);
    }
    i += length;
  }
  return out + "\"";
}

std::string WriteJson(const ordered_json& document) {
  if (!document.is_object()) return Compact(document) + "\n";
  std::string out = "{";
  for (auto it = document.begin(); it != document.end(); ++it)
    out += (it == document.begin() ? "\n  " : ",\n  ") + JsonString(it.key()) + ": " + Member(*it);
  return out + (document.empty() ? "}\n" : "\n}\n");
}

}  // namespace veilmark::cli
