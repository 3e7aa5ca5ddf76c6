#include "core/document/folder_scan.h"

#include "core/crypto/cipher.h"
#include "core/image/imaging.h"
#include "core/image/thumbnail.h"
#include "core/stego/detect.h"
#include "core/stego/embed.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <string>

namespace veilmark::image {
namespace {

constexpr const char* kPassword = "quintus4072";

// Soft gradients: what a photograph looks like to a reduced JPEG decode.
ArgbImage Smooth(int width, int height) {
  ArgbImage image(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const double fx = static_cast<double>(x) / width;
      const double fy = static_cast<double>(y) / height;
      const auto c = [](double v) { return static_cast<std::uint8_t>(std::clamp(v, 0.0, 255.0)); };
      image.At(x, y) = stego::MakeArgb(0xFF, c(40 + 180 * fy), c(200 * fx * (1 - fy) + 30),
                                       c(120 + 100 * std::sin(6 * fx + 3 * fy)));
    }
  }
  return image;
}

// How far a thumbnail from a reduced decode may stray from the full picture's: the
// resampling starts from a differently sized picture, so samples shift by a fraction of a
// pixel (a steep gradient then differs by several levels; photo sizes stay below a mean of
// 1), but colours, place and content stay.
constexpr double kReducedMean = 3.0;
constexpr int kReducedMax = 24;

struct ThumbDifference {
  int outside = 0;    // largest difference outside the fitted picture (white and frame)
  int inside = 0;     // largest difference within it
  double mean = 0.0;  // mean difference within it
};

ThumbDifference Compare(const wxImage& got, const wxImage& want, const ThumbnailFit& fit) {
  ThumbDifference d;
  for (int y = 0; y < kThumbnailHeight; ++y) {
    for (int x = 0; x < kThumbnailWidth; ++x) {
      const int diff = std::max({std::abs(got.GetRed(x, y) - want.GetRed(x, y)),
                                 std::abs(got.GetGreen(x, y) - want.GetGreen(x, y)),
                                 std::abs(got.GetBlue(x, y) - want.GetBlue(x, y))});
      const bool in = x >= fit.x && x < fit.x + fit.width && y >= fit.y && y < fit.y + fit.height;
      int& slot = in ? d.inside : d.outside;
      slot = std::max(slot, diff);
      if (in) d.mean += diff;
    }
  }
  if (fit.width > 0 && fit.height > 0) d.mean /= static_cast<double>(fit.width) * fit.height;
  return d;
}

// A scan reads only the first rows for detection and streams the rest into the thumbnail;
// both must come out as the whole-picture decode gives them. One set of buffers serves all
// the cases in turn, large pictures before small ones, as a worker's does.
TEST(FolderScan, MatchesTheWholePictureDecode) {
  testing::ScratchDir dir;
  const crypto::KeyAndIV keys = crypto::DeriveKeyAndIV(kPassword);
  const crypto::SlotKeyring keyring({"alpha", "", "", "", kPassword});
  const struct {
    const char* name;
    const char* mime;
    ArgbImage (*make)();
    const char* hidden;  // the payload's name, or nullptr
    bool reduced;        // a format that may decode reduced: close to, not equal to, the full
  } cases[] = {
      {"translucent.png", "image/png", [] { return testing::NoiseImage(613, 457, true); },
       "note.txt", false},
      // The header spans twelve rows, the last one in part.
      {"narrow.png", "image/png", [] { return testing::NoiseImage(97, 300, false, 3); },
       "picture.png", false},
      {"wide.png", "image/png", [] { return testing::NoiseImage(2400, 60, false, 4); }, nullptr,
       false},
      {"sliver.png", "image/png", [] { return testing::NoiseImage(1, 900, false, 5); }, nullptr,
       false},
      {"tiny.png", "image/png", [] { return testing::NoiseImage(3, 2, false, 6); }, nullptr, false},
      {"photo.bmp", "image/bmp", [] { return Smooth(500, 400); }, "data.bin", false},
      {"photo.tif", "image/tiff", [] { return testing::NoiseImage(450, 330, false, 8); },
       "data.bin", false},
      {"photo.gif", "image/gif", [] { return Smooth(300, 200); }, nullptr, false},
      {"photo.jpg", "image/jpeg", [] { return Smooth(1600, 1200); }, nullptr, true},
      {"odd.jpg", "image/jpeg", [] { return Smooth(1203, 901); }, nullptr, true},
  };
  ScanBuffers buffers;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ArgbImage picture = c.make();
    if (c.hidden) {
      ASSERT_EQ(stego::EmbedPayload(picture, keys, kPassword, std::string(3000, 'x'), c.hidden,
                                    "2026-12-10 09h:00m:00s")
                    .status,
                stego::EmbedStatus::kEmbedded);
    }
    ASSERT_TRUE(SaveImage(picture, dir / c.name, c.mime));
    const ArgbImage whole = DecodeImageFile(dir / c.name);
    ASSERT_FALSE(whole.Empty());
    const auto found = stego::DetectHiddenPayload(whole, keyring);
    ASSERT_EQ(found.has_value(), c.hidden != nullptr);
    const int kind = found ? found->kind : 10;

    for (const bool thumbnail : {false, true}) {
      const ScannedImage scanned = ScanImageFile(dir / c.name, keyring, thumbnail, buffers);
      EXPECT_EQ(scanned.kind, kind);
      EXPECT_EQ(scanned.hiddenName, c.hidden ? c.hidden : "");
      EXPECT_EQ(scanned.width, whole.Width());
      EXPECT_EQ(scanned.height, whole.Height());
      ASSERT_EQ(scanned.thumbnail.IsOk(), thumbnail);
      if (!thumbnail) continue;
      const ThumbDifference d = Compare(scanned.thumbnail, MakeThumbnail(whole, kind),
                                        FitThumbnail(whole.Width(), whole.Height()));
      EXPECT_EQ(d.outside, 0);
      if (c.reduced) {
        EXPECT_LE(d.mean, kReducedMean);
        EXPECT_LE(d.inside, kReducedMax);
      } else {
        EXPECT_EQ(d.inside, 0);
      }
    }
  }
}

