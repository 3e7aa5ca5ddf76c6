// Feeds arbitrary bytes to the BMP reader. Beyond the sanitizers' checks: a decoded
// picture has the size its header declares and never more pixels than the limit, here
// 2^22 so that the fuzzer does not spend its time filling half-gigabyte pictures.
#include "core/image/bmp_reader.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  constexpr std::uint64_t kLimit = std::uint64_t{1} << 22;
  const veilmark::image::ArgbImage image = veilmark::image::DecodeBmp(data, size, kLimit);
  if (image.Empty()) return 0;
  const std::uint64_t pixels = image.PixelCount();
  if (pixels == 0 || pixels > kLimit) std::abort();
  if (pixels !=
      static_cast<std::uint64_t>(image.Width()) * static_cast<std::uint64_t>(image.Height()))
    std::abort();
  return 0;
}
