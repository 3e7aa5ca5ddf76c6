// PNG through libpng, row by row. The transforms are the ones the older wx path applied
// (palette and low bit depths expanded, grey turned into RGB, 16 bits cut to their high byte,
// transparency as an alpha channel, no gamma), so every pixel keeps the value it had.
#include "core/image/declared_size.h"
#include "core/image/decoder.h"
#include "core/image/source_reader.h"

#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstdint>
#include <vector>

namespace veilmark::image {
namespace {

// Deflate writes at most 258 bytes for two bits of input (a longest match whose length and
// distance codes take one bit each): 1032 bytes out of one byte.
constexpr std::uint64_t kInflateBytesPerByte = 1032;

void ReadData(png_structp png, png_bytep out, std::size_t size) {
  if (static_cast<SourceReader*>(png_get_io_ptr(png))->Read(out, size) != size) {
    png_error(png, "file cut short");
  }
}

// Errors leave through the jump buffer set by the step that failed; nothing is printed.
void OnError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void OnWarning(png_structp, png_const_charp) {}

// Each libpng step that may fail, behind its own setjmp with no C++ objects in between.
bool ReadHeader(png_structp png, png_infop info, png_uint_32& width, png_uint_32& height,
                int& bits) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_read_info(png, info);
  width = png_get_image_width(png, info);
  height = png_get_image_height(png, info);
  bits = png_get_bit_depth(png, info) * png_get_channels(png, info);
  return true;
}

bool SetUpRows(png_structp png, png_infop info, bool& interlaced, int& channels,
               std::size_t& rowBytes) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_expand(png);
  png_set_gray_to_rgb(png);
  png_set_strip_16(png);
  png_set_packing(png);
  interlaced = png_set_interlace_handling(png) > 1;
  png_read_update_info(png, info);
  channels = png_get_channels(png, info);
  rowBytes = png_get_rowbytes(png, info);
  return true;
}

bool ReadRow(png_structp png, png_bytep row) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_read_row(png, row, nullptr);
  return true;
}

bool ReadEnd(png_structp png, png_infop info) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_read_end(png, info);
  return true;
}

class PngDecoder final : public FormatDecoder {
 public:
  ~PngDecoder() override {
    if (png_ != nullptr) png_destroy_read_struct(&png_, &info_, nullptr);
  }

  bool Open(ByteSource& source) override {
    source_ = &source;
    png_uint_32 width = 0, height = 0;
    int bits = 0;
    if (!Start(width, height, bits)) return false;
    // The inflated rows hold at least `bits` bits a pixel, and they come out of the file.
    if (!PictureSizeAcceptable(width, height, source.Size(),
                               kInflateBytesPerByte * 8 / static_cast<unsigned>(bits))) {
      return false;
    }
    // A transparency chunk or an alpha channel gives four bytes a pixel, anything else three.
    const bool alpha = (png_get_color_type(png_, info_) & PNG_COLOR_MASK_ALPHA) != 0 ||
                       png_get_valid(png_, info_, PNG_INFO_tRNS) != 0;
    width_ = static_cast<int>(width);
    height_ = static_cast<int>(height);
    channels_ = alpha ? 4 : 3;
    rowBytes_ = std::size_t{width} * static_cast<std::size_t>(channels_);
    return SetUp();
  }

  int Width() const override { return width_; }
  int Height() const override { return height_; }

  int ReadRows(Argb* out, int count) override {
    if (failed_) return 0;
    count = std::min(count, height_ - next_);
    if (interlaced_ && (next_ < keptFirst_ || next_ + count > keptFirst_ + keptRows_)) {
      // The first request keeps only its rows (detection reads a few); a later one decodes
      // again and keeps all that is left.
      if (!ReadInterlaced(next_, decoded_ ? height_ : next_ + count)) return 0;
    }
    int done = 0;
    for (; done < count; ++done, ++next_) {
      const unsigned char* row = nullptr;
      if (interlaced_) {
        row = kept_.data() + rowBytes_ * static_cast<std::size_t>(next_ - keptFirst_);
      } else {
        row_.resize(rowBytes_);
        if (!ReadRow(png_, row_.data())) {
          failed_ = true;
          return done;
        }
        row = row_.data();
      }
      ToArgb(row, out + static_cast<std::size_t>(done) * static_cast<std::size_t>(width_));
    }
    // Like the older path, a picture whose end is broken (a damaged chunk after the pixels,
    // the end marker missing) counts as unreadable once it is read whole.
    if (next_ == height_ && !ended_) {
      ended_ = true;
      if (!ReadEnd(png_, info_)) failed_ = true;
    }
    return done;
  }

