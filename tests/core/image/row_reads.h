// Reading a picture held in memory through the row decoders, as the decoder tests compare it.
#pragma once

#include "core/image/decoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace veilmark::image::testing {

// What the row decoder gives for the first `rows` rows (all when -1); empty when it fails.
inline ArgbImage DecodeRows(const std::vector<unsigned char>& bytes, int rows = -1) {
  ImageReader reader;
  if (!reader.Open(MemorySource(bytes.data(), bytes.size()))) return {};
  if (rows < 0) rows = reader.Height();
  ArgbImage image(reader.Width(), rows);
  if (reader.ReadRows(image.Data(), rows) != rows || reader.Failed()) return {};
  return image;
}

// The first `rows` rows, then the rest, from one reader.
inline ArgbImage DecodeInTwoReads(const std::vector<unsigned char>& bytes, int rows) {
  ImageReader reader;
  if (!reader.Open(MemorySource(bytes.data(), bytes.size()))) return {};
  ArgbImage image(reader.Width(), reader.Height());
  if (reader.ReadRows(image.Data(), rows) != rows) return {};
  ArgbImage rest;
  if (!reader.ReadRest(rest)) return {};
  std::copy_n(rest.Data(), rest.PixelCount(), image.Row(rows));
  return image;
}

// The first `rows` rows of `expected` and all of `actual` hold the same pixels.
inline void ExpectSame(const ArgbImage& expected, const ArgbImage& actual, int rows) {
  ASSERT_EQ(expected.Width(), actual.Width());
  ASSERT_GE(expected.Height(), rows);
  ASSERT_EQ(actual.Height(), rows);
  for (int y = 0; y < rows; ++y) {
    for (int x = 0; x < expected.Width(); ++x) {
      ASSERT_EQ(expected.Row(y)[x], actual.Row(y)[x]) << "at " << x << "," << y;
    }
  }
}

}  // namespace veilmark::image::testing
