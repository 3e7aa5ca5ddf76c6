// A bounds-checked BMP decoder. wx's BMP loader writes past its buffer on RLE runs wider
// than a row and cannot be guarded from outside, so BMP files never reach it.
#pragma once

#include "core/image/argb_image.h"
#include "core/image/declared_size.h"
#include "core/image/decoder.h"

#include <cstddef>
#include <cstdint>

namespace veilmark::image {

// True when the bytes begin with the BMP signature "BM".
bool IsBmpSignature(const unsigned char* data, std::size_t size);

// Decodes a BMP held in memory: 1, 4 and 8 bits with a palette (uncompressed, RLE8, RLE4),
// 16, 24 and 32 bits (uncompressed or with bit fields), bottom-up or top-down rows, the
// old 12-byte header and the 40- to 124-byte ones. Alpha is taken from an uncompressed
// 32-bit image only when some pixel has a non-zero alpha byte (writers leave it 0 for
// "unused"); every other image is opaque, bit-field alpha masks included. Pixels an RLE
// stream skips or leaves out read black; runs past a row's end are cut. Anything
// malformed, and pictures of more than `maxPixels`, give an empty image before any pixel
// memory is taken.
ArgbImage DecodeBmp(const unsigned char* data, std::size_t size,
                    std::uint64_t maxPixels = kMaxDeclaredPixels);

// The same reader row by row, for ImageReader: uncompressed rows are read where they lie,
// RLE streams are indexed once, so no more than a row is held whatever the picture's size.
std::unique_ptr<FormatDecoder> MakeBmpDecoder(std::uint64_t maxPixels = kMaxDeclaredPixels);

}  // namespace veilmark::image
