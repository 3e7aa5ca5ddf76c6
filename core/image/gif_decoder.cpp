#include "core/image/decoder.h"

namespace veilmark::image {

std::unique_ptr<FormatDecoder> MakeGifDecoder() { return nullptr; }

}  // namespace veilmark::image
