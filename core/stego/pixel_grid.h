// The four pixel operations the steganography engines need of an image. Anything that
// offers them (a decoded image, an in-memory buffer in tests) can carry a payload.
#pragma once

#include <cstdint>
#include <vector>

namespace veilmark::stego {

using Argb = std::uint32_t;  // 0xAARRGGBB

constexpr Argb MakeArgb(std::uint8_t a, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  return (Argb{a} << 24) | (Argb{r} << 16) | (Argb{g} << 8) | Argb{b};
}

class PixelGrid {
 public:
  virtual ~PixelGrid() = default;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  // False when (x, y) is outside the grid or the pixel cannot be read/written.
  virtual bool GetPixel(int x, int y, Argb& out) const = 0;
  virtual bool SetPixel(int x, int y, Argb value) = 0;

  // Optional fast path: the Width() * Height() pixels row by row without padding, or
  // nullptr when the grid keeps them otherwise. The engines then skip the per-pixel calls.
  virtual const Argb* Data() const { return nullptr; }
  virtual Argb* MutableData() { return nullptr; }
};

// A plain ARGB buffer, row by row.
class MemoryGrid final : public PixelGrid {
 public:
  MemoryGrid() = default;
  MemoryGrid(int width, int height, Argb fill = 0xFF000000u)
      : width_(width > 0 ? width : 0),
        height_(height > 0 ? height : 0),
        pixels_(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_), fill) {}

  int Width() const override { return width_; }
  int Height() const override { return height_; }
  bool GetPixel(int x, int y, Argb& out) const override {
    if (!Contains(x, y)) return false;
    out = pixels_[Index(x, y)];
    return true;
  }
  bool SetPixel(int x, int y, Argb value) override {
    if (!Contains(x, y)) return false;
    pixels_[Index(x, y)] = value;
    return true;
  }
  const Argb* Data() const override { return pixels_.empty() ? nullptr : pixels_.data(); }
  Argb* MutableData() override { return pixels_.empty() ? nullptr : pixels_.data(); }
  std::vector<Argb>& Pixels() { return pixels_; }
  const std::vector<Argb>& Pixels() const { return pixels_; }

 private:
  bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }
  std::size_t Index(int x, int y) const {
    return static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
           static_cast<std::size_t>(x);
  }
  int width_ = 0;
  int height_ = 0;
  std::vector<Argb> pixels_;
};

}  // namespace veilmark::stego
