// Shared pieces of the imaging tests: a scratch folder and generated images.
#pragma once

#include "core/image/argb_image.h"

#include <cstdint>
#include <filesystem>
#include <random>
#include <string>

namespace veilmark::image::testing {

// A fresh folder, removed with everything in it at the end of the test.
class ScratchDir {
 public:
  ScratchDir() {
    std::random_device random;
    path_ = std::filesystem::temp_directory_path() /
            ("veilmark-image-" + std::to_string(random()) + std::to_string(random()));
    std::filesystem::create_directories(path_);
  }
  ~ScratchDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  const std::filesystem::path& Path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

// Every component random; alpha 255 unless `randomAlpha`.
inline ArgbImage NoiseImage(int width, int height, bool randomAlpha, std::uint32_t seed = 7) {
  std::mt19937 random(seed);
  ArgbImage image(width, height);
  for (std::size_t i = 0; i < image.PixelCount(); ++i) {
    const Argb v = random();
    image.Data()[i] = randomAlpha ? v : (v | 0xFF000000u);
  }
  return image;
}

}  // namespace veilmark::image::testing
