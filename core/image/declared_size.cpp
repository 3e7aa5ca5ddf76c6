#include "core/image/declared_size.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace veilmark::image {
namespace {

using namespace std::string_view_literals;

// Bounds-checked reads of little- or big-endian integers; a read past the end yields 0
// and clears ok().
class Header {
 public:
  Header(const ReadAt& read, std::uint64_t size) : read_(read), size_(size) {}
  bool ok() const { return ok_; }
  std::uint64_t size() const { return size_; }
  bool Is(std::uint64_t at, std::string_view text) {
    unsigned char bytes[8] = {};
    return text.size() <= sizeof bytes && Get(at, text.size(), bytes) &&
           std::memcmp(bytes, text.data(), text.size()) == 0;
  }
  std::uint32_t Le(std::uint64_t at, std::size_t n) { return Int(at, n, false); }
  std::uint32_t Be(std::uint64_t at, std::size_t n) { return Int(at, n, true); }
  std::uint32_t Int(std::uint64_t at, std::size_t n, bool bigEndian) {
    unsigned char b[4] = {};
    if (!ok_ || n > sizeof b || !Get(at, n, b)) {
      ok_ = false;
      return 0;
    }
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < n; ++i) v |= std::uint32_t{b[bigEndian ? n - 1 - i : i]} << 8 * i;
    return v;
  }

 private:
  bool Get(std::uint64_t at, std::size_t n, unsigned char* out) {
    return at <= size_ && n <= size_ - at && read_(at, out, n) == n;
  }
  const ReadAt& read_;
  std::uint64_t size_;
  bool ok_ = true;
};

bool Fits(std::uint64_t width, std::uint64_t height) {
  return width * height <= kMaxDeclaredPixels;  // both below 2^32: no overflow
}

std::uint64_t Magnitude(std::uint32_t v) {
  return static_cast<std::uint64_t>(std::llabs(static_cast<std::int32_t>(v)));
}

bool PngFits(Header& h, std::uint64_t at) { return Fits(h.Be(at + 16, 4), h.Be(at + 20, 4)); }

// A BMP information header at `at` (after the file header, or inside an icon), whose
// pixel rows must fit in the `room` bytes that follow it.
bool DibFits(Header& h, std::uint64_t at, std::uint64_t room, bool inIcon = false) {
  const bool core = h.Le(at, 4) == 12;  // the old 16-bit header
  const std::uint64_t width = core ? h.Le(at + 4, 2) : Magnitude(h.Le(at + 4, 4));
  const std::uint64_t height = core ? h.Le(at + 6, 2) : Magnitude(h.Le(at + 8, 4));
  const std::uint32_t bits = h.Le(at + (core ? 10 : 14), 2);
  const std::uint32_t compression = core ? 0 : h.Le(at + 16, 4);
  if (!h.ok()) return true;
  if (!Fits(width, height)) return false;
  // Icons are never RLE-compressed, and wx's RLE decoder writes past its buffer.
  if (inIcon && (compression == 1 || compression == 2)) return false;
  const std::uint64_t rowBytes = (width * bits + 31) / 32 * 4;
  return (compression != 0 && compression != 3) || rowBytes * height <= room;
}

bool JpegFits(Header& h) {
  std::uint64_t at = 2;
  while (h.ok()) {
    if (h.Le(at, 1) != 0xFF) return true;
    const std::uint32_t marker = h.Le(at + 1, 1);
    if (marker == 0xFF) {  // fill byte
      ++at;
    } else if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8)) {
      at += 2;
    } else if (marker == 0xD9 || marker == 0xDA) {
      return true;  // no frame header before the scan: the decoder refuses it
    } else if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 &&
               marker != 0xCC) {
      return Fits(h.Be(at + 7, 2), h.Be(at + 5, 2));
    } else {
      at += 2 + h.Be(at + 2, 2);
    }
  }
  return true;
}

// Skips a chain of GIF data sub-blocks and returns the position after it.
std::uint64_t SkipSubBlocks(Header& h, std::uint64_t at) {
  for (std::uint32_t n = 1; n != 0 && h.ok(); at += 1 + n) n = h.Le(at, 1);
  return at;
}

