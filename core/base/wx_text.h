// The one conversion between wxString and the UTF-8 std::string the engines use.
#pragma once

#include <wx/string.h>

#include <string>
#include <string_view>

namespace veilmark {

inline wxString FromUtf8(std::string_view utf8) {
  return utf8.empty() ? wxString() : wxString::FromUTF8(utf8.data(), utf8.size());
}

inline std::string ToUtf8(const wxString& text) { return text.utf8_string(); }

}  // namespace veilmark
