#include "core/image/decoder.h"

namespace veilmark::image {

std::unique_ptr<FormatDecoder> MakePngDecoder() { return nullptr; }

}  // namespace veilmark::image
