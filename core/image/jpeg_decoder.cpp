#include "core/image/decoder.h"

namespace veilmark::image {

std::unique_ptr<FormatDecoder> MakeJpegDecoder() { return nullptr; }

}  // namespace veilmark::image
