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
    input_ = std::make_unique<Input>(source);
    int error = 0;
    gif_ = DGifOpen(input_.get(), ReadGif, &error);
    if (gif_ == nullptr) return false;
    int transparent = -1;
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
      // The last graphic control block before the frame says which index is transparent.
      if (code == GRAPHICS_EXT_FUNC_CODE && block != nullptr && block[0] >= 4) {
        transparent = (block[1] & 1) != 0 ? block[4] : -1;
      }
      while (block != nullptr) {
        if (DGifGetExtensionNext(gif_, &block) == GIF_ERROR) return false;
      }
    }
    // Reading the frame header ends with its LZW code size, which must not be 0.
    if (DGifGetImageDesc(gif_) == GIF_ERROR || input_->last == 0) return false;
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
    if (interlaced_ && indices_.empty() && !ReadInterlaced()) return 0;
    int done = 0;
    for (; done < count && next_ < height_; ++done, ++next_) {
      const GifPixelType* row = nullptr;
      if (interlaced_) {
        row = indices_.data() + width * static_cast<std::size_t>(next_);
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
  // 4th from 2, every 2nd from 1): decode the frame whole, then serve it.
  bool ReadInterlaced() {
    const auto width = static_cast<std::size_t>(width_);
    indices_.assign(width * static_cast<std::size_t>(height_), 0);
    static constexpr int kStart[] = {0, 4, 2, 1};
    static constexpr int kStep[] = {8, 8, 4, 2};
    for (int pass = 0; pass < 4; ++pass) {
      for (int y = kStart[pass]; y < height_; y += kStep[pass]) {
        if (!ReadLine(indices_.data() + width * static_cast<std::size_t>(y))) {
          indices_.clear();
          return false;
        }
      }
    }
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
  std::vector<GifPixelType> indices_;
};

}  // namespace

std::unique_ptr<FormatDecoder> MakeGifDecoder() { return std::make_unique<GifDecoder>(); }

}  // namespace veilmark::image
