// Shared pieces of the imaging tests: generated images (and the shared scratch folder).
#pragma once

#include "core/image/argb_image.h"
#include "tests/support/scratch_folder.h"

#include <cstdint>
#include <filesystem>
#include <random>
#include <string>

namespace veilmark::image::testing {

using ScratchDir = testutil::ScratchFolder;

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
