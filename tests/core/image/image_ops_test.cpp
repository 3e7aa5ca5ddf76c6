#include "core/image/image_ops.h"
#include "core/image/imaging.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace veilmark::image {
namespace {

using testing::NoiseImage;

Argb Rgb(int r, int g, int b) {
  return stego::MakeArgb(0xFF, static_cast<std::uint8_t>(r), static_cast<std::uint8_t>(g),
                         static_cast<std::uint8_t>(b));
}

Argb ApplyToPixel(ImageOp id, std::int64_t param, Argb pixel) {
  ArgbImage image(1, 1, pixel);
  EXPECT_TRUE(ApplyImageOperation(image, id, param));
  return image.At(0, 0);
}

// Component-wise distance of two pixels, alpha included.
int MaxDifference(Argb a, Argb b) {
  int worst = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    worst = std::max(worst, std::abs(static_cast<int>((a >> shift) & 0xFF) -
                                     static_cast<int>((b >> shift) & 0xFF)));
  }
  return worst;
}

TEST(ImageOperations, ColourArithmeticOnOpaquePixels) {
  struct Case {
    const char* what;
    ImageOp id;
    std::int64_t param;
    Argb in;
    Argb expected;
    int tolerance;
  };
  const Case cases[] = {
      {"negative", ImageOp::kNegative, 0, Rgb(0, 128, 255), Rgb(255, 127, 0), 0},
      {"grayscale of red", ImageOp::kGrayscale, 0, Rgb(255, 0, 0), Rgb(76, 76, 76), 0},
      {"grayscale of white", ImageOp::kGrayscale, 0, Rgb(255, 255, 255), Rgb(255, 255, 255), 0},
      {"grayscale mixes channels", ImageOp::kGrayscale, 0, Rgb(0, 255, 0), Rgb(150, 150, 150), 0},
      {"contrast pivot, 200, clamps", ImageOp::kContrast, 0, Rgb(128, 220, 40), Rgb(128, 255, 0),
       0},
      {"contrast 200 (243.5)", ImageOp::kContrast, 0, Rgb(200, 200, 200), Rgb(243, 243, 243), 1},
      {"lighten", ImageOp::kLighten, 0, Rgb(230, 100, 0), Rgb(255, 151, 51), 0},
      {"darken", ImageOp::kDarken, 0, Rgb(30, 100, 255), Rgb(0, 49, 204), 0},
      {"sharpen", ImageOp::kSharpen, 0, Rgb(128, 101, 255), Rgb(128, 96, 255), 0},
      {"gamma 1", ImageOp::kGamma, 1000, Rgb(1, 128, 254), Rgb(1, 128, 254), 0},
      {"gamma 0.5 of 0.25", ImageOp::kGamma, 500, Rgb(64, 0, 255), Rgb(128, 0, 255), 0},
      {"gamma 2", ImageOp::kGamma, 2000, Rgb(128, 0, 255), Rgb(64, 0, 255), 0},
      {"gamma 0 is refused", ImageOp::kGamma, 0, Rgb(10, 20, 30), Rgb(10, 20, 30), 0},
      {"threshold 100", ImageOp::kThreshold, 100, Rgb(99, 100, 101), Rgb(0, 255, 255), 0},
      {"threshold 200", ImageOp::kThreshold, 200, Rgb(128, 199, 200), Rgb(0, 0, 255), 0},
      {"threshold 0", ImageOp::kThreshold, 0, Rgb(0, 1, 255), Rgb(255, 255, 255), 0},
      {"threshold 255", ImageOp::kThreshold, 255, Rgb(0, 254, 255), Rgb(0, 0, 255), 0},
  };
  for (const Case& c : cases) {
    const Argb out = ApplyToPixel(c.id, c.param, c.in);
    EXPECT_LE(MaxDifference(out, c.expected), c.tolerance)
        << c.what << ": got " << std::hex << out << ", expected " << c.expected;
  }
}

TEST(ImageOperations, NegativeTwiceRestoresTheImage) {
  ArgbImage image = NoiseImage(64, 32, false);
  const ArgbImage before = image.Clone();
  ApplyImageOperation(image, ImageOp::kNegative, 0);
  ApplyImageOperation(image, ImageOp::kNegative, 0);
  for (std::size_t i = 0; i < image.PixelCount(); ++i) {
    ASSERT_LE(MaxDifference(image.Data()[i], before.Data()[i]), 1) << i;
  }
}

