#include "core/image/bmp_reader.h"

#include <array>
#include <cstdint>
#include <cstdlib>

namespace veilmark::image {
namespace {

constexpr std::uint32_t kRgb = 0;
constexpr std::uint32_t kRle8 = 1;
constexpr std::uint32_t kRle4 = 2;
constexpr std::uint32_t kBitFields = 3;

// Every read is checked against the buffer; a read past the end gives 0 and clears ok.
class Bytes {
 public:
  Bytes(const unsigned char* data, std::size_t size) : data_(data), size_(size) {}
  bool ok() const { return ok_; }
  std::size_t size() const { return size_; }
  bool Has(std::size_t at, std::size_t n) const { return at <= size_ && n <= size_ - at; }
  std::uint32_t Le(std::size_t at, std::size_t n) {
    if (!Has(at, n)) {
      ok_ = false;
      return 0;
    }
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < n; ++i) v |= std::uint32_t{data_[at + i]} << (8 * i);
    return v;
  }
  const unsigned char* At(std::size_t at) const { return data_ + at; }

 private:
  const unsigned char* data_;
  std::size_t size_;
  bool ok_ = true;
};

// One channel of a bit-field pixel: where it sits, and how to widen it to 8 bits.
struct Channel {
  std::uint32_t mask = 0;
  int shift = 0;
  int bits = 0;

