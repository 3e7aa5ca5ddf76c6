#include "core/base/wx_text.h"

#include <gtest/gtest.h>

#include <string>

namespace veilmark {
namespace {

using namespace std::string_literals;

TEST(WxText, Utf8RoundTripsByCharacters) {
  const struct {
    std::string utf8;
    std::size_t characters;
    std::size_t utf16Units;  // Windows' wxString holds UTF-16
  } cases[] = {
      {"", 0, 0},
      {"plain", 5, 5},
      {"Gr\u00FC\u00DFe", 5, 5},                // two-byte characters
      {"\xE2\x82\xAC \xF0\x9D\x84\x9E", 3, 4},  // three and four bytes
      {"a\0b"s, 3, 3},                          // a NUL inside is kept, not an end
  };
  for (const auto& c : cases) {
    const wxString text = FromUtf8(c.utf8);
    EXPECT_EQ(text.length(), sizeof(wchar_t) == 2 ? c.utf16Units : c.characters) << c.utf8;
    EXPECT_EQ(ToUtf8(text), c.utf8);
  }
}

}  // namespace
}  // namespace veilmark
