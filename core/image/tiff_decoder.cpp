// TIFF through libtiff, read lazily: rows are decoded with the library's RGBA reader a strip
// (or a row of tiles) at a time from the next row on, so detection decodes only the strips
// that hold its rows. The pixels are the ones of the whole-picture RGBA read the toolkit
// makes, alpha included; grey with alpha on one plane is read scanline by scanline.
#include "core/image/declared_size.h"
#include "core/image/decoder.h"

#include <tiffio.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <vector>

namespace veilmark::image {
namespace {

// The RGBA reader's pixels are packed A, B, G, R from the high byte down.
Argb FromRaster(std::uint32_t p, bool alpha) {
  const std::uint32_t a = alpha ? TIFFGetA(p) : 0xFF;
  return (a << 24) | (TIFFGetR(p) << 16) | (TIFFGetG(p) << 8) | TIFFGetB(p);
}

class TiffDecoder final : public FormatDecoder {
 public:
  ~TiffDecoder() override {
    if (rgbaBegun_) TIFFRGBAImageEnd(&rgba_);
    if (tif_ != nullptr) TIFFClose(tif_);
  }

  bool Open(ByteSource& source) override {
    source_ = &source;
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    if (options == nullptr) return false;
    // Warnings count too: a codec that runs short of data only warns, and the whole-picture
    // read then fills the strip from the one decoded before it, which a band cannot.
    TIFFOpenOptionsSetErrorHandlerExtR(options, &TiffDecoder::Error, this);
    TIFFOpenOptionsSetWarningHandlerExtR(options, &TiffDecoder::Error, this);
    // "m": never mapped, every byte comes through the source.
    tif_ = TIFFClientOpenExt("image", "rm", this, &TiffDecoder::Read, &TiffDecoder::Write,
                             &TiffDecoder::Seek, &TiffDecoder::Close, &TiffDecoder::Size,
                             &TiffDecoder::Map, &TiffDecoder::Unmap, options);
    TIFFOpenOptionsFree(options);
    if (tif_ == nullptr || !TIFFSetDirectory(tif_, 0)) return false;

    std::uint32_t width = 0, height = 0;
    TIFFGetField(tif_, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tif_, TIFFTAG_IMAGELENGTH, &height);
    if (!PictureSizeAcceptable(width, height, source.Size())) return false;
    width_ = static_cast<int>(width);
    height_ = static_cast<int>(height);

    std::uint16_t samplesPerPixel = 0, bitsPerSample = 0, extraSamples = 0;
    std::uint16_t* samplesInfo = nullptr;
    TIFFGetFieldDefaulted(tif_, TIFFTAG_SAMPLESPERPIXEL, &samplesPerPixel);
    TIFFGetFieldDefaulted(tif_, TIFFTAG_BITSPERSAMPLE, &bitsPerSample);
    TIFFGetFieldDefaulted(tif_, TIFFTAG_EXTRASAMPLES, &extraSamples, &samplesInfo);
    std::uint16_t photometric = 0;
    if (!TIFFGetField(tif_, TIFFTAG_PHOTOMETRIC, &photometric)) {
      photometric = PHOTOMETRIC_MINISWHITE;
    }
    const bool alphaSample =
        extraSamples >= 1 && samplesInfo != nullptr &&
        (samplesInfo[0] == EXTRASAMPLE_UNSPECIFIED || samplesInfo[0] == EXTRASAMPLE_ASSOCALPHA ||
         samplesInfo[0] == EXTRASAMPLE_UNASSALPHA);
    alpha_ = alphaSample ||
             (extraSamples == 0 && samplesPerPixel == 4 && photometric == PHOTOMETRIC_RGB);
    minIsWhite_ = photometric == PHOTOMETRIC_MINISWHITE;

    std::uint16_t planar = PLANARCONFIG_CONTIG;
    TIFFGetField(tif_, TIFFTAG_PLANARCONFIG, &planar);
    char message[1024] = "";
    // Grey with alpha in one plane: 8-bit, and the depths below 8 that the RGBA reader
    // refuses, are read scanline by scanline, as the toolkit does.
    scanlines_ = planar == PLANARCONFIG_CONTIG && samplesPerPixel == 2 && extraSamples == 1 &&
                 (!TIFFRGBAImageOK(tif_, message) || bitsPerSample == 8);
    if (scanlines_) {
      if (bitsPerSample < 1 || bitsPerSample > 16) return false;
      bits_ = bitsPerSample;
      const tmsize_t size = TIFFScanlineSize(tif_);
      // Every sample the conversion reads must lie in the scanline.
      if (size <= 0 || static_cast<std::uint64_t>(size) * 8 < 2ull * width * bits_) return false;
      scanline_.resize(static_cast<std::size_t>(size));
      return true;
    }
    if (!TIFFRGBAImageOK(tif_, message) || !TIFFRGBAImageBegin(&rgba_, tif_, 0, message)) {
      return false;
    }
    rgbaBegun_ = true;
    rgba_.req_orientation = ORIENTATION_TOPLEFT;
    // Rows are decoded a strip (or a row of tiles) at a time, as the whole read decodes
    // them: a strip decoded only in part may succeed where the whole strip fails. Pictures
    // stored bottom-up, and subsampled YCbCr (whose rows come in blocks), are read whole at
    // the first request: their first rows are not a prefix of the file's.
    std::uint32_t unit = 0;
    if (TIFFIsTiled(tif_)) {
      TIFFGetField(tif_, TIFFTAG_TILELENGTH, &unit);
    } else {
      TIFFGetFieldDefaulted(tif_, TIFFTAG_ROWSPERSTRIP, &unit);
    }
    std::uint16_t compression = COMPRESSION_NONE;
    TIFFGetFieldDefaulted(tif_, TIFFTAG_COMPRESSION, &compression);
    const std::uint16_t o = rgba_.orientation;
    const bool whole = o == ORIENTATION_BOTLEFT || o == ORIENTATION_BOTRIGHT ||
                       o == ORIENTATION_LEFTBOT || o == ORIENTATION_RIGHTBOT ||
                       (photometric == PHOTOMETRIC_YCBCR && compression != COMPRESSION_JPEG);
    unit_ = whole || unit == 0 || unit > height ? height_ : static_cast<int>(unit);
    return true;
  }

