#include "core/image/thumbnail.h"
#include "core/image/imaging.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cmath>
#include <thread>

namespace veilmark::image {
namespace {

struct Rgb {
  int r, g, b;
};

Rgb PixelOf(const wxImage& image, int x, int y) {
  return {image.GetRed(x, y), image.GetGreen(x, y), image.GetBlue(x, y)};
}

// The frame colour at alpha 0x80 over `under`, in real arithmetic.
Rgb FrameOver(Argb frame, Rgb under) {
  const double a = 128.0 / 255.0;
  const auto mix = [a](int f, int u) { return static_cast<int>(std::lround(f * a + u * (1 - a))); };
  return {mix((frame >> 16) & 0xFF, under.r), mix((frame >> 8) & 0xFF, under.g),
          mix(frame & 0xFF, under.b)};
}

void ExpectNear(Rgb got, Rgb want, int tolerance, const char* where) {
  EXPECT_LE(std::abs(got.r - want.r), tolerance) << where;
  EXPECT_LE(std::abs(got.g - want.g), tolerance) << where;
  EXPECT_LE(std::abs(got.b - want.b), tolerance) << where;
}

TEST(Thumbnail, FitsAndCentres) {
  const struct {
    int w, h;
    ThumbnailFit fit;
  } cases[] = {
      {300, 100, {0, 42, 150, 50}},     // wide: full width, centred vertically
      {100, 300, {52, 0, 45, 135}},     // tall: full height, centred horizontally
      {150, 135, {0, 0, 150, 135}},     //
      {4000, 3000, {0, 11, 150, 112}},  //
      {1, 1, {7, 0, 135, 135}},         // small images are enlarged
      {0, 0, {0, 0, 0, 0}},             // a failed decode
  };
  for (const auto& c : cases) {
    const ThumbnailFit fit = FitThumbnail(c.w, c.h);
    EXPECT_EQ(fit.x, c.fit.x) << c.w << "x" << c.h;
    EXPECT_EQ(fit.y, c.fit.y) << c.w << "x" << c.h;
    EXPECT_EQ(fit.width, c.fit.width) << c.w << "x" << c.h;
    EXPECT_EQ(fit.height, c.fit.height) << c.w << "x" << c.h;
  }
}

TEST(Thumbnail, FrameColours) {
  const struct {
    int kind;
    Argb colour;
  } cases[] = {{5, 0},           {10, 0}, {20, 0x8017B701u}, {30, 0x8004C8CAu}, {40, 0x80E85708u},
               {11, 0x80E85708u}};
  for (const auto& c : cases) EXPECT_EQ(ThumbnailFrameColour(c.kind), c.colour) << c.kind;
}

TEST(Thumbnail, DrawsTheFittedImageAndTheFrameOnItsOutline) {
  const ArgbImage red(300, 100, 0xFFFF0000u);  // fitted at (0, 42), 150 x 50
  const Rgb white{255, 255, 255};
  const Rgb pureRed{255, 0, 0};

  const wxImage plain = MakeThumbnail(red, 10);
  ASSERT_EQ(plain.GetWidth(), 150);
  ASSERT_EQ(plain.GetHeight(), 135);
  EXPECT_FALSE(plain.HasAlpha());
  ExpectNear(PixelOf(plain, 75, 41), white, 0, "above the image");
  ExpectNear(PixelOf(plain, 75, 42), pureRed, 0, "top row");
  ExpectNear(PixelOf(plain, 75, 91), pureRed, 0, "bottom row");
  ExpectNear(PixelOf(plain, 75, 92), white, 0, "below the image");

  const Argb orange = ThumbnailFrameColour(40);
  const wxImage framed = MakeThumbnail(red, 40);
  // The 14-pixel pen covers rows 35..48 around the top edge at 42 and 85..98 around the
  // bottom edge at 92; the left edge at 0 is clipped to columns 0..6.
  ExpectNear(PixelOf(framed, 75, 34), white, 0, "outside the pen");
  ExpectNear(PixelOf(framed, 75, 35), FrameOver(orange, white), 1, "pen over white");
  ExpectNear(PixelOf(framed, 75, 45), FrameOver(orange, pureRed), 1, "pen over the image");
  ExpectNear(PixelOf(framed, 75, 49), pureRed, 0, "inside the pen");
  ExpectNear(PixelOf(framed, 75, 98), FrameOver(orange, white), 1, "bottom pen");
  ExpectNear(PixelOf(framed, 75, 99), white, 0, "below the pen");
  ExpectNear(PixelOf(framed, 6, 67), FrameOver(orange, pureRed), 1, "left pen");
  ExpectNear(PixelOf(framed, 7, 67), pureRed, 0, "right of the left pen");
  ExpectNear(PixelOf(framed, 0, 35), FrameOver(orange, white), 1, "corner, blended once");

  const wxImage failed = MakeThumbnail(ArgbImage(), 40);
  ExpectNear(PixelOf(failed, 0, 0), white, 0, "failed decode");
}

TEST(Thumbnail, AveragesWhenShrinkingAndCompositesOverWhite) {
  // A one-pixel checkerboard must turn grey, not black or white as sampling would.
  ArgbImage checker(600, 540);
  for (int y = 0; y < 540; ++y) {
    for (int x = 0; x < 600; ++x) checker.At(x, y) = (x + y) % 2 ? 0xFFFFFFFFu : 0xFF000000u;
  }
  ExpectNear(PixelOf(MakeThumbnail(checker, 10), 75, 67), {128, 128, 128}, 3, "checker");

  const ArgbImage halfBlack(150, 135, 0x80000000u);
  ExpectNear(PixelOf(MakeThumbnail(halfBlack, 10), 75, 67), {127, 127, 127}, 1, "half black");
  const ArgbImage transparent(150, 135, 0x00000000u);
  ExpectNear(PixelOf(MakeThumbnail(transparent, 10), 75, 67), {255, 255, 255}, 0, "clear");
}

TEST(Scaling, KeepsAlphaAndRefusesEmptyTargets) {
  const ArgbImage translucent(40, 30, 0x80FF0000u);
  const wxImage scaled = ScaleImage(translucent, 10, 7);
  ASSERT_TRUE(scaled.IsOk());
  EXPECT_EQ(scaled.GetWidth(), 10);
  EXPECT_EQ(scaled.GetHeight(), 7);
  ASSERT_TRUE(scaled.HasAlpha());
  EXPECT_NEAR(scaled.GetAlpha(5, 3), 0x80, 1);
  EXPECT_NEAR(scaled.GetRed(5, 3), 255, 1);
  EXPECT_EQ(ScaleImage(translucent, 400, 300).GetWidth(), 400);
  EXPECT_FALSE(ScaleImage(translucent, 0, 7).IsOk());
  EXPECT_FALSE(ScaleImage(ArgbImage(), 10, 7).IsOk());
}

// The folder worker decodes and builds thumbnails while the user-interface thread decodes
// the selected image.
TEST(Thumbnail, WorkerAndMainThreadDecodeAtOnce) {
  testing::ScratchDir dir;
  const ArgbImage noise = testing::NoiseImage(320, 240, false);
  ASSERT_TRUE(SaveImage(noise, dir / "a.png", "image/png"));
  const wxImage expected = MakeThumbnail(noise, 30);
  const auto work = [&dir, &expected] {
    int matches = 0;
    for (int i = 0; i < 10; ++i) {
      const wxImage thumb = MakeThumbnail(DecodeImageFile(dir / "a.png"), 30);
      if (std::equal(thumb.GetData(), thumb.GetData() + 150 * 135 * 3, expected.GetData())) {
        ++matches;
      }
    }
    return matches;
  };
  int workerMatches = 0;
  std::thread worker([&] { workerMatches = work(); });
  const int mainMatches = work();
  worker.join();
  EXPECT_EQ(workerMatches, 10);
  EXPECT_EQ(mainMatches, 10);
}

}  // namespace
}  // namespace veilmark::image
