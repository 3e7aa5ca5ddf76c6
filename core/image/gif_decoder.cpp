// GIF through giflib: the first frame, at its own size (its place on the logical screen is
// ignored), with transparency as the older wx path gave it: the transparent index reads
// 0x00FF00FF (magenta, alpha 0), and an opaque palette magenta becomes (255, 0, 254) so it
// cannot be taken for it.
#include "core/image/declared_size.h"
#include "core/image/decoder.h"
#include "core/image/source_reader.h"

#include <gif_lib.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

namespace veilmark::image {
namespace {

// A code of w bits stands for at most 2^w pixels (the table never holds more strings), so
// twelve-bit codes give the most: 4096 pixels in 12 bits.
constexpr std::uint64_t kLzwPixelsPerByte = (4096 * 8 + 11) / 12;

constexpr Argb kTransparent = 0x00FF00FFu;
constexpr Argb kMagenta = 0xFFFF00FFu;

struct Input {
  explicit Input(ByteSource& source) : reader(source) {}
  SourceReader reader;
  unsigned char last = 0;  // the byte giflib read last
};

int ReadGif(GifFileType* gif, GifByteType* out, int size) {
  auto* input = static_cast<Input*>(gif->UserData);
  if (size <= 0) return 0;
  const std::size_t got = input->reader.Read(out, static_cast<std::size_t>(size));
  if (got > 0) input->last = out[got - 1];
  return static_cast<int>(got);
}

class GifDecoder final : public FormatDecoder {
 public:
  ~GifDecoder() override {
    int error = 0;
    if (gif_ != nullptr) DGifCloseFile(gif_, &error);
  }

  bool Open(ByteSource& source) override {
    // A GIF89a with an empty logical screen was never readable.
    unsigned char head[10] = {};
    if (source.ReadAt(0, head, sizeof head) != sizeof head) return false;
    const int screenWidth = head[6] | head[7] << 8;
    const int screenHeight = head[8] | head[9] << 8;
    if (head[4] == '9' && (screenWidth == 0 || screenHeight == 0)) return false;
    // Nothing is allocated for the logical screen, but one beyond the picture limit has always
    // marked the file as hostile.
    if (screenWidth > 0 && screenHeight > 0 &&
        !PictureSizeAcceptable(screenWidth, screenHeight, source.Size())) {
      return false;
    }
    source_ = &source;
    int transparent = -1;
    if (!Start(transparent)) return false;
    const GifImageDesc& frame = gif_->Image;
    if (!PictureSizeAcceptable(frame.Width, frame.Height, source.Size(), kLzwPixelsPerByte)) {
      return false;
    }
    width_ = frame.Width;
    height_ = frame.Height;
    interlaced_ = frame.Interlace;
    SetPalette(frame.ColorMap != nullptr ? frame.ColorMap : gif_->SColorMap, transparent);
    return true;
  }

  int Width() const override { return width_; }
  int Height() const override { return height_; }

  int ReadRows(Argb* out, int count) override {
    if (failed_) return 0;
    const auto width = static_cast<std::size_t>(width_);
    count = std::min(count, height_ - next_);
    if (interlaced_ && (next_ < keptFirst_ || next_ + count > keptFirst_ + keptRows_)) {
      // The first request keeps only its rows (detection reads a few); a later one decodes
      // again and keeps all that is left.
      if (!ReadInterlaced(next_, decoded_ ? height_ : next_ + count)) return 0;
    }
    int done = 0;
    for (; done < count; ++done, ++next_) {
      const GifPixelType* row = nullptr;
      if (interlaced_) {
        row = kept_.data() + width * static_cast<std::size_t>(next_ - keptFirst_);
      } else {
        line_.assign(width, 0);
        if (!ReadLine(line_.data())) return done;
        row = line_.data();
      }
      Argb* dst = out + width * static_cast<std::size_t>(done);
      for (std::size_t x = 0; x < width; ++x) dst[x] = palette_[row[x]];
    }
    return done;
  }

  bool Failed() const override { return failed_; }