TEST(ImageOperations, ColourOperationsDrawOverTheCurrentPixels) {
  const struct {
    ImageOp op;
    std::int64_t param;
  } colourOps[] = {{ImageOp::kGrayscale, 0},   {ImageOp::kNegative, 0}, {ImageOp::kGamma, 500},
                   {ImageOp::kThreshold, 128}, {ImageOp::kLighten, 0},  {ImageOp::kDarken, 0},
                   {ImageOp::kContrast, 0},    {ImageOp::kSharpen, 0}};
  for (const auto& c : colourOps) {
    // A fully transparent pixel keeps its colour bits (which may carry a payload).
    EXPECT_EQ(ApplyToPixel(c.op, c.param, 0x00123457u), 0x00123457u) << static_cast<int>(c.op);
  }
  // Half-transparent black, negated to white and drawn over itself: alpha 0.5 + 0.5 * 0.5
  // and colour (1 * 0.5 + 0 * 0.25) / 0.75.
  EXPECT_LE(MaxDifference(ApplyToPixel(ImageOp::kNegative, 0, 0x80000000u), 0xC0AAAAAAu), 1);
  // Even an unchanged colour gains alpha on a translucent pixel.
  EXPECT_EQ(ApplyToPixel(ImageOp::kGamma, 1000, 0x80406080u) & 0xFFFFFFu, 0x406080u);
  EXPECT_GT(ApplyToPixel(ImageOp::kGamma, 1000, 0x80406080u) >> 24, 0x80u);
}

TEST(ImageOperations, GeometryRoundTripsAndMapsCorners) {
  const ArgbImage original = NoiseImage(300, 200, true);
  const struct {
    ImageOp first, second;
  } inverses[] = {{ImageOp::kMirror, ImageOp::kMirror},
                  {ImageOp::kFlip, ImageOp::kFlip},
                  {ImageOp::kRotateRight, ImageOp::kRotateLeft},
                  {ImageOp::kRotateLeft, ImageOp::kRotateRight}};
  for (const auto& pair : inverses) {
    ArgbImage image = original.Clone();
    ASSERT_TRUE(ApplyImageOperation(image, pair.first, 0));
    ASSERT_TRUE(ApplyImageOperation(image, pair.second, 0));
    EXPECT_TRUE(image == original) << static_cast<int>(pair.first);
  }

  // Where the top-left pixel goes, and the size afterwards.
  const Argb corner = original.At(0, 0);
  const struct {
    ImageOp id;
    int width, height, x, y;
  } moves[] = {{ImageOp::kMirror, 300, 200, 299, 0},
               {ImageOp::kFlip, 300, 200, 0, 199},
               {ImageOp::kRotateRight, 200, 300, 199, 0},
               {ImageOp::kRotateLeft, 200, 300, 0, 299}};
  for (const auto& m : moves) {
    ArgbImage image = original.Clone();
    ApplyImageOperation(image, m.id, 0);
    EXPECT_EQ(image.Width(), m.width) << static_cast<int>(m.id);
    EXPECT_EQ(image.Height(), m.height) << static_cast<int>(m.id);
    EXPECT_EQ(image.At(m.x, m.y), corner) << static_cast<int>(m.id);
  }
  // Rotating right moves the bottom-left pixel to the top-left.
  ArgbImage rotated = original.Clone();
  ApplyImageOperation(rotated, ImageOp::kRotateRight, 0);
  EXPECT_EQ(rotated.At(0, 0), original.At(0, 199));
}

TEST(ImageOperations, UnknownOperationsAndEmptyImagesChangeNothing) {
  ArgbImage image = NoiseImage(8, 8, false);
  const ArgbImage before = image.Clone();
  EXPECT_FALSE(ApplyImageOperation(image, static_cast<ImageOp>(-1), 0));
  EXPECT_TRUE(image == before);
  ArgbImage empty;
  EXPECT_FALSE(ApplyImageOperation(empty, ImageOp::kNegative, 0));
  EXPECT_FALSE(ApplyImageOperation(empty, ImageOp::kRotateRight, 0));
  EXPECT_EQ(empty.Width(), 0);
}

}  // namespace
}  // namespace veilmark::image
