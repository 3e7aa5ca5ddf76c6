// The Edit operations on the ARGB buffer: rotations and flips, and the colour operations
// as 5 x 5 colour matrices (row vector (r, g, b, a, 1) times the matrix, row 4 holding
// the offsets), a gamma curve or a threshold, drawn over the current pixels.
#include "core/image/image_ops.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>

namespace veilmark::image {
namespace {

using Lut = std::array<std::uint8_t, 256>;
using Matrix = std::array<std::array<float, 5>, 5>;

float FromBits(std::uint32_t bits) {
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

// A fraction 0..1 back to 8 bits: clamped, then rounded to the nearest value.
std::uint8_t ToByte(float fraction) {
  const float clamped = std::min(1.0f, std::max(0.0f, fraction));
  return static_cast<std::uint8_t>(clamped * 255.0f + 0.5f);
}

float Fraction(int c) { return static_cast<float>(c) / 255.0f; }

Matrix Identity() {
  Matrix m{};
  for (int i = 0; i < 5; ++i) m[i][i] = 1.0f;
  return m;
}

// The same scale on r, g and b and the same offset added to each.
Matrix ScaleAndOffset(std::uint32_t scaleBits, std::uint32_t offsetBits) {
  Matrix m = Identity();
  for (int i = 0; i < 3; ++i) {
    m[i][i] = FromBits(scaleBits);
    m[4][i] = FromBits(offsetBits);
  }
  return m;
}

Matrix GrayscaleMatrix() {
  Matrix m = Identity();
  const float weights[3] = {FromBits(0x3E991687u),   // 0.299
                            FromBits(0x3F1645A2u),   // 0.587
                            FromBits(0x3DE978D5u)};  // 0.114
  for (int row = 0; row < 3; ++row) {
    for (int column = 0; column < 3; ++column) m[row][column] = weights[row];
  }
  return m;
}

bool MatrixFor(ImageOp op, Matrix& m) {
  constexpr std::uint32_t kOne = 0x3F800000u;
  switch (op) {
    case ImageOp::kGrayscale:
      m = GrayscaleMatrix();
      return true;
    case ImageOp::kNegative:
      m = ScaleAndOffset(0xBF800000u, kOne);  // -1, +1
      return true;
    case ImageOp::kLighten:
      m = ScaleAndOffset(kOne, 0x3E4CCCCDu);  // +0.2
      return true;
    case ImageOp::kDarken:
      m = ScaleAndOffset(kOne, 0xBE4CCCCDu);  // -0.2
      return true;
    case ImageOp::kContrast:
      m = ScaleAndOffset(0x3FCCCCCDu, 0xBE99999Au);  // 1.6, -0.3
      return true;
    case ImageOp::kSharpen:
      m = ScaleAndOffset(0x3F99999Au, 0xBDCCCCD0u);  // 1.2, -0.100000024
      return true;
    default:
      return false;
  }
}

// The adjusted pixel drawn over the current one. Both have alpha A, so source-over gives
// alpha A + A(1 - A) and colour (c'A + cA(1 - A)) / that alpha, in which A cancels.
Argb DrawOver(Argb current, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  const unsigned a = current >> 24;
  if (a == 0xFF) return (current & 0xFF000000u) | (Argb{r} << 16) | (Argb{g} << 8) | b;
  if (a == 0) return current;
  const unsigned den = 510 - a;
  const auto blend = [&](unsigned adjusted, unsigned old) {
    return static_cast<std::uint8_t>((255 * adjusted + (255 - a) * old + den / 2) / den);
  };
  const auto outA = static_cast<std::uint8_t>((a * den + 127) / 255);
  return stego::MakeArgb(outA, blend(r, (current >> 16) & 0xFF), blend(g, (current >> 8) & 0xFF),
                         blend(b, current & 0xFF));
}

template <typename Adjust>
void DrawAdjusted(ArgbImage& image, Adjust adjust) {
  Argb* p = image.Data();
  const std::size_t count = image.PixelCount();
  for (std::size_t i = 0; i < count; ++i) {
    const Argb v = p[i];
    if ((v >> 24) == 0) continue;
    std::uint8_t r = (v >> 16) & 0xFF, g = (v >> 8) & 0xFF, b = v & 0xFF;
    adjust(r, g, b, static_cast<std::uint8_t>(v >> 24));
    p[i] = DrawOver(v, r, g, b);
  }
}

void ApplyLuts(ArgbImage& image, const Lut& red, const Lut& green, const Lut& blue) {
  DrawAdjusted(image, [&](std::uint8_t& r, std::uint8_t& g, std::uint8_t& b, std::uint8_t) {
    r = red[r];
    g = green[g];
    b = blue[b];
  });
}

void ApplyLut(ArgbImage& image, const Lut& lut) { ApplyLuts(image, lut, lut, lut); }

bool IsPerChannel(const Matrix& m) {
  for (int row = 0; row < 4; ++row) {
    for (int column = 0; column < 3; ++column) {
      if (row != column && m[row][column] != 0.0f) return false;
    }
  }
  return true;
}

void ApplyMatrix(ArgbImage& image, const Matrix& m) {
  // Each product c/255 * M[i][j] is tabled once; the sum is formed in the matrix order
  // r, g, b, a, offset, so the result is that of the full product in single precision.
  std::array<std::array<std::array<float, 256>, 4>, 3> product;
  for (int column = 0; column < 3; ++column) {
    for (int row = 0; row < 4; ++row) {
      for (int c = 0; c < 256; ++c) product[column][row][c] = Fraction(c) * m[row][column];
    }
  }
  if (IsPerChannel(m)) {
    // Adding the zero terms leaves a float unchanged, so each channel is a table of its
    // own value with the same result as the full sum.
    Lut luts[3];
    for (int column = 0; column < 3; ++column) {
      for (int c = 0; c < 256; ++c) {
        luts[column][c] = ToByte(product[column][column][c] + m[4][column]);
      }
    }
    ApplyLuts(image, luts[0], luts[1], luts[2]);
    return;
  }
  const auto sum = [&](int column, std::uint8_t r, std::uint8_t g, std::uint8_t b, std::uint8_t a) {
    const auto& t = product[column];
    return ToByte(t[0][r] + t[1][g] + t[2][b] + t[3][a] + m[4][column]);
  };
  const bool sameColumns = [&] {
    for (int row = 0; row < 5; ++row) {
      if (m[row][1] != m[row][0] || m[row][2] != m[row][0]) return false;
    }
    return true;
  }();
  if (sameColumns) {  // grayscale: one value for all three channels
    DrawAdjusted(image, [&](std::uint8_t& r, std::uint8_t& g, std::uint8_t& b, std::uint8_t a) {
      r = g = b = sum(0, r, g, b, a);
    });
    return;
  }
  DrawAdjusted(image, [&](std::uint8_t& r, std::uint8_t& g, std::uint8_t& b, std::uint8_t a) {
    const std::uint8_t red = sum(0, r, g, b, a);
    const std::uint8_t green = sum(1, r, g, b, a);
    b = sum(2, r, g, b, a);
    r = red;
    g = green;
  });
}

void ApplyGamma(ArgbImage& image, std::int64_t param) {
  // gamma = the 32-bit parameter / 1000, as a float.
  const auto thousandths = static_cast<std::int32_t>(param);
  const auto gamma =
      static_cast<float>(static_cast<double>(static_cast<float>(thousandths)) / 1000.0);
  Lut lut;
  for (int c = 0; c < 256; ++c) {
    lut[c] = gamma > 0.0f && std::isfinite(gamma) ? ToByte(std::pow(Fraction(c), gamma))
                                                  : static_cast<std::uint8_t>(c);
  }
  ApplyLut(image, lut);
}

void ApplyThreshold(ArgbImage& image, std::int64_t level) {
  const auto cut = static_cast<int>(std::clamp<std::int64_t>(level, 0, 255));
  Lut lut;
  for (int c = 0; c < 256; ++c) lut[c] = c >= cut ? 0xFF : 0;
  ApplyLut(image, lut);
}

// Rotations write through 64 x 64 tiles so that both images are walked cache-friendly.
// (wxImage::Rotate90 would need two full conversions of the image.)
template <typename Target>
ArgbImage Rotated(const ArgbImage& source, Target target) {
  const int w = source.Width();
  const int h = source.Height();
  ArgbImage out(h, w);
  constexpr int kTile = 64;
  for (int ty = 0; ty < h; ty += kTile) {
    for (int tx = 0; tx < w; tx += kTile) {
      const int yEnd = std::min(h, ty + kTile);
      const int xEnd = std::min(w, tx + kTile);
      for (int y = ty; y < yEnd; ++y) {
        const Argb* row = source.Row(y);
        for (int x = tx; x < xEnd; ++x) target(out, x, y) = row[x];
      }
    }
  }
  return out;
}

}  // namespace

void RotateFlipImage(ArgbImage& image, RotateFlip code) {
  if (image.Empty()) return;
  const int w = image.Width();
  const int h = image.Height();
  switch (code) {
    case RotateFlip::kRotate90:  // (x, y) goes to (h - 1 - y, x)
      image = Rotated(image,
                      [h](ArgbImage& out, int x, int y) -> Argb& { return out.At(h - 1 - y, x); });
      break;
    case RotateFlip::kRotate270:  // (x, y) goes to (y, w - 1 - x)
      image = Rotated(image,
                      [w](ArgbImage& out, int x, int y) -> Argb& { return out.At(y, w - 1 - x); });
      break;
    case RotateFlip::kFlipX:
      for (int y = 0; y < h; ++y) std::reverse(image.Row(y), image.Row(y) + w);
      break;
    case RotateFlip::kFlipY:
      for (int y = 0; y < h / 2; ++y)
        std::swap_ranges(image.Row(y), image.Row(y) + w, image.Row(h - 1 - y));
      break;
  }
}

bool ApplyImageOperation(ArgbImage& image, ImageOp op, std::int64_t param) {
  if (image.Empty()) return false;
  Matrix m{};
  switch (op) {
    case ImageOp::kMirror:
      RotateFlipImage(image, RotateFlip::kFlipX);
      return true;
    case ImageOp::kFlip:
      RotateFlipImage(image, RotateFlip::kFlipY);
      return true;
    case ImageOp::kRotateRight:
      RotateFlipImage(image, RotateFlip::kRotate90);
      return true;
    case ImageOp::kRotateLeft:
      RotateFlipImage(image, RotateFlip::kRotate270);
      return true;
    case ImageOp::kGamma:
      ApplyGamma(image, param);
      return true;
    case ImageOp::kThreshold:
      ApplyThreshold(image, param);
      return true;
    default:
      if (!MatrixFor(op, m)) return false;
      ApplyMatrix(image, m);
      return true;
  }
}

}  // namespace veilmark::image
