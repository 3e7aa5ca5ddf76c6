#include "core/stego/analysis.h"
#include "core/stego/embed.h"
#include "stego_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

namespace veilmark::stego {
namespace {

using testing::CallOnlyGrid;
using testing::kPassword;
using testing::kTimestamp;
using testing::PasswordKeys;
using testing::RandomBytes;

constexpr int kWidth = 480, kHeight = 360;

std::uint8_t Clamp8(double v) { return static_cast<std::uint8_t>(std::clamp(v, 0.0, 255.0)); }

// Photo-like: soft shapes and light sensor noise, different in each channel.
MemoryGrid PhotoLike(unsigned seed, double noise = 2.5) {
  MemoryGrid grid(kWidth, kHeight);
  std::mt19937 gen(seed);
  std::normal_distribution<double> n(0, noise);
  std::uniform_real_distribution<double> u(0, 1);
  const double fx = 2 + 6 * u(gen), fy = 2 + 6 * u(gen), ph = 6.28 * u(gen);
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      const double sx = double(x) / kWidth, sy = double(y) / kHeight;
      const double base = 120 + 60 * std::sin(fx * sx + ph) * std::cos(fy * sy) + 30 * sx;
      grid.Pixels()[std::size_t(y) * kWidth + std::size_t(x)] = MakeArgb(
          255, Clamp8(base + 20 + n(gen)), Clamp8(base + n(gen)), Clamp8(base - 25 * sy + n(gen)));
    }
  return grid;
}

// A smooth diagonal gradient without noise.
MemoryGrid Gradient() {
  MemoryGrid grid(kWidth, kHeight);
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x)
      grid.Pixels()[std::size_t(y) * kWidth + std::size_t(x)] =
          MakeArgb(255, Clamp8(x * 255.0 / kWidth), Clamp8(y * 255.0 / kHeight),
                   Clamp8((x + y) * 255.0 / (kWidth + kHeight)));
  return grid;
}

// Hides random bytes filling `fraction` of the grid's capacity, as the desktop would.
void EmbedFraction(MemoryGrid& grid, double fraction) {
  if (fraction <= 0) return;
  const std::int64_t size =
      std::max<std::int64_t>(0, std::int64_t(fraction * StorageCapacity(grid)) - kCapacityOverhead);
  ASSERT_EQ(EmbedPayload(grid, PasswordKeys(), kPassword, RandomBytes(std::size_t(size)), "f.bin",
                         kTimestamp)
                .status,
            EmbedStatus::kEmbedded);
}

// The payload puts one bit per pixel into blue and, at random, also into green and red, so
// blue sees the full rate and the estimate (the largest channel) follows it. The band check
// catches the small payload that the whole-picture estimate alone would miss.
TEST(AnalysisTest, EstimatesFollowTheEmbeddedShareAndTheVerdictFlags) {
  for (const double fraction : {0.0, 0.05, 0.25, 0.5, 1.0}) {
    for (unsigned seed : {1u, 2u}) {
      MemoryGrid grid = PhotoLike(seed);
      EmbedFraction(grid, fraction);
      const ImageAnalysis a = AnalyseImage(grid);
      SCOPED_TRACE(::testing::Message() << "fraction " << fraction << " seed " << seed);
      const double tolerance = 0.04 + 0.25 * fraction;
      EXPECT_NEAR(a.estimatedRate, fraction, tolerance);
      EXPECT_NEAR(ChannelRate(a.channels[2]), fraction, tolerance);
      EXPECT_GE(a.channels[2].rsRate, 0.0);
      EXPECT_LE(a.channels[2].spaRate, 1.0);
      EXPECT_EQ(a.verdict, fraction > 0 ? Verdict::kLikelyCarriesData : Verdict::kLooksClean);
      if (fraction > 0) {
        EXPECT_GT(a.leadingRate, kSuspiciousBandRate);
      }
      // The payload's blue low bits are balanced pairs: the chi-square stays high over them.
      if (fraction >= 0.5) {
        EXPECT_GE(a.channels[2].chiSquarePrefix, fraction - 0.05);
      }
      for (const ChannelAnalysis& channel : a.channels) {
        ASSERT_EQ(channel.chiSquareCurve.size(), std::size_t(kChiSquarePoints));
        for (double p : channel.chiSquareCurve) {
          EXPECT_GE(p, 0.0);
          EXPECT_LE(p, 1.0);
        }
      }
    }
  }
}

