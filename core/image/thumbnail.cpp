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

wxImage MakeThumbnail(const ArgbImage& source, int kind) {
  wxImage thumb(kThumbnailWidth, kThumbnailHeight, false);
  unsigned char* rgb = thumb.GetData();
  std::memset(rgb, 0xFF, static_cast<std::size_t>(kThumbnailWidth) * kThumbnailHeight * 3);

  if (source.Empty()) return thumb;
  const ThumbnailFit fit = FitThumbnail(source.Width(), source.Height());
  if (fit.width > 0 && fit.height > 0) {
    const wxImage scaled = ScaleImageOver(source, fit.width, fit.height, 0xFFFFFFu);
    if (scaled.IsOk()) thumb.Paste(scaled, fit.x, fit.y);
  }

  const Argb colour = ThumbnailFrameColour(kind);
  if (colour == 0) return thumb;
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
  return thumb;
}

}  // namespace veilmark::image
