// The terminal's progress line of the folder commands: counts, rate, time left, and a line
// that never wraps (a wrapped line can no longer be drawn over).
#include "cli/progress.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

namespace veilmark::cli {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;

TEST(ProgressLine, CountsRateTimeLeftAndWidth) {
  const std::string umlaut = "\xc3\xa4";  // two bytes, one column
  const struct {
    std::size_t index, total;
    std::string name;
    std::uintmax_t done, all;
    std::chrono::steady_clock::duration elapsed;
    std::size_t columns;
    std::string line;
  } cases[] = {
      // Nothing done yet, or too soon to tell: no rate, no guess.
      {0, 3, "a.txt", 0, 3 << 20, seconds(0), 79, "File 1 of 3: a.txt  0 B of 3.0 MB"},
      {1, 3, "b.txt", 1 << 20, 3 << 20, milliseconds(100), 79,
       "File 2 of 3: b.txt  1.0 MB of 3.0 MB"},
      {1, 3, "b.txt", 1 << 20, 3 << 20, seconds(2), 79,
       "File 2 of 3: b.txt  1.0 MB of 3.0 MB  512.0 KB/s  0:04 left"},
      {9, 10, "big", std::uintmax_t{1} << 30, std::uintmax_t{3} << 30, seconds(1800), 79,
       "File 10 of 10: big  1.0 GB of 3.0 GB  582.5 KB/s  1:00:00 left"},
      // A long name is cut so that the line fits; a character is never split.
      {0, 2, std::string(100, 'x'), 0, 10, seconds(0), 40,
       "File 1 of 2: " + std::string(14, 'x') + "  0 B of 10 B"},
      {0, 2, "ab" + umlaut + umlaut + "cd", 0, 10, seconds(0), 30,
       "File 1 of 2: ab" + umlaut + umlaut + "  0 B of 10 B"},
      {0, 2, "name", 0, 10, seconds(0), 10, "File 1 of "},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    EXPECT_EQ(ProgressLine::Line(c.index, c.total, c.name, c.done, c.all, c.elapsed, c.columns),
              c.line);
  }
}

}  // namespace
}  // namespace veilmark::cli