TEST(AnalysisTest, CleanSmoothAndNoisyPicturesAreNotFlagged) {
  struct Case {
    const char* name;
    MemoryGrid grid;
  };
  const Case cases[] = {{"gradient", Gradient()},
                        {"soft photo", PhotoLike(3, 1.5)},
                        {"grainy photo", PhotoLike(4, 6)},
                        {"flat grey", MemoryGrid(kWidth, kHeight, 0xFF808080u)}};
  for (const Case& c : cases) {
    const ImageAnalysis a = AnalyseImage(c.grid);
    EXPECT_EQ(a.verdict, Verdict::kLooksClean)
        << c.name << " rate " << a.estimatedRate << " band " << a.leadingRate;
  }
}

TEST(AnalysisTest, TooLittleToAnalyse) {
  MemoryGrid transparent = PhotoLike(5);
  for (Argb& p : transparent.Pixels()) p &= 0x00FFFFFFu;
  MemoryGrid mostlyTransparent = transparent;
  for (std::size_t i = 0; i < kMinAnalysedPixels - 1; ++i)
    mostlyTransparent.Pixels()[i] |= 0xFF000000u;
  struct Case {
    const char* name;
    MemoryGrid grid;
  };
  const Case cases[] = {{"1 x 1", MemoryGrid(1, 1, 0xFF123456u)},
                        {"empty", MemoryGrid()},
                        {"fully transparent", transparent},
                        {"one pixel short", mostlyTransparent}};
  for (const Case& c : cases) {
    const ImageAnalysis a = AnalyseImage(c.grid);
    EXPECT_EQ(a.verdict, Verdict::kTooSmall) << c.name;
    EXPECT_EQ(a.estimatedRate, 0.0) << c.name;
  }
  EXPECT_STREQ(VerdictText(Verdict::kTooSmall), "too small to analyse");
}

// Transparent pixels stay out of the counts: a payload in the visible part is still seen, and
// the colour kept under alpha 0 (here with scrambled low bits) does not make a clean picture
// look suspicious.
TEST(AnalysisTest, TransparentPixelsAreLeftOut) {
  MemoryGrid grid = PhotoLike(6);
  MemoryGrid clean = grid;
  std::mt19937 gen(9);
  for (std::size_t i = grid.Pixels().size() / 2; i < grid.Pixels().size(); ++i)
    clean.Pixels()[i] = (clean.Pixels()[i] ^ (gen() & 0x010101u)) & 0x00FFFFFFu;  // invisible
  EXPECT_EQ(AnalyseImage(clean).verdict, Verdict::kLooksClean);
  EmbedFraction(grid, 0.25);
  for (std::size_t i = grid.Pixels().size() / 2; i < grid.Pixels().size(); ++i)
    grid.Pixels()[i] &= 0x00FFFFFFu;
  EXPECT_EQ(AnalyseImage(grid).verdict, Verdict::kLikelyCarriesData);
}

// A grid without direct pixel access gives the same result as the fast path; an unreadable
// pixel counts as transparent.
TEST(AnalysisTest, PerPixelGridMatchesDirectAccess) {
  MemoryGrid grid = PhotoLike(7);
  EmbedFraction(grid, 0.05);
  CallOnlyGrid calls(grid);
  const ImageAnalysis fast = AnalyseImage(grid);
  const ImageAnalysis slow = AnalyseImage(calls);
  EXPECT_EQ(slow.verdict, fast.verdict);
  EXPECT_EQ(slow.estimatedRate, fast.estimatedRate);
  EXPECT_EQ(slow.channels[1].chiSquareCurve, fast.channels[1].chiSquareCurve);
  calls.unreadable.insert({0, 0});
  MemoryGrid hole = grid;
  hole.Pixels()[0] &= 0x00FFFFFFu;
  EXPECT_EQ(AnalyseImage(calls).estimatedRate, AnalyseImage(hole).estimatedRate);
}

// Table values of the chi-square distribution, on both sides of the series/fraction switch.
TEST(AnalysisTest, ChiSquareSurvivalMatchesTables) {
  struct Case {
    double chi;
    int dof;
    double p;
  };
  for (const Case c : {Case{3.841, 1, 0.05}, Case{6.635, 1, 0.01}, Case{0.0158, 1, 0.9},
                       Case{18.307, 10, 0.05}, Case{4.865, 10, 0.9}, Case{9.342, 10, 0.5},
                       Case{154.302, 127, 0.05}, Case{126.335, 127, 0.5}, Case{0, 5, 1.0}}) {
    EXPECT_NEAR(ChiSquareSurvival(c.chi, c.dof), c.p, 2e-3) << c.chi << " " << c.dof;
  }
}

}  // namespace
}  // namespace veilmark::stego
