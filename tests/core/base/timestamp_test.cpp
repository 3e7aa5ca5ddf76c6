#include "core/base/timestamp.h"

#include <gtest/gtest.h>

#include <string>

namespace veilmark::base {
namespace {

TEST(Timestamp, Format) {
  const std::string t = CurrentTimestamp();
  ASSERT_EQ(t.size(), 22u);
  EXPECT_EQ(t[4], '-');
  EXPECT_EQ(t.substr(13, 2), "h:");
  EXPECT_EQ(t.substr(17, 2), "m:");
  EXPECT_EQ(t.back(), 's');
}

}  // namespace
}  // namespace veilmark::base
