#include "core/image/bmp_reader.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <vector>

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

// One row of an uncompressed file into ARGB; notes whether a 32-bit row has any alpha.
void ConvertRow(const unsigned char* src, const Header& h, const std::array<Argb, 256>& palette,
                Argb* dst, bool& anyAlpha) {
  const int width = static_cast<int>(h.width);
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
      default: {  // 16 and 32
        const std::size_t n = h.bits / 8;
        const unsigned char* p = src + n * static_cast<std::size_t>(x);
        std::uint32_t v = p[0] | (std::uint32_t{p[1]} << 8);
        if (n == 4) v |= (std::uint32_t{p[2]} << 16) | (std::uint32_t{p[3]} << 24);
        if (h.compression == kRgb && n == 4) {
          anyAlpha = anyAlpha || p[3] != 0;
          dst[x] = stego::MakeArgb(p[3], p[2], p[1], p[0]);
        } else {
          dst[x] = stego::MakeArgb(0xFF, h.red.Get(v), h.green.Get(v), h.blue.Get(v));
        }
        break;
      }
    }
  }
}

// A source read front to back in pieces from some offset.
class Stream {
 public:
  Stream(ByteSource& source, std::uint64_t at) : source_(source), at_(at) {}
  std::uint64_t Offset() const { return at_; }
  void Skip(std::uint64_t n) { at_ += n; }
  // False when the data ends before `n` bytes.
  bool Get(unsigned char* out, std::size_t n) {
    if (n > buffer_.size()) {  // a long row: straight from the source
      if (source_.ReadAt(at_, out, n) != n) return false;
      at_ += n;
      return true;
    }
    if (at_ < start_ || at_ - start_ + n > length_) {
      start_ = at_;
      length_ = source_.ReadAt(at_, buffer_.data(), buffer_.size());
      if (n > length_) return false;
    }
    std::copy_n(buffer_.data() + (at_ - start_), n, out);
    at_ += n;
    return true;
  }

 private:
  ByteSource& source_;
  std::uint64_t at_;
  std::uint64_t start_ = 0;
  std::size_t length_ = 0;
  std::array<unsigned char, 16384> buffer_{};
};

// Where the RLE stream enters a row (counted from the bottom), and at which column.
struct RleEntry {
  std::uint32_t row;
  std::uint32_t x;  // at most the width: further columns draw nothing
  std::uint64_t at;
};

// Runs an RLE stream from `start`. With `index`, records where each row is entered; with
// `canvas`, draws the rows lo..hi (canvas row 0 is row hi) and stops after them. False for
// a literal run cut short, which makes the whole picture unreadable.
bool RunRle(ByteSource& source, const Header& h, const std::array<Argb, 256>& palette,
            const RleEntry& start, std::vector<RleEntry>* index, Argb* canvas, std::int64_t lo,
            std::int64_t hi) {
  const bool four = h.compression == kRle4;
  const std::int64_t width = h.width;
  Stream in(source, start.at);
  std::int64_t x = start.x;
  std::int64_t row = start.row;
  const auto put = [&](std::uint32_t value) {
    if (canvas != nullptr && x < width && row >= lo && row <= hi) {
      canvas[static_cast<std::size_t>(hi - row) * static_cast<std::size_t>(width) +
             static_cast<std::size_t>(x)] = palette[value & 0xFFu];
    }
    ++x;
  };
  // After a move to another row: false once the rows drawn are behind.
  const auto moved = [&] {
    if (index != nullptr && row < h.height && (index->empty() || index->back().row != row)) {
      index->push_back({static_cast<std::uint32_t>(row),
                        static_cast<std::uint32_t>(std::min(x, width)), in.Offset()});
    }
    return canvas == nullptr || row <= hi;
  };
  while (row < h.height) {
    unsigned char command[2];
    if (!in.Get(command, 2)) break;  // the stream ends early: the rest stays black
    const std::uint32_t count = command[0];
    const std::uint32_t value = command[1];
    if (count > 0) {
      for (std::uint32_t i = 0; i < count && x < width; ++i) {
        put(four ? ((i & 1u) ? value & 0xFu : value >> 4) : value);
      }
      continue;
    }
    if (value == 0) {  // end of line
      x = 0;
      ++row;
      if (!moved()) break;
    } else if (value == 1) {  // end of picture
      break;
    } else if (value == 2) {  // delta
      unsigned char delta[2];
      if (!in.Get(delta, 2)) break;
      x += delta[0];
      row += delta[1];
      if (!moved()) break;
    } else {  // `value` literal pixels, padded to a 16-bit boundary
      const std::size_t bytes = four ? (value + 1) / 2 : value;
      unsigned char literal[255];
      if (!in.Get(literal, bytes)) return false;
      for (std::uint32_t i = 0; i < value && x < width; ++i) {
        put(four ? ((i & 1u) ? literal[i / 2] & 0xFu : literal[i / 2] >> 4) : literal[i]);
      }
      in.Skip(bytes & 1u);
    }
  }
  return true;
}

// Rows on request: an uncompressed file is read row by row where the row lies; an RLE
// stream is indexed once by where it enters each row, then each row is drawn from there.
// Memory stays at a row or two whatever the picture's size.
class BmpDecoder final : public FormatDecoder {
 public:
  explicit BmpDecoder(std::uint64_t maxPixels) : maxPixels_(maxPixels) {}

