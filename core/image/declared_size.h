// A look at the size an image file's header declares, taken before decoding: the decoders
// believe that size and allocate and fill the whole picture before they find the data
// missing, so a file of a few hundred bytes could cost gigabytes and many seconds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>

namespace veilmark::image {

// 2^27 pixels: above any camera's picture, yet a decoded copy stays under about 1 GiB.
inline constexpr std::uint64_t kMaxDeclaredPixels = std::uint64_t{1} << 27;

// The one check every decoder makes once it has read a header and before it allocates
// anything sized by the picture: false for a side below 1, above kMaxDeclaredPixels pixels,
// or when the pixels could not come from `fileBytes` bytes even at the format's best
// compression, `maxPixelsPerByte` (0 where the format has no such bound).
bool PictureSizeAcceptable(std::int64_t width, std::int64_t height, std::uint64_t fileBytes,
                           std::uint64_t maxPixelsPerByte = 0);

// Reads up to `size` bytes at `offset` into `out` and returns how many it read.
using ReadAt =
    std::function<std::size_t(std::uint64_t offset, unsigned char* out, std::size_t size)>;

// False when a PNG, BMP, JPEG, GIF, ICO/CUR or TIFF header declares more than
// kMaxDeclaredPixels, or an uncompressed BMP's rows need more bytes than the file holds,
// or an icon holds an RLE-compressed bitmap, or a GIF's image lacks a valid code size or its data
// is cut short (wx's decoder reads and writes past its buffers on those). True for anything else:
// unknown formats and cut headers are left to the decoders.
bool DeclaredSizeAcceptable(const ReadAt& read, std::uint64_t fileSize);

}  // namespace veilmark::image
