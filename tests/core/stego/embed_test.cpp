#include "core/stego/embed.h"

#include "core/stego/payload.h"
#include "stego_test_support.h"

#include <gtest/gtest.h>

namespace veilmark::stego {
namespace {

using testing::kPassword;
using testing::kTimestamp;
using testing::PasswordKeys;

TEST(Embed, CapacityEdges) {
  MemoryGrid grid = testing::NoiseGrid(100, 100);
  EXPECT_EQ(StorageCapacity(grid), 1250u);
  const MemoryGrid original = grid;
  const EmbedResult refused =
      EmbedPayload(grid, PasswordKeys(), kPassword, std::string(1057, 'x'), "f.bin", kTimestamp);
  EXPECT_EQ(refused.status, EmbedStatus::kNotEnoughCapacity);
  EXPECT_EQ(refused.stats.need, 1251);
  EXPECT_EQ(grid.Pixels(), original.Pixels());
  EXPECT_EQ(FormatCapacityMessage("C:\\files\\f.bin", refused.stats.need),
            "There isn't enough storage capacity on the image to hide this file:\n"
            "C:\\files\\f.bin\n\nYou need at least a image with a storage capacity of 1 Ks "
            "(1251 bytes)\nMinimum resolution: 101 x 101 pixels");
  EXPECT_EQ(
      EmbedPayload(grid, PasswordKeys(), kPassword, std::string(1056, 'x'), "f.bin", kTimestamp)
          .status,
      EmbedStatus::kEmbedded);

  MemoryGrid small = testing::NoiseGrid(40, 39);  // capacity 195 for a need of 194
  const EmbedResult empty = EmbedPayload(small, PasswordKeys(), kPassword, "", "e", kTimestamp);
  EXPECT_EQ(empty.status, EmbedStatus::kEmbedded);
  EXPECT_EQ(empty.stats.pixelsProcessed, 1408u);
  MemoryGrid tooSmall = testing::NoiseGrid(40, 38);  // capacity 190
  EXPECT_EQ(EmbedPayload(tooSmall, PasswordKeys(), kPassword, "", "e", kTimestamp).status,
            EmbedStatus::kNotEnoughCapacity);
  EXPECT_EQ(StorageCapacity(70000, 70000), (70000u * 70000u) >> 3);  // 32-bit product
}

// A grid that claims a size but keeps no pixels; enough to reach the checks after capacity.
class HugeGrid final : public PixelGrid {
 public:
  int Width() const override { return 10000; }
  int Height() const override { return 8001; }
  bool GetPixel(int, int, Argb& out) const override {
    out = 0;
    return true;
  }
  bool SetPixel(int, int, Argb) override { return false; }
};

TEST(Embed, RefusalsLeaveTheGridUnchanged) {
  EXPECT_LT(DataBlockLength(9'999'967), kDataLengthLimit);
  HugeGrid huge;
  EXPECT_EQ(
      EmbedPayload(huge, PasswordKeys(), kPassword, std::string(9'999'968, 'x'), "big", kTimestamp)
          .status,
      EmbedStatus::kPayloadTooLarge);

  const struct {
    std::string name;
    std::string timestamp;
    EmbedStatus status;
  } cases[] = {
      {"", kTimestamp, EmbedStatus::kInvalidName},
      {std::string(81, 'n'), kTimestamp, EmbedStatus::kInvalidName},
      {std::string("a\0b", 3), kTimestamp, EmbedStatus::kInvalidName},
      {"ok.bin", "2026-12-08 20h:53m:38", EmbedStatus::kInvalidTimestamp},
  };
  for (const auto& c : cases) {
    MemoryGrid grid = testing::NoiseGrid(64, 64);
    const MemoryGrid original = grid;
    EXPECT_EQ(EmbedPayload(grid, PasswordKeys(), kPassword, "abc", c.name, c.timestamp).status,
              c.status);
    EXPECT_EQ(grid.Pixels(), original.Pixels());
  }
}

TEST(Embed, StatisticsAndProgress) {
  // Single colour: entropy 0 before; every changed low bit moves one count from 0 to 1.
  MemoryGrid grid(80, 80, 0xFF000000u);
  std::vector<std::pair<std::uint32_t, std::uint32_t>> calls;
  const EmbedResult r = EmbedPayload(
      grid, PasswordKeys(), kPassword, std::string(300, 'q'), "q.bin", kTimestamp,
      [&](std::uint32_t done, std::uint32_t total) { calls.emplace_back(done, total); }, 512);
  ASSERT_EQ(r.status, EmbedStatus::kEmbedded);
  const EmbedStatistics& s = r.stats;
  EXPECT_EQ(s.dataLength, 320u);
  EXPECT_EQ(s.pixelsProcessed, 8u * (144 + 320));
  EXPECT_EQ(s.capacity, 800u);
  EXPECT_EQ(s.need, 494);
  EXPECT_EQ(s.before[0][0], 6400u);
  EXPECT_EQ(s.entropyBefore, 0.0);

  std::uint32_t red = 0, green = 0, blue = 0;
  for (Argb p : grid.Pixels()) {
    red += (p >> 16) & 1u;
    green += (p >> 8) & 1u;
    blue += p & 1u;
  }
  EXPECT_EQ(s.modifiedPixels, blue);  // blue is set whenever any channel is
  EXPECT_LT(red, green);
  EXPECT_LT(green, blue);
  EXPECT_EQ(s.histogramDelta, static_cast<std::int32_t>(2 * (red + green + blue)));
  const ColourHistogram after = ComputeColourHistogram(grid);
  EXPECT_EQ(s.entropyAfter, HistogramEntropy(after, 6400));
  EXPECT_GT(s.entropyAfter, 0.0);

  ASSERT_GE(calls.size(), 2u);
  EXPECT_EQ(calls.back(), std::make_pair(s.pixelsProcessed, s.pixelsProcessed));
  for (std::size_t i = 1; i < calls.size(); ++i) EXPECT_GT(calls[i].first, calls[i - 1].first);
}

TEST(Embed, EntropyAndHistogramOfKnownPixels) {
  MemoryGrid grid(2, 2);
  grid.Pixels() = {0xFF000000u, 0xFF000001u, 0xFF010002u, 0xFF010003u};
  const ColourHistogram h = ComputeColourHistogram(grid);
  EXPECT_EQ(h[0][0], 2u);
  EXPECT_EQ(h[0][1], 2u);
  EXPECT_EQ(h[1][0], 4u);
  EXPECT_NEAR(MeasureImageEntropy(grid), 3.0, 1e-6);  // red 1 bit, green 0, blue 2

  // Unreadable pixels count as black.
  testing::CallOnlyGrid calls(grid);
  calls.unreadable = {{1, 0}, {1, 1}};
  const ColourHistogram partial = ComputeColourHistogram(calls);
  EXPECT_EQ(partial[2][0], 3u);
  EXPECT_EQ(partial[0][0], 3u);
  EXPECT_EQ(HistogramDelta(h, partial), 2 + 0 + 4);
  EXPECT_EQ(MeasureImageEntropy(MemoryGrid()), 0.0);
}

TEST(Embed, ReportText) {
  EmbedStatistics s;
  s.need = 1250;
  s.capacity = 1250;
  s.pixelsProcessed = 9472;
  s.modifiedPixels = 3127;
  s.histogramDelta = 4410;
  s.entropyBefore = 20.123456;
  s.entropyAfter = 20.1249;
  EXPECT_EQ(FormatEmbedReport("quintus4072", s),
            ">>>> Steganography image generated <<<<\n\nPassword used: quintus4072\n"
            "Pixels processed: 9472\nModified pixels: 3127 (33%)\n(Lower percentage is better)\n"
            "\nUsed storage capacity: 100%\nAbove 8% some steganalysis tools could detect that "
            "the image contains hidden information.\n\nColor histogram difference: 4410\n\n"
            "Original image entropy: 20.123\nSteganograpy image entropy: 20.125\n"
            "Entropy difference: 0.001 (0.007 %)\n\n"
            "Now you can save this image in PNG, BMP or TIFF format.");
  s.entropyBefore = 0.0;
  s.entropyAfter = 0.5;
  EXPECT_NE(FormatEmbedReport("p", s).find("Entropy difference: 0.500 (inf %)"), std::string::npos);
}

}  // namespace
}  // namespace veilmark::stego