bool GifFits(Header& h) {
  if (!Fits(h.Le(6, 2), h.Le(8, 2))) return false;
  const std::uint32_t flags = h.Le(10, 1);
  std::uint64_t at = 13 + ((flags & 0x80) ? 3u << ((flags & 7) + 1) : 0);
  while (true) {
    const std::uint32_t block = h.Le(at, 1);
    if (block == 0x2C) {
      if (!Fits(h.Le(at + 5, 2), h.Le(at + 7, 2))) return false;
      const std::uint32_t local = h.Le(at + 9, 1);
      at += 10 + ((local & 0x80) ? 3u << ((local & 7) + 1) : 0);
      // wx decodes with a missing or oversized code size and writes past its tables.
      const std::uint32_t codeSize = h.Le(at, 1);
      if (!h.ok() || codeSize > 8) return false;
      at = SkipSubBlocks(h, at + 1);
    } else if (block == 0x21) {
      at = SkipSubBlocks(h, at + 2);
    } else {
      return true;
    }
    if (!h.ok()) return false;  // data cut short: wx's decoder reads past its buffers
  }
}

bool IconFits(Header& h) {
  const std::uint32_t count = h.Le(4, 2);
  for (std::uint32_t i = 0; i < count && h.ok(); ++i) {
    const std::uint64_t at = h.Le(6 + 16 * std::uint64_t{i} + 12, 4);
    if (!h.ok() || at >= h.size()) return true;
    const bool fits = h.Is(at, "\x89PNG") ? PngFits(h, at) : DibFits(h, at, h.size() - at, true);
    if (!fits) return false;
  }
  return true;
}

bool TiffFits(Header& h, bool big) {
  const std::uint64_t ifd = h.Int(4, 4, big);
  const std::uint32_t count = h.Int(ifd, 2, big);
  std::uint64_t width = 0, height = 0;
  for (std::uint32_t i = 0; i < count && h.ok(); ++i) {
    const std::uint64_t entry = ifd + 2 + 12 * std::uint64_t{i};
    const std::uint32_t tag = h.Int(entry, 2, big);
    const std::uint32_t type = h.Int(entry + 2, 2, big);
    if (tag != 256 && tag != 257) continue;
    const std::uint64_t value = h.Int(entry + 8, type == 3 ? 2 : 4, big);
    (tag == 256 ? width : height) = value;
  }
  return Fits(width, height);
}

}  // namespace

bool DeclaredSizeAcceptable(const ReadAt& read, std::uint64_t fileSize) {
  Header h(read, fileSize);
  if (h.Is(0, "\x89PNG\r\n\x1a\n")) return PngFits(h, 0);
  if (h.Is(0, "BM")) {
    const std::uint64_t pixels = h.Le(10, 4);  // where the rows begin
    return !h.ok() || DibFits(h, 14, fileSize - std::min(pixels, fileSize));
  }
  if (h.Is(0, "\xFF\xD8")) return JpegFits(h);
  if (h.Is(0, "GIF8")) return GifFits(h);
  if (h.Is(0, "II*\0"sv) || h.Is(0, "MM\0*"sv)) return TiffFits(h, h.Is(0, "MM"));
  if (h.Is(0, "\0\0\1\0"sv) || h.Is(0, "\0\0\2\0"sv)) return IconFits(h);
  return true;
}

bool PictureSizeAcceptable(std::int64_t width, std::int64_t height, std::uint64_t fileBytes,
                           std::uint64_t maxPixelsPerByte) {
  if (width < 1 || height < 1) return false;
  const auto w = static_cast<std::uint64_t>(width);
  const auto h = static_cast<std::uint64_t>(height);
  if (w > kMaxDeclaredPixels || h > kMaxDeclaredPixels) return false;
  const std::uint64_t pixels = w * h;  // both at most 2^27: no overflow
  if (pixels > kMaxDeclaredPixels) return false;
  return maxPixelsPerByte == 0 || pixels / maxPixelsPerByte <= fileBytes;
}

}  // namespace veilmark::image
