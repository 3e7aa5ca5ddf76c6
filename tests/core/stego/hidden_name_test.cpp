#include "core/stego/hidden_name.h"

#include <gtest/gtest.h>

namespace veilmark::stego {
namespace {

TEST(HiddenName, Sanitise) {
  const struct {
    std::string raw;
    const char* safe;
  } cases[] = {
      {"report.TXT", "report.TXT"},
      {"photo 1.png", "photo 1.png"},
      {".profile", ".profile"},
      {"../../etc/passwd", ".._.._etc_passwd"},
      {"..\\..\\boot.ini", ".._.._boot.ini"},
      {"/abs", "_abs"},
      {"C:\\x.bin", "C__x.bin"},
      {"a:stream", "a_stream"},
      {"wh?t*<>|\".bin", "wh_t_____.bin"},
      {std::string("nul\0byte", 8), "nul_byte"},
      {"line\nbreak\x7F", "line_break_"},
      {"  spaced .. ", "spaced"},
      {"name.", "name"},
      {".", "hidden_file"},
      {"..", "hidden_file"},
      {" . ", "hidden_file"},
      {"", "hidden_file"},
      {"CON", "_CON"},
      {"nul.txt", "_nul.txt"},
      {"Com1.tar.gz", "_Com1.tar.gz"},
      {"lpt9 .x", "_lpt9 .x"},
      {"console.txt", "console.txt"},
      {"COM10", "COM10"},
      {"caf\xC3\xA9.txt", "caf\xC3\xA9.txt"},
      // Not UTF-8: code-page names, which Windows could not create as they are.
      {"caf\xE9.txt", "caf\xC3\xA9.txt"},
      {"\x80 \x9F\x81\xFF", "\xE2\x82\xAC \xC5\xB8\xC2\x81\xC3\xBF"},
      {"cut\xC3", "cut\xC3\x83"},
  };
  for (const auto& c : cases) EXPECT_EQ(SanitizeHiddenName(c.raw), c.safe) << c.raw;
}

}  // namespace
}  // namespace veilmark::stego
