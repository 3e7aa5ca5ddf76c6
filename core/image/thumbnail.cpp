#include "core/image/thumbnail.h"

#include "core/image/imaging.h"

#include <algorithm>
#include <cstring>

namespace veilmark::image {
namespace {

constexpr int kHiddenImage = 20;
constexpr int kHiddenMessage = 30;
constexpr int kPlain = 10;

// Blends an 8-bit component of the frame over the thumbnail with the frame's alpha.
unsigned char Blend(unsigned frame, unsigned under, unsigned alpha) {
  return static_cast<unsigned char>((frame * alpha + under * (255 - alpha) + 127) / 255);
}

}  // namespace

ThumbnailFit FitThumbnail(int width, int height) {
  ThumbnailFit fit;
  if (width < 1 || height < 1) return fit;
  const float w = static_cast<float>(width);
  const float h = static_cast<float>(height);
  const float sx = static_cast<float>(kThumbnailWidth) / w;
  const float sy = static_cast<float>(kThumbnailHeight) / h;
  float s;
  if (sx > sy) {
    s = sy;
    fit.x = static_cast<int>((static_cast<float>(kThumbnailWidth) - w * s) * 0.5f);
  } else {
    s = sx;
    fit.y = static_cast<int>((static_cast<float>(kThumbnailHeight) - h * s) * 0.5f);
  }
  fit.width = static_cast<int>(w * s);
  fit.height = static_cast<int>(h * s);
  return fit;
}

Argb ThumbnailFrameColour(int kind) {
  if (kind <= kPlain) return 0;
  switch (kind) {
    case kHiddenImage:
      return 0x8017B701u;
    case kHiddenMessage:
      return 0x8004C8CAu;
    default:
      return 0x80E85708u;
  }
}

namespace {

wxImage WhiteThumbnail() {
  wxImage thumb(kThumbnailWidth, kThumbnailHeight, false);
  std::memset(thumb.GetData(), 0xFF,
              static_cast<std::size_t>(kThumbnailWidth) * kThumbnailHeight * 3);
  return thumb;
}

void DrawFrame(wxImage& thumb, const ThumbnailFit& fit, int kind) {
  const Argb colour = ThumbnailFrameColour(kind);
  if (colour == 0) return;
  unsigned char* rgb = thumb.GetData();
  // The pen is centred on the outline: it covers half its width on each side.
  constexpr int kHalf = kThumbnailPenWidth / 2;
  const int outerLeft = std::max(0, fit.x - kHalf);
  const int outerTop = std::max(0, fit.y - kHalf);
  const int outerRight = std::min(kThumbnailWidth, fit.x + fit.width + kHalf);
  const int outerBottom = std::min(kThumbnailHeight, fit.y + fit.height + kHalf);
  const int innerLeft = fit.x + kHalf;
  const int innerTop = fit.y + kHalf;
  const int innerRight = fit.x + fit.width - kHalf;
  const int innerBottom = fit.y + fit.height - kHalf;
  const unsigned alpha = colour >> 24;
  for (int y = outerTop; y < outerBottom; ++y) {
    for (int x = outerLeft; x < outerRight; ++x) {
      if (x >= innerLeft && x < innerRight && y >= innerTop && y < innerBottom) continue;
      unsigned char* p = rgb + 3 * (static_cast<std::size_t>(y) * kThumbnailWidth + x);
      p[0] = Blend((colour >> 16) & 0xFF, p[0], alpha);
      p[1] = Blend((colour >> 8) & 0xFF, p[1], alpha);
      p[2] = Blend(colour & 0xFF, p[2], alpha);
    }
  }
}

}  // namespace

wxImage MakeThumbnail(const ArgbImage& source, int kind) {
  wxImage thumb = WhiteThumbnail();
  if (source.Empty()) return thumb;
  const ThumbnailFit fit = FitThumbnail(source.Width(), source.Height());
  if (fit.width > 0 && fit.height > 0) {
    const wxImage scaled = ScaleImageOver(source, fit.width, fit.height, 0xFFFFFFu);
    if (scaled.IsOk()) thumb.Paste(scaled, fit.x, fit.y);
  }
  DrawFrame(thumb, fit, kind);
  return thumb;
}

// The reduction mirrors ScaleImageOver's over a white background (block factor, block
// edges, rounding), so that a thumbnail read row by row equals MakeThumbnail's.
void ThumbnailReducer::Start(int width, int height, int fullWidth, int fullHeight) {
  const bool some = width > 0 && height > 0;
  width_ = some ? width : 0;
  height_ = some ? height : 0;
  nextRow_ = 0;
  fit_ = some ? FitThumbnail(fullWidth, fullHeight) : ThumbnailFit{};
  if (fit_.width < 1 || fit_.height < 1) {
    factor_ = 1;
    reducedWidth_ = reducedHeight_ = 0;
    sums_.clear();
    reduced_.clear();
    return;
  }
  factor_ = std::max(1, std::min(width_ / (2 * fit_.width), height_ / (2 * fit_.height)));
  reducedWidth_ = (width_ + factor_ - 1) / factor_;
  reducedHeight_ = (height_ + factor_ - 1) / factor_;
  sums_.assign(static_cast<std::size_t>(reducedWidth_), BlockSums{0, 0, 0, 0, 0});
  reduced_.resize(static_cast<std::size_t>(reducedWidth_) * reducedHeight_ * 3);
}

void ThumbnailReducer::AddRows(const Argb* rows, int count) {
  for (int i = 0; i < count && nextRow_ < height_; ++i, rows += width_) {
    if (reducedWidth_ > 0) {
      const bool opaque =
          std::all_of(rows, rows + width_, [](Argb p) { return (p >> 24) == 0xFFu; });
      for (std::size_t block = 0; block < sums_.size(); ++block) {
        const int xBegin = static_cast<int>(block) * factor_;
        const int xEnd = std::min(width_, xBegin + factor_);
        std::uint64_t a = 0, r = 0, g = 0, b = 0;
        if (opaque) {
          // Opaque pixels skip the alpha weighting: their weighted sums are 255 times
          // the plain ones.
          for (int x = xBegin; x < xEnd; ++x) {
            r += (rows[x] >> 16) & 0xFF;
            g += (rows[x] >> 8) & 0xFF;
            b += rows[x] & 0xFF;
          }
          a = 255 * static_cast<std::uint64_t>(xEnd - xBegin);
          r *= 255;
          g *= 255;
          b *= 255;
        } else {
          for (int x = xBegin; x < xEnd; ++x) {
            const std::uint64_t alpha = rows[x] >> 24;
            a += alpha;
            r += alpha * ((rows[x] >> 16) & 0xFF);
            g += alpha * ((rows[x] >> 8) & 0xFF);
            b += alpha * (rows[x] & 0xFF);
          }
        }
        BlockSums& s = sums_[block];
        s.a += a;
        s.r += r;
        s.g += g;
        s.b += b;
        s.n += static_cast<std::uint64_t>(xEnd - xBegin);
      }
    }
    ++nextRow_;
    if (reducedWidth_ > 0 && (nextRow_ % factor_ == 0 || nextRow_ == height_)) EmitBlockRow();
  }
}

void ThumbnailReducer::EmitBlockRow() {
  const int blockRow = (nextRow_ - 1) / factor_;
  unsigned char* dst = reduced_.data() + static_cast<std::size_t>(blockRow) * reducedWidth_ * 3;
  for (BlockSums& s : sums_) {
    // Composited over white: (sum a*c + (255*n - sum a) * 255) / (255*n).
    const std::uint64_t full = 255 * s.n;
    const std::uint64_t white = (full - s.a) * 255;
    dst[0] = static_cast<unsigned char>((s.r + white + full / 2) / full);
    dst[1] = static_cast<unsigned char>((s.g + white + full / 2) / full);
    dst[2] = static_cast<unsigned char>((s.b + white + full / 2) / full);
    dst += 3;
    s = BlockSums{0, 0, 0, 0, 0};
  }
}

wxImage ThumbnailReducer::Finish(int kind) {
  wxImage thumb = WhiteThumbnail();
  if (height_ == 0 || nextRow_ < height_) return thumb;
  if (reducedWidth_ > 0) {
    const wxImage reduced(reducedWidth_, reducedHeight_, reduced_.data(), true);
    if (reducedWidth_ == fit_.width && reducedHeight_ == fit_.height) {
      thumb.Paste(reduced, fit_.x, fit_.y);
    } else {
      thumb.Paste(reduced.Scale(fit_.width, fit_.height, wxIMAGE_QUALITY_HIGH), fit_.x, fit_.y);
    }
  }
  DrawFrame(thumb, fit_, kind);
  return thumb;
}

}  // namespace veilmark::image
