// The 150 x 135 thumbnails of the folder list, framed by the kind of hidden content.
#pragma once

#include "core/image/argb_image.h"

#include <wx/image.h>

#include <cstdint>
#include <vector>

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

// The same thumbnail built from rows as a decoder hands them out, so that the picture is
// never held whole: each row is summed into its block of the box reduction MakeThumbnail
// applies, and only the reduced picture is kept. Reusable from picture to picture (its
// buffers keep their capacity); one per thread.
class ThumbnailReducer {
 public:
  // `width` x `height`: the size of the rows that will come (a decoder's reduced size);
  // `fullWidth` x `fullHeight`: the picture's own size, which decides where it lies in
  // the thumbnail, so that a reduced decode lands exactly where the full one would.
  void Start(int width, int height, int fullWidth, int fullHeight);
  // The next `count` rows of `width` pixels each, packed.
  void AddRows(const Argb* rows, int count);
  // The framed thumbnail once every row has come; a plain white one otherwise.
  wxImage Finish(int kind);

 private:
  struct BlockSums {
    std::uint64_t a, r, g, b, n;
  };
  void EmitBlockRow();

  int width_ = 0;
  int height_ = 0;
  ThumbnailFit fit_;
  int factor_ = 1;
  int reducedWidth_ = 0;
  int reducedHeight_ = 0;
  int nextRow_ = 0;
  std::vector<BlockSums> sums_;
  std::vector<unsigned char> reduced_;  // RGB, composited over white
};

}  // namespace veilmark::image