 private:
  // Opens the file from its start and reads up to the first frame's pixel data; the last
  // graphic control block before the frame says which index is transparent.
  bool Start(int& transparent) {
    int error = 0;
    if (gif_ != nullptr) DGifCloseFile(gif_, &error);
    input_ = std::make_unique<Input>(*source_);
    gif_ = DGifOpen(input_.get(), ReadGif, &error);
    if (gif_ == nullptr) return false;
    while (true) {
      GifRecordType type = UNDEFINED_RECORD_TYPE;
      if (DGifGetRecordType(gif_, &type) == GIF_ERROR) {
        // Stray bytes between blocks are passed over, one at a time.
        if (gif_->Error == D_GIF_ERR_WRONG_RECORD) continue;
        return false;
      }
      if (type == IMAGE_DESC_RECORD_TYPE) break;
      if (type != EXTENSION_RECORD_TYPE) return false;  // the end before any frame
      int code = 0;
      GifByteType* block = nullptr;
      if (DGifGetExtension(gif_, &code, &block) == GIF_ERROR) return false;
      if (code == GRAPHICS_EXT_FUNC_CODE && block != nullptr && block[0] >= 4) {
        transparent = (block[1] & 1) != 0 ? block[4] : -1;
      }
      while (block != nullptr) {
        if (DGifGetExtensionNext(gif_, &block) == GIF_ERROR) return false;
      }
    }
    // Reading the frame header ends with its LZW code size, which must not be 0.
    return DGifGetImageDesc(gif_) != GIF_ERROR && input_->last != 0;
  }

  void SetPalette(const ColorMapObject* map, int transparent) {
    palette_.fill(0xFF000000u);  // indices past the colour map read black
    const int colours = map != nullptr ? std::min(map->ColorCount, 256) : 0;
    for (int i = 0; i < colours; ++i) {
      const GifColorType& c = map->Colors[i];
      palette_[static_cast<std::size_t>(i)] =
          0xFF000000u | Argb{c.Red} << 16 | Argb{c.Green} << 8 | c.Blue;
      if (transparent >= 0 && palette_[static_cast<std::size_t>(i)] == kMagenta) {
        palette_[static_cast<std::size_t>(i)] = 0xFFFF00FEu;
      }
    }
    if (transparent >= 0) palette_[static_cast<std::size_t>(transparent)] = kTransparent;
  }

  // One line of LZW data. Data that ends inside the frame makes the picture unreadable;
  // codes that end it early or make no sense leave the rest of the frame at index 0, as
  // the older decoder left it unwritten.
  bool ReadLine(GifPixelType* line) {
    if (broken_) return true;
    if (DGifGetLine(gif_, line, width_) == GIF_OK) return true;
    if (gif_->Error == D_GIF_ERR_READ_FAILED) {
      failed_ = true;
      return false;
    }
    broken_ = true;
    return true;
  }

  // Interlaced lines come in four passes (every 8th row from 0, every 8th from 4, every
  // 4th from 2, every 2nd from 1); only rows first..last-1 are kept, and decoding stops once
  // they are all there.
  bool ReadInterlaced(int first, int last) {
    kept_.clear();
    keptRows_ = 0;
    if (decoded_) {
      int transparent = -1;
      broken_ = false;
      if (!Start(transparent)) {
        failed_ = true;
        return false;
      }
    }
    decoded_ = true;
    const auto width = static_cast<std::size_t>(width_);
    kept_.assign(width * static_cast<std::size_t>(last - first), 0);
    line_.resize(width);  // lines not kept
    static constexpr int kStart[] = {0, 4, 2, 1};
    static constexpr int kStep[] = {8, 8, 4, 2};
    int missing = last - first;
    for (int pass = 0; pass < 4 && missing > 0; ++pass) {
      for (int y = kStart[pass]; y < height_ && missing > 0; y += kStep[pass]) {
        GifPixelType* line = line_.data();
        if (y >= first && y < last) {
          line = kept_.data() + width * static_cast<std::size_t>(y - first);
          --missing;
        }
        if (!ReadLine(line)) {
          kept_.clear();
          return false;
        }
      }
    }
    keptFirst_ = first;
    keptRows_ = last - first;
    return true;
  }

  GifFileType* gif_ = nullptr;
  std::unique_ptr<Input> input_;
  std::array<Argb, 256> palette_{};
  int width_ = 0;
  int height_ = 0;
  bool interlaced_ = false;
  int next_ = 0;
  bool failed_ = false;
  bool broken_ = false;
  std::vector<GifPixelType> line_;
  // Interlaced frames: the decoded rows kept, from row keptFirst_ on.
  ByteSource* source_ = nullptr;
  bool decoded_ = false;
  std::vector<GifPixelType> kept_;
  int keptFirst_ = 0;
  int keptRows_ = 0;
};

}  // namespace

std::unique_ptr<FormatDecoder> MakeGifDecoder() { return std::make_unique<GifDecoder>(); }

}  // namespace veilmark::image
