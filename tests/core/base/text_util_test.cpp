#include "core/base/text_util.h"

#include <gtest/gtest.h>

#include <string>

namespace veilmark {
namespace {

using namespace std::string_literals;

TEST(VisibleText, ControlsBidiAndBrokenUtf8BecomeVisible) {
  const struct {
    std::string raw;
    const char* oneLine;    // a name on the status line or a terminal line
    const char* multiLine;  // a message in the panel or on standard output
  } cases[] = {
      {"plain name.txt", "plain name.txt", "plain name.txt"},
      {"caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80", "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80",
       "caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80"},
      // A terminal title escape and a bell.
      {"\x1b]0;owned\x07", "\\x1B]0;owned\\x07", "\\x1B]0;owned\\x07"},
      {"a\x7F"s + '\0' + "b", "a\\x7F\\x00b", "a\\x7F\\x00b"},
      // Right-to-left override: "evil<RLO>txt.exe" would read as "evilexe.txt".
      {"evil\xE2\x80\xAEtxt.exe", "evil<U+202E>txt.exe", "evil<U+202E>txt.exe"},
      {"\xE2\x80\x8E\xE2\x80\x8F\xE2\x80\xAA\xE2\x81\xA6\xE2\x81\xA9\xD8\x9C",
       "<U+200E><U+200F><U+202A><U+2066><U+2069><U+061C>",
       "<U+200E><U+200F><U+202A><U+2066><U+2069><U+061C>"},
      // A zero-width joiner is not a control: emoji sequences keep it.
      {"\xE2\x80\x8D", "\xE2\x80\x8D", "\xE2\x80\x8D"},
      // C1 controls (an 8-bit CSI) and the line separator.
      {"x\xC2\x9B"
       "31m\xE2\x80\xA8y",
       "x<U+009B>31m<U+2028>y", "x<U+009B>31m<U+2028>y"},
      // Line breaks stay only in multi-line text; a lone CR would overwrite the line.
      {"one\r\ntwo\nthree\tfour", "one\\x0D\\x0Atwo\\x0Athree\\x09four", "one\r\ntwo\nthree\tfour"},
      {"fake\rreal", "fake\\x0Dreal", "fake\\x0Dreal"},
      {"end\r", "end\\x0D", "end\\x0D"},
      // Not UTF-8: stray continuation, overlong form, surrogate, truncated, beyond U+10FFFF.
      {"a\x80z", "a\\x80z", "a\\x80z"},
      {"\xC0\xAF", "\\xC0\\xAF", "\\xC0\\xAF"},
      {"\xED\xA0\x80", "\\xED\\xA0\\x80", "\\xED\\xA0\\x80"},
      {"\xE2\x80", "\\xE2\\x80", "\\xE2\\x80"},
      {"\xF4\x90\x80\x80", "\\xF4\\x90\\x80\\x80", "\\xF4\\x90\\x80\\x80"},
      {"", "", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(VisibleText(c.raw), c.oneLine) << c.raw;
    EXPECT_EQ(VisibleText(c.raw, true), c.multiLine) << c.raw;
  }
}

TEST(Format, PrintfIntoAStringOfAnyLength) {
  const std::string name(5000, 'x');  // longer than any stack buffer a formatter might use
  EXPECT_EQ(Format("%s|%05d|%ux%u", name.c_str(), 42, 3u, 4u), name + "|00042|3x4");
  EXPECT_EQ(Format("Files: %d (Images: %d  Encrypted: %d)", 7, 5, 1),
            "Files: 7 (Images: 5  Encrypted: 1)");
  EXPECT_EQ(Format("%s", ""), "");
}

}  // namespace
}  // namespace veilmark