  bool Open(ByteSource& source) override {
    source_ = &source;
    const std::uint64_t size = source.Size();
    // Every header field and the palette lie in the first 14 + 124 + 12 + 1024 bytes.
    std::vector<unsigned char> head(static_cast<std::size_t>(std::min<std::uint64_t>(size, 2048)));
    if (source.ReadAt(0, head.data(), head.size()) != head.size()) return false;
    Bytes in(head.data(), head.size());
    if (!ReadHeader(in, h_, maxPixels_) || !PictureSizeAcceptable(h_.width, h_.height, size)) {
      return false;
    }
    palette_ = ReadPalette(in, h_);
    if (h_.compression == kRle8 || h_.compression == kRle4) {
      // A stream that may enter more rows than this is drawn whole: an index entry per
      // row would outgrow the picture. Entering a row takes at least two bytes.
      constexpr std::uint64_t kIndexedRows = std::uint64_t{1} << 20;
      const RleEntry first{0, 0, h_.pixelsAt};
      const std::uint64_t stream = size - std::min<std::uint64_t>(size, h_.pixelsAt);
      if (std::min<std::uint64_t>(h_.height, stream / 2 + 1) > kIndexedRows) {
        whole_.Resize(static_cast<int>(h_.width), static_cast<int>(h_.height));
        std::fill_n(whole_.Data(), whole_.PixelCount(), kBlack);
        return RunRle(source, h_, palette_, first, nullptr, whole_.Data(), 0, h_.height - 1);
      }
      index_.push_back(first);
      return RunRle(source, h_, palette_, first, &index_, nullptr, 0, 0);
    }
    stride_ = (static_cast<std::uint64_t>(h_.width) * h_.bits + 31) / 32 * 4;
    if (h_.pixelsAt > size ||
        stride_ * static_cast<std::uint64_t>(h_.height) > size - h_.pixelsAt) {
      return false;
    }
    row_.resize(static_cast<std::size_t>(stride_));
    // An alpha byte that is 0 everywhere means "no alpha", not "invisible": look first.
    opaque_ = h_.bits == 32 && h_.compression == kRgb;
    Stream rows(source, h_.pixelsAt);
    for (std::int64_t r = 0; opaque_ && r < h_.height; ++r) {
      if (!rows.Get(row_.data(), row_.size())) return false;
      for (std::int64_t x = 0; x < h_.width && opaque_; ++x) opaque_ = row_[4 * x + 3] == 0;
    }
    return true;
  }

  int Width() const override { return static_cast<int>(h_.width); }
  int Height() const override { return static_cast<int>(h_.height); }

  int ReadRows(Argb* out, int count) override {
    const auto width = static_cast<std::size_t>(h_.width);
    for (int i = 0; i < count; ++i, ++next_, out += width) {
      if (next_ >= h_.height) return i;
      // Rows are stored from the bottom unless the header says otherwise.
      const std::int64_t stored = h_.topDown ? next_ : h_.height - 1 - next_;
      if (!whole_.Empty()) {
        std::copy_n(whole_.Row(static_cast<int>(next_)), width, out);
      } else if (!index_.empty()) {
        std::fill_n(out, width, kBlack);
        const auto entry =
            std::lower_bound(index_.begin(), index_.end(), stored,
                             [](const RleEntry& e, std::int64_t r) { return e.row < r; });
        if (entry != index_.end() && entry->row == stored) {
          RunRle(*source_, h_, palette_, *entry, nullptr, out, stored, stored);
        }
      } else {
        const std::uint64_t at = h_.pixelsAt + stride_ * static_cast<std::uint64_t>(stored);
        if (source_->ReadAt(at, row_.data(), row_.size()) != row_.size()) {
          failed_ = true;  // the file changed under us
          return i;
        }
        bool anyAlpha = false;
        ConvertRow(row_.data(), h_, palette_, out, anyAlpha);
        if (opaque_) {
          for (std::size_t x = 0; x < width; ++x) out[x] |= 0xFF000000u;
        }
      }
    }
    return count;
  }

  bool Failed() const override { return failed_; }

 private:
  // Pixels the stream never sets (deltas, early ends) stay black.
  static constexpr Argb kBlack = 0xFF000000u;

  std::uint64_t maxPixels_;
  ByteSource* source_ = nullptr;
  Header h_;
  std::array<Argb, 256> palette_{};
  std::uint64_t stride_ = 0;
  std::vector<unsigned char> row_;
  bool opaque_ = false;
  std::vector<RleEntry> index_;
  ArgbImage whole_;
  std::int64_t next_ = 0;
  bool failed_ = false;
};

}  // namespace

bool IsBmpSignature(const unsigned char* data, std::size_t size) {
  return data != nullptr && size >= 2 && data[0] == 'B' && data[1] == 'M';
}

ArgbImage DecodeBmp(const unsigned char* data, std::size_t size, std::uint64_t maxPixels) {
  if (!IsBmpSignature(data, size)) return {};
  const auto source = MemorySource(data, size);
  BmpDecoder decoder(maxPixels);
  if (!decoder.Open(*source)) return {};
  ArgbImage out(decoder.Width(), decoder.Height());
  if (out.Empty() || decoder.ReadRows(out.Data(), out.Height()) != out.Height()) return {};
  return out;
}

std::unique_ptr<FormatDecoder> MakeBmpDecoder(std::uint64_t maxPixels) {
  return std::make_unique<BmpDecoder>(maxPixels);
}

}  // namespace veilmark::image