  static Channel Of(std::uint32_t mask) {
    Channel c;
    c.mask = mask;
    if (mask == 0) return c;
    while (((mask >> c.shift) & 1u) == 0) ++c.shift;
    while (c.shift + c.bits < 32 && ((mask >> (c.shift + c.bits)) & 1u) != 0) ++c.bits;
    return c;
  }
  std::uint8_t Get(std::uint32_t pixel) const {
    if (bits == 0) return 0;
    const std::uint32_t v = (pixel & mask) >> shift;
    // Widened by a plain shift, as the earlier decoder did: 5-bit 31 reads 248.
    return static_cast<std::uint8_t>(bits >= 8 ? v >> (bits - 8) : v << (8 - bits));
  }
};

struct Header {
  std::int64_t width = 0;
  std::int64_t height = 0;  // always positive; topDown tells the row order
  bool topDown = false;
  std::uint32_t bits = 0;
  std::uint32_t compression = kRgb;
  std::size_t paletteAt = 0;
  std::size_t paletteEntrySize = 4;
  std::uint32_t paletteCount = 0;
  std::size_t pixelsAt = 0;
  Channel red, green, blue;
};

bool ReadHeader(Bytes& in, Header& h, std::uint64_t maxPixels) {
  if (!in.Has(0, 2) || in.At(0)[0] != 'B' || in.At(0)[1] != 'M') return false;
  h.pixelsAt = in.Le(10, 4);
  const std::uint32_t infoSize = in.Le(14, 4);
  if (!in.ok()) return false;
  std::uint32_t clrUsed = 0;
  if (infoSize == 12) {
    h.width = in.Le(18, 2);
    h.height = in.Le(20, 2);
    h.bits = in.Le(24, 2);
    h.paletteEntrySize = 3;
  } else if (infoSize >= 40 && infoSize <= 124) {
    const auto width = static_cast<std::int32_t>(in.Le(18, 4));
    const auto height = static_cast<std::int32_t>(in.Le(22, 4));
    h.width = width;
    h.topDown = height < 0;
    h.height = std::llabs(static_cast<std::int64_t>(height));
    h.bits = in.Le(28, 2);
    h.compression = in.Le(30, 4);
    clrUsed = in.Le(46, 4);
  } else {
    return false;
  }
  if (!in.ok() || h.width <= 0 || h.height <= 0) return false;
  if (static_cast<std::uint64_t>(h.width) * static_cast<std::uint64_t>(h.height) > maxPixels) {
    return false;
  }

  std::size_t afterHeader = 14 + static_cast<std::size_t>(infoSize);
  switch (h.compression) {
    case kRgb:
      if (h.bits != 1 && h.bits != 4 && h.bits != 8 && h.bits != 16 && h.bits != 24 &&
          h.bits != 32) {
        return false;
      }
      break;
    case kRle8:
    case kRle4:
      // Compressed rows have no top-down form.
      if (h.bits != (h.compression == kRle8 ? 8u : 4u) || h.topDown) return false;
      break;
    case kBitFields: {
      if (h.bits != 16 && h.bits != 32) return false;
      // A 40-byte header keeps its three masks after it; larger ones hold them inside.
      const std::size_t masksAt = 14 + 40;
      h.red = Channel::Of(in.Le(masksAt, 4));
      h.green = Channel::Of(in.Le(masksAt + 4, 4));
      h.blue = Channel::Of(in.Le(masksAt + 8, 4));
      // An alpha mask is not used: such files always read opaque here.
      if (infoSize == 40) afterHeader += 12;
      if (!in.ok()) return false;
      break;
    }
    default:
      return false;
  }
  if (h.compression == kRgb && h.bits == 16) {
    h.red = Channel::Of(0x7C00);
    h.green = Channel::Of(0x03E0);
    h.blue = Channel::Of(0x001F);
  }
  if (h.bits <= 8) {
    const std::uint32_t full = 1u << h.bits;
    h.paletteCount = clrUsed == 0 || clrUsed > full ? full : clrUsed;
    h.paletteAt = afterHeader;
  }
  return true;
}

// The palette as ARGB; entries the file does not hold read black.
std::array<Argb, 256> ReadPalette(Bytes& in, const Header& h) {
  std::array<Argb, 256> palette;
  palette.fill(0xFF000000u);
  for (std::uint32_t i = 0; i < h.paletteCount; ++i) {
    const std::size_t at = h.paletteAt + i * h.paletteEntrySize;
    if (!in.Has(at, 3)) break;
    const unsigned char* p = in.At(at);
    palette[i] = stego::MakeArgb(0xFF, p[2], p[1], p[0]);
  }
  return palette;
}

std::size_t RowIndex(const Header& h, std::int64_t fileRow) {
  return static_cast<std::size_t>(h.topDown ? fileRow : h.height - 1 - fileRow);
}

bool DecodeUncompressed(Bytes& in, const Header& h, ArgbImage& out) {
  const std::uint64_t stride = (static_cast<std::uint64_t>(h.width) * h.bits + 31) / 32 * 4;
  if (!in.Has(h.pixelsAt, 0) ||
      stride * static_cast<std::uint64_t>(h.height) > in.size() - h.pixelsAt) {
    return false;
  }
  const std::array<Argb, 256> palette = ReadPalette(in, h);
  const int width = static_cast<int>(h.width);
  bool anyAlpha = false;
  for (std::int64_t r = 0; r < h.height; ++r) {
    const unsigned char* src = in.At(h.pixelsAt + static_cast<std::size_t>(stride * r));
    Argb* dst = out.Row(static_cast<int>(RowIndex(h, r)));
    for (int x = 0; x < width; ++x) {
      switch (h.bits) {
        case 1:
          dst[x] = palette[(src[x >> 3] >> (7 - (x & 7))) & 1u];
          break;
        case 4:
          dst[x] = palette[(src[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xFu];
          break;
        case 8:
          dst[x] = palette[src[x]];
          break;
        case 24: {
          const unsigned char* p = src + 3 * static_cast<std::size_t>(x);
          dst[x] = stego::MakeArgb(0xFF, p[2], p[1], p[0]);
          break;
        }
        case 16:
        case 32: {
          const std::size_t n = h.bits / 8;
          const unsigned char* p = src + n * static_cast<std::size_t>(x);
          std::uint32_t v = p[0] | (std::uint32_t{p[1]} << 8);
          if (n == 4) v |= (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[3]} << 24);
          std::uint8_t a = 0xFF;
          if (h.compression == kRgb && n == 4) {
            a = p[3];
            anyAlpha = anyAlpha || a != 0;
            dst[x] = stego::MakeArgb(a, p[2], p[1], p[0]);
            break;
          }
          dst[x] = stego::MakeArgb(a, h.red.Get(v), h.green.Get(v), h.blue.Get(v));
          break;
        }
        default:
          return false;
      }
    }
  }
  // An alpha byte that is 0 everywhere means "no alpha", not "invisible".
  if (h.bits == 32 && h.compression == kRgb && !anyAlpha) {
    Argb* p = out.Data();
    for (std::size_t i = 0; i < out.PixelCount(); ++i) p[i] |= 0xFF000000u;
  }
  return true;
}

bool DecodeRle(Bytes& in, const Header& h, ArgbImage& out) {
  const std::array<Argb, 256> palette = ReadPalette(in, h);
  const bool four = h.compression == kRle4;
  // Pixels the stream never sets (deltas, early ends) stay black.
  const Argb black = 0xFF000000u;
  Argb* pixels = out.Data();
  for (std::size_t i = 0; i < out.PixelCount(); ++i) pixels[i] = black;

  const std::int64_t width = h.width;
  std::int64_t x = 0;
  std::int64_t row = 0;  // counted from the bottom
  const auto put = [&](std::uint32_t index) {
    if (x < width && row < h.height) {
      out.Row(static_cast<int>(h.height - 1 - row))[x] = palette[index & 0xFFu];
    }
    ++x;
  };
  std::size_t at = h.pixelsAt;
  while (row < h.height) {
    if (!in.Has(at, 2)) break;  // the stream ends early: the rest stays black
    const std::uint32_t count = in.At(at)[0];
    const std::uint32_t value = in.At(at)[1];
    at += 2;
    if (count > 0) {
      for (std::uint32_t i = 0; i < count && x < width; ++i) {
        put(four ? ((i & 1u) ? value & 0xFu : value >> 4) : value);
      }
      continue;
    }
    if (value == 0) {  // end of line
      x = 0;
      ++row;
    } else if (value == 1) {  // end of picture
      break;
    } else if (value == 2) {  // delta
      if (!in.Has(at, 2)) break;
      x += in.At(at)[0];
      row += in.At(at)[1];
      at += 2;
    } else {  // `value` literal pixels, padded to a 16-bit boundary
      const std::size_t bytes = four ? (value + 1) / 2 : value;
      if (!in.Has(at, bytes)) return false;
      const unsigned char* literal = in.At(at);
      for (std::uint32_t i = 0; i < value && x < width; ++i) {
        put(four ? ((i & 1u) ? literal[i / 2] & 0xFu : literal[i / 2] >> 4) : literal[i]);
      }
      at += bytes + (bytes & 1u);
    }
  }
  return true;
}

}  // namespace

bool IsBmpSignature(const unsigned char* data, std::size_t size) {
  return data != nullptr && size >= 2 && data[0] == 'B' && data[1] == 'M';
}

ArgbImage DecodeBmp(const unsigned char* data, std::size_t size, std::uint64_t maxPixels) {
  if (!IsBmpSignature(data, size)) return {};
  Bytes in(data, size);
  Header h;
  if (!ReadHeader(in, h, maxPixels)) return {};
  ArgbImage out(static_cast<int>(h.width), static_cast<int>(h.height));
  if (out.Empty()) return {};
  const bool ok = h.compression == kRle8 || h.compression == kRle4 ? DecodeRle(in, h, out)
                                                                   : DecodeUncompressed(in, h, out);
  if (!ok) return {};
  return out;
}

}  // namespace veilmark::image
