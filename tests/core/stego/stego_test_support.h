// Shared fixtures of the steganography tests.
#pragma once

#include "core/crypto/cipher.h"
#include "core/stego/pixel_grid.h"

#include <random>
#include <set>
#include <string>
#include <utility>

namespace veilmark::stego::testing {

inline constexpr const char* kPassword = "quintus4072";
inline constexpr const char* kTimestamp = "2026-12-08 20h:53m:38s";

inline const crypto::KeyAndIV& PasswordKeys() {
  static const crypto::KeyAndIV keys = crypto::DeriveKeyAndIV(kPassword);
  return keys;
}

// Offers only the four per-pixel calls (no Data()), so the engines take their slow path;
// listed pixels fail to read.
class CallOnlyGrid final : public PixelGrid {
 public:
  explicit CallOnlyGrid(MemoryGrid& inner) : inner_(inner) {}
  int Width() const override { return inner_.Width(); }
  int Height() const override { return inner_.Height(); }
  bool GetPixel(int x, int y, Argb& out) const override {
    if (unreadable.count({x, y})) return false;
    return inner_.GetPixel(x, y, out);
  }
  bool SetPixel(int x, int y, Argb value) override { return inner_.SetPixel(x, y, value); }
  std::set<std::pair<int, int>> unreadable;

 private:
  MemoryGrid& inner_;
};

// A grid of random opaque pixels, the same for the same seed.
inline MemoryGrid NoiseGrid(int width, int height, unsigned seed = 7) {
  MemoryGrid grid(width, height);
  std::mt19937 gen(seed);
  for (Argb& p : grid.Pixels()) p = 0xFF000000u | (gen() & 0x00FFFFFFu);
  return grid;
}

inline std::string RandomBytes(std::size_t size, unsigned seed = 3) {
  std::string s(size, '\0');
  std::mt19937 gen(seed);
  for (char& c : s) c = static_cast<char>(gen() & 0xFF);
  return s;
}

}  // namespace veilmark::stego::testing
