// The Edit operations on an ARGB image, keyed by an enum of the image layer's own: the
// document maps its menu commands onto it, so nothing here knows a menu.
#pragma once

#include "core/image/argb_image.h"

#include <cstdint>

namespace veilmark::image {

enum class ImageOp {
  kMirror,
  kFlip,
  kRotateRight,
  kRotateLeft,
  kGrayscale,
  kNegative,
  kGamma,
  kThreshold,
  kLighten,
  kDarken,
  kContrast,
  kSharpen,
};

// Rotations and flips in place, by their rotate-flip codes.
enum class RotateFlip {
  kRotate90 = 1,   // 90 degrees clockwise
  kRotate270 = 3,  // 270 degrees clockwise
  kFlipX = 4,      // left and right exchange
  kFlipY = 6,      // top and bottom exchange
};
void RotateFlipImage(ArgbImage& image, RotateFlip code);

// Applies one of the twelve Edit operations. `param` is gamma x 1000 for kGamma and the
// level 0..255 for kThreshold. The colour operations compute each component as a fraction
// in single precision and round to the nearest 8-bit value; the adjusted pixel is drawn
// over the current one (source-over): opaque pixels receive the adjusted colour, fully
// transparent ones stay as they are, translucent ones blend and gain alpha. A gamma of 0 or
// below leaves colours as they are. Threshold: a component at or above the level (clamped
// to 0..255) becomes 255, below it 0. Returns false for a value outside the enum or an
// empty image (nothing changes).
bool ApplyImageOperation(ArgbImage& image, ImageOp op, std::int64_t param);

}  // namespace veilmark::image