  int Width() const override { return width_; }
  int Height() const override { return height_; }

  int ReadRows(Argb* out, int count) override {
    count = std::min(count, height_ - next_);
    if (failed_ || count <= 0) return 0;
    const auto w = static_cast<std::size_t>(width_);
    if (scanlines_) {
      for (int i = 0; i < count; ++i) {
        if (!ReadScanline(out + i * w)) {
          failed_ = true;
          return i;
        }
      }
      return count;
    }
    static_assert(sizeof(Argb) == sizeof(std::uint32_t));
    for (int done = 0; done < count;) {
      const int wanted = count - done;
      Argb* target = out + done * w;
      if (next_ >= bandFirst_ + bandRows_) {
        const int end = std::min(height_, (next_ + wanted + unit_ - 1) / unit_ * unit_);
        // A band that is just what was asked for is decoded in place.
        const bool inPlace = end - next_ == wanted;
        if (!DecodeBand(next_, end - next_, inPlace ? target : nullptr)) {
          failed_ = true;
          return done;
        }
      }
      const int rows = std::min(wanted, bandFirst_ + bandRows_ - next_);
      auto* raster = reinterpret_cast<std::uint32_t*>(target);
      if (!inPlace_) {
        std::copy_n(band_.data() + (next_ - bandFirst_) * w, rows * w, raster);
      }
      for (std::size_t i = 0; i < rows * w; ++i) target[i] = FromRaster(raster[i], alpha_);
      next_ += rows;
      done += rows;
    }
    return count;
  }

  bool Failed() const override { return failed_; }

 private:
  // Decodes rows first .. first + rows - 1 into `target`, or into the band buffer when
  // `target` is null. A band after the first that meets broken data is read again as part
  // of the whole picture: the library fills broken strips from what it decoded before,
  // which a read starting at the band cannot reproduce.
  bool DecodeBand(int first, int rows, Argb* target) {
    const auto w = static_cast<std::size_t>(width_);
    inPlace_ = target != nullptr;
    if (!inPlace_) band_.resize(static_cast<std::size_t>(rows) * w);
    auto* raster = inPlace_ ? reinterpret_cast<std::uint32_t*>(target) : band_.data();
    bandFirst_ = first;
    bandRows_ = 0;
    const int errors = errors_;
    rgba_.row_offset = first;
    const bool read = TIFFRGBAImageGet(&rgba_, raster, width_, rows) != 0;
    if (first > 0 && (!read || errors_ != errors)) {
      unit_ = height_;
      return DecodeBand(0, height_, nullptr);
    }
    if (!read) return false;
    bandRows_ = rows;
    return true;
  }

