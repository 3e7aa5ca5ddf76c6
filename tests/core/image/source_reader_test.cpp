#include "core/image/source_reader.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace veilmark::image {
namespace {

TEST(SourceReader, PiecesOfAnySizeFollowEachOtherAcrossBufferRefills) {
  std::vector<unsigned char> data(200000);
  std::mt19937 random(3);
  for (unsigned char& b : data) b = static_cast<unsigned char>(random());
  const auto source = MemorySource(data.data(), data.size());
  SourceReader reader(*source);
  // Small reads that straddle the buffer's end, one larger than the buffer, then the end.
  const std::size_t sizes[] = {1, 7, 255, 8192, 60000, 70000, 3, 65536, 100000};
  std::size_t at = 0;
  for (const std::size_t size : sizes) {
    SCOPED_TRACE(size);
    std::vector<unsigned char> out(size);
    const std::size_t expected = std::min(size, data.size() - at);
    ASSERT_EQ(reader.Read(out.data(), size), expected);
    ASSERT_TRUE(std::equal(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(expected),
                           data.begin() + static_cast<std::ptrdiff_t>(at)));
    at += expected;
  }
  unsigned char byte = 0;
  EXPECT_EQ(reader.Read(&byte, 1), 0u);
}

}  // namespace
}  // namespace veilmark::image
