// The 150 x 135 thumbnails of the folder list, framed by the kind of hidden content.
#pragma once

#include "core/image/argb_image.h"

#include <wx/image.h>

namespace veilmark::image {

inline constexpr int kThumbnailWidth = 150;
inline constexpr int kThumbnailHeight = 135;
inline constexpr int kThumbnailPenWidth = 14;

// Where a w x h image lies in the thumbnail: scaled by one factor to touch two opposite
// sides, centred along the other axis, sizes and offsets truncated.
struct ThumbnailFit {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
};
ThumbnailFit FitThumbnail(int width, int height);

// The frame colour (0xAARRGGBB, half transparent) of a kind; 0 for kinds up to 10, which
// get no frame.
Argb ThumbnailFrameColour(int kind);

// A 150 x 135 RGB image: white, the source fitted and centred (alpha composited over
// white), and for kinds above 10 a frame of pen width 14 centred on the outline of the
// fitted image, blended in the kind's colour. An empty source (a failed decode) gives a
// plain white thumbnail.
wxImage MakeThumbnail(const ArgbImage& source, int kind);

}  // namespace veilmark::image
