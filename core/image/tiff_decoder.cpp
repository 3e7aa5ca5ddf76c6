#include "core/image/decoder.h"

namespace veilmark::image {

std::unique_ptr<FormatDecoder> MakeTiffDecoder() { return nullptr; }

}  // namespace veilmark::image
