// The working image: a 32-bit ARGB buffer (0xAARRGGBB), row by row, top row first.
#pragma once

#include "core/stego/pixel_grid.h"

#include <cstddef>
#include <utility>
#include <vector>

namespace veilmark::image {

using stego::Argb;

// A decode that failed is an image of 0 x 0: it reads width and height 0 and every pixel
// access fails. Copies of a full-size image are large (48 MB at 4000 x 3000), so the class
// cannot be copied by accident: Clone() makes the one deliberate copy, moves are cheap.
class ArgbImage final : public stego::PixelGrid {
 public:
  ArgbImage() = default;
  ArgbImage(int width, int height, Argb fill = 0xFF000000u)
      : width_(width > 0 && height > 0 ? width : 0),
        height_(width > 0 && height > 0 ? height : 0),
        pixels_(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_), fill) {}

  ArgbImage(const ArgbImage&) = delete;
  ArgbImage& operator=(const ArgbImage&) = delete;
  ArgbImage(ArgbImage&& other) noexcept
      : width_(std::exchange(other.width_, 0)),
        height_(std::exchange(other.height_, 0)),
        pixels_(std::move(other.pixels_)) {
    other.pixels_.clear();
  }
  ArgbImage& operator=(ArgbImage&& other) noexcept {
    if (this != &other) {
      width_ = std::exchange(other.width_, 0);
      height_ = std::exchange(other.height_, 0);
      pixels_ = std::move(other.pixels_);
      other.pixels_.clear();
    }
    return *this;
  }
  ~ArgbImage() override = default;

  // An independent copy (the undo snapshot).
  ArgbImage Clone() const {
    ArgbImage copy;
    copy.width_ = width_;
    copy.height_ = height_;
    copy.pixels_ = pixels_;
    return copy;
  }

  // Makes the image width x height (0 x 0 when either is below 1), keeping the buffer's
  // capacity so that a worker can decode picture after picture into one image. The pixels'
  // values are unspecified afterwards.
  void Resize(int width, int height) {
    const bool some = width > 0 && height > 0;
    width_ = some ? width : 0;
    height_ = some ? height : 0;
    pixels_.resize(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_));
  }

  int Width() const override { return width_; }
  int Height() const override { return height_; }
  bool Empty() const { return pixels_.empty(); }

  // A failed read leaves 0 in `out`.
  bool GetPixel(int x, int y, Argb& out) const override {
    if (!Contains(x, y)) {
      out = 0;
      return false;
    }
    out = pixels_[Index(x, y)];
    return true;
  }
  bool SetPixel(int x, int y, Argb value) override {
    if (!Contains(x, y)) return false;
    pixels_[Index(x, y)] = value;
    return true;
  }

  bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }

  // Unchecked access for loops that know their bounds.
  Argb At(int x, int y) const { return pixels_[Index(x, y)]; }
  Argb& At(int x, int y) { return pixels_[Index(x, y)]; }
  Argb* Row(int y) { return pixels_.data() + Index(0, y); }
  const Argb* Row(int y) const { return pixels_.data() + Index(0, y); }
  Argb* Data() { return pixels_.data(); }
  // Direct access for the hiding and detection engines (null for an empty image).
  const Argb* Data() const override { return pixels_.empty() ? nullptr : pixels_.data(); }
  Argb* MutableData() override { return pixels_.empty() ? nullptr : pixels_.data(); }
  std::size_t PixelCount() const { return pixels_.size(); }

  bool operator==(const ArgbImage& other) const {
    return width_ == other.width_ && height_ == other.height_ && pixels_ == other.pixels_;
  }
  bool operator!=(const ArgbImage& other) const { return !(*this == other); }

 private:
  std::size_t Index(int x, int y) const {
    return static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
           static_cast<std::size_t>(x);
  }

  int width_ = 0;
  int height_ = 0;
  std::vector<Argb> pixels_;
};

}  // namespace veilmark::image