TEST(FolderScan, UnreadableFilesGiveAPlainWhiteThumbnail) {
  testing::ScratchDir dir;
  const crypto::SlotKeyring keyring({kPassword, "", "", "", ""});
  ASSERT_TRUE(SaveImage(testing::NoiseImage(300, 200, false), dir / "whole.png", "image/png"));
  const auto bytes = ReadImageFileBytes(dir / "whole.png");
  ASSERT_TRUE(bytes);
  struct File {
    const char* name;
    std::string content;
  };
  const File files[] = {
      {"empty.png", ""},
      {"text.png", "not a picture at all"},
      {"truncated.png", std::string(bytes->begin(), bytes->begin() + bytes->size() / 2)},
  };
  for (const File& f : files) {
    SCOPED_TRACE(f.name);
    {
      std::ofstream out(dir / f.name, std::ios::binary);
      out << f.content;
    }
    ASSERT_TRUE(DecodeImageFile(dir / f.name).Empty());
    const ScannedImage scanned = ScanImageFile(dir / f.name, keyring, true);
    EXPECT_EQ(scanned.kind, 10);
    EXPECT_EQ(scanned.width, 0);
    EXPECT_EQ(scanned.height, 0);
    ASSERT_TRUE(scanned.thumbnail.IsOk());
    const unsigned char* rgb = scanned.thumbnail.GetData();
    EXPECT_TRUE(std::all_of(rgb, rgb + kThumbnailWidth * kThumbnailHeight * 3,
                            [](unsigned char v) { return v == 0xFF; }));
  }
}

// Rows of a reduced decode (as JPEG gives at 1/2 to 1/8) land where the full picture's
// would: the fit comes from the full size, so the frame is exact even when rounding the
// reduced size would fit it a pixel differently, and the picture itself differs only by
// the reduction's filtering.
TEST(ThumbnailReducer, ReducedRowsLandWhereTheFullPictureWould) {
  const struct {
    int width, height, factor;
  } cases[] = {{1000, 753, 4}, {4001, 3001, 8}, {640, 480, 2}, {300, 1300, 8}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
    const ArgbImage full = Smooth(c.width, c.height);
    // Box averages of factor x factor blocks, the size rounded up as a scaled decode does.
    ArgbImage reduced((c.width + c.factor - 1) / c.factor, (c.height + c.factor - 1) / c.factor);
    for (int y = 0; y < reduced.Height(); ++y) {
      for (int x = 0; x < reduced.Width(); ++x) {
        unsigned sum[3] = {0, 0, 0}, n = 0;
        for (int yy = y * c.factor; yy < std::min(c.height, (y + 1) * c.factor); ++yy) {
          for (int xx = x * c.factor; xx < std::min(c.width, (x + 1) * c.factor); ++xx, ++n) {
            const Argb p = full.At(xx, yy);
            sum[0] += (p >> 16) & 0xFF;
            sum[1] += (p >> 8) & 0xFF;
            sum[2] += p & 0xFF;
          }
        }
        reduced.At(x, y) = stego::MakeArgb(0xFF, static_cast<std::uint8_t>(sum[0] / n),
                                           static_cast<std::uint8_t>(sum[1] / n),
                                           static_cast<std::uint8_t>(sum[2] / n));
      }
    }
    ThumbnailReducer reducer;
    reducer.Start(reduced.Width(), reduced.Height(), c.width, c.height);
    reducer.AddRows(reduced.Row(0), reduced.Height() / 2);
    // A decode that stopped half-way shows nothing.
    const wxImage white = reducer.Finish(40);
    EXPECT_TRUE(std::all_of(white.GetData(),
                            white.GetData() + kThumbnailWidth * kThumbnailHeight * 3,
                            [](unsigned char v) { return v == 0xFF; }));
    // Started again, the same reducer takes the rows in uneven batches.
    reducer.Start(reduced.Width(), reduced.Height(), c.width, c.height);
    for (int y = 0, batch = 1; y < reduced.Height(); y += batch, batch = batch % 5 + 1)
      reducer.AddRows(reduced.Row(y), std::min(batch, reduced.Height() - y));
    const ThumbDifference d =
        Compare(reducer.Finish(40), MakeThumbnail(full, 40), FitThumbnail(c.width, c.height));
    EXPECT_EQ(d.outside, 0);
    EXPECT_LE(d.mean, kReducedMean);
    EXPECT_LE(d.inside, kReducedMax);
  }
}

}  // namespace
}  // namespace veilmark::image
