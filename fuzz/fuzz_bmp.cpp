// Feeds arbitrary bytes to the BMP reader. Beyond the sanitizers' checks: a decoded
// picture has the size its header declares and never more pixels than the limit.
#include "core/image/bmp_reader.h"
#include "core/image/declared_size.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const veilmark::image::ArgbImage image = veilmark::image::DecodeBmp(data, size);
  if (image.Empty()) return 0;
  const std::uint64_t pixels = image.PixelCount();
  if (pixels == 0 || pixels > veilmark::image::kMaxDeclaredPixels) std::abort();
  if (pixels !=
      static_cast<std::uint64_t>(image.Width()) * static_cast<std::uint64_t>(image.Height()))
    std::abort();
  return 0;
}