  // One sample of `bits` bits (1 to 16) at sample index `i` of the row, widened to 8 bits.
  static std::uint32_t Sample(const unsigned char* row, std::size_t i, unsigned bits) {
    if (bits == 8) return row[i];
    const std::size_t first = i * bits;
    std::uint32_t v = 0;
    for (unsigned k = 0; k < bits; ++k) {
      const std::size_t bit = first + k;
      v = v << 1 | ((row[bit / 8] >> (7 - bit % 8)) & 1u);
    }
    if (bits > 8) return v >> (bits - 8);
    return v * 255 / ((1u << bits) - 1);
  }

  bool ReadScanline(Argb* row) {
    if (TIFFReadScanline(tif_, scanline_.data(), static_cast<std::uint32_t>(next_), 0) != 1) {
      return false;
    }
    // Grey, then alpha. White-is-zero turns the grey round, never the alpha: an opaque
    // pixel stays opaque. (The toolkit's own reader turned alpha round too, and read samples
    // of 2 and 4 bits as if they had 1.)
    for (int x = 0; x < width_; ++x) {
      const auto i = static_cast<std::size_t>(x);
      std::uint32_t grey = Sample(scanline_.data(), 2 * i, bits_);
      const std::uint32_t alpha = Sample(scanline_.data(), 2 * i + 1, bits_);
      if (minIsWhite_) grey = 255 - grey;
      row[x] = FromRaster(grey | grey << 8 | grey << 16 | alpha << 24, alpha_);
    }
    ++next_;
    return true;
  }

  static int Error(TIFF*, void* self, const char*, const char*, va_list) {
    ++static_cast<TiffDecoder*>(self)->errors_;
    return 1;
  }
  static TiffDecoder& Self(thandle_t handle) { return *static_cast<TiffDecoder*>(handle); }
  static tmsize_t Read(thandle_t handle, void* out, tmsize_t size) {
    TiffDecoder& self = Self(handle);
    if (size <= 0) return 0;
    const std::size_t got = self.source_->ReadAt(self.position_, static_cast<unsigned char*>(out),
                                                 static_cast<std::size_t>(size));
    self.position_ += got;
    return static_cast<tmsize_t>(got);
  }
  static tmsize_t Write(thandle_t, void*, tmsize_t) { return -1; }
  static toff_t Seek(thandle_t handle, toff_t offset, int whence) {
    TiffDecoder& self = Self(handle);
    std::uint64_t base = 0;
    if (whence == SEEK_CUR) base = self.position_;
    if (whence == SEEK_END) base = self.source_->Size();
    // A negative offset arrives wrapped; a target beyond 2^63 is refused.
    const std::uint64_t target = base + offset;
    if (static_cast<std::int64_t>(target) < 0) return static_cast<toff_t>(-1);
    self.position_ = target;
    return target;
  }
  static int Close(thandle_t) { return 0; }
  static toff_t Size(thandle_t handle) { return Self(handle).source_->Size(); }
  static int Map(thandle_t, void**, toff_t*) { return 0; }
  static void Unmap(thandle_t, void*, toff_t) {}

  ByteSource* source_ = nullptr;
  std::uint64_t position_ = 0;
  TIFF* tif_ = nullptr;
  TIFFRGBAImage rgba_{};
  bool rgbaBegun_ = false;
  bool scanlines_ = false;
  unsigned bits_ = 8;  // of each sample on the scanline path
  bool minIsWhite_ = false;
  bool alpha_ = false;
  bool failed_ = false;
  int width_ = 0;
  int height_ = 0;
  int next_ = 0;
  int errors_ = 0;
  std::vector<unsigned char> scanline_;
  int unit_ = 1;  // rows decoded together
  std::vector<std::uint32_t> band_;
  int bandFirst_ = 0;
  int bandRows_ = 0;
  bool inPlace_ = false;  // the band went straight into the caller's rows
};

}  // namespace

std::unique_ptr<FormatDecoder> MakeTiffDecoder() { return std::make_unique<TiffDecoder>(); }

}  // namespace veilmark::image