  bool Failed() const override { return failed_; }

 private:
  // A fresh libpng reader at the start of the file, through the header.
  bool Start(png_uint_32& width, png_uint_32& height, int& bits) {
    if (png_ != nullptr) png_destroy_read_struct(&png_, &info_, nullptr);
    png_ = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, OnError, OnWarning);
    if (png_ == nullptr) return false;
    info_ = png_create_info_struct(png_);
    if (info_ == nullptr) return false;
    reader_ = std::make_unique<SourceReader>(*source_);
    png_set_read_fn(png_, reader_.get(), ReadData);
    return ReadHeader(png_, info_, width, height, bits) && bits >= 1;
  }

  bool SetUp() {
    int channels = 0;
    std::size_t rowBytes = 0;
    return SetUpRows(png_, info_, interlaced_, channels, rowBytes) && channels == channels_ &&
           rowBytes == rowBytes_;
  }

  // Interlaced rows arrive in seven passes over the whole picture; only rows first..last-1
  // are kept.
  bool ReadInterlaced(int first, int last) {
    kept_.clear();
    keptRows_ = 0;
    if (decoded_) {
      png_uint_32 width = 0, height = 0;
      int bits = 0;
      if (!Start(width, height, bits) || !SetUp()) {
        failed_ = true;
        return false;
      }
    }
    decoded_ = true;
    kept_.resize(rowBytes_ * static_cast<std::size_t>(last - first));
    for (int pass = 0; pass < PNG_INTERLACE_ADAM7_PASSES; ++pass) {
      // The last pass fills odd rows only: none past `last` is needed.
      const int end = pass == PNG_INTERLACE_ADAM7_PASSES - 1 ? last : height_;
      for (int y = 0; y < end; ++y) {
        png_bytep row = y >= first && y < last
                            ? kept_.data() + rowBytes_ * static_cast<std::size_t>(y - first)
                            : nullptr;
        if (!ReadRow(png_, row)) {
          failed_ = true;
          kept_.clear();
          return false;
        }
      }
    }
    keptFirst_ = first;
    keptRows_ = last - first;
    return true;
  }

  void ToArgb(const unsigned char* row, Argb* out) const {
    if (channels_ == 4) {
      for (int x = 0; x < width_; ++x, row += 4) {
        out[x] = Argb{row[3]} << 24 | Argb{row[0]} << 16 | Argb{row[1]} << 8 | row[2];
      }
    } else {
      for (int x = 0; x < width_; ++x, row += 3) {
        out[x] = 0xFF000000u | Argb{row[0]} << 16 | Argb{row[1]} << 8 | row[2];
      }
    }
  }

  ByteSource* source_ = nullptr;
  png_structp png_ = nullptr;
  png_infop info_ = nullptr;
  std::unique_ptr<SourceReader> reader_;
  int width_ = 0;
  int height_ = 0;
  int channels_ = 0;
  std::size_t rowBytes_ = 0;
  bool interlaced_ = false;
  int next_ = 0;
  bool failed_ = false;
  bool ended_ = false;
  std::vector<unsigned char> row_;
  // Interlaced pictures: the decoded rows kept, from row keptFirst_ on.
  bool decoded_ = false;
  std::vector<unsigned char> kept_;
  int keptFirst_ = 0;
  int keptRows_ = 0;
};

}  // namespace

std::unique_ptr<FormatDecoder> MakePngDecoder() { return std::make_unique<PngDecoder>(); }

}  // namespace veilmark::image
