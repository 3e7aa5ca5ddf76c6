// JPEG through libjpeg, set up as wx's handler sets it up (RGB out, the library's default
// DCT and upsampling, CMYK converted with wx's formula, a fake end marker at the end of the
// data) so that the pixels equal those of the older whole-picture decode.
#include "core/image/declared_size.h"
#include "core/image/decoder.h"

// jpeglib.h needs FILE and size_t declared first.
#include <csetjmp>
#include <cstdio>
#include <cstring>

#include <jpeglib.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace veilmark::image {
namespace {

static_assert(sizeof(Argb) == 4);
static_assert(JCS_EXTENSIONS == 1, "libjpeg without the extended RGB orders");

// Argb is 0xAARRGGBB in native byte order, so the library can write it directly.
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
constexpr J_COLOR_SPACE kArgbSpace = JCS_EXT_ARGB;
#else
constexpr J_COLOR_SPACE kArgbSpace = JCS_EXT_BGRA;
#endif

constexpr std::size_t kReadPiece = 64 * 1024;

// A progressive file may hold any number of scans, and each one walks every block of its
// components: 2000 empty scans in a 340 KB file declaring 8192 x 8192 cost a minute. Encoders
// write about ten; past this many the file is refused, after a few seconds at most.
constexpr int kMaxScans = 100;

// Progressive and multi-scan files keep every coefficient of the picture until the last scan:
// 3 bytes a pixel for 4:2:0 colour, up to 8 for CMYK. The library's memory stays within what
// a decoded picture of the largest size accepted takes, which no camera picture comes near.
constexpr long kMaxLibraryMemory = static_cast<long>(kMaxDeclaredPixels * sizeof(Argb));

struct ErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
};

struct SourceManager {
  jpeg_source_mgr pub;
  ByteSource* source;
  std::uint64_t offset;
  unsigned char* buffer;
};

extern "C" {

void JpegErrorExit(j_common_ptr cinfo) {
  std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}

// Broken data is common in files off cameras and the web; it is none of the user's business
// on the console.
void JpegSilentMessage(j_common_ptr) {}

void JpegInitSource(j_decompress_ptr) {}

boolean JpegFillInput(j_decompress_ptr cinfo) {
  auto* src = reinterpret_cast<SourceManager*>(cinfo->src);
  const std::size_t got = src->source->ReadAt(src->offset, src->buffer, kReadPiece);
  src->offset += got;
  src->pub.next_input_byte = src->buffer;
  src->pub.bytes_in_buffer = got;
  if (got == 0) {
    // Short of its end the file could not be read (or shrank): not a picture to show.
    if (src->offset < src->source->Size())
      cinfo->err->error_exit(reinterpret_cast<j_common_ptr>(cinfo));
    // A file cut short ends here, and the rows not reached come out grey, as they always did.
    src->buffer[0] = 0xFF;
    src->buffer[1] = JPEG_EOI;
    src->pub.bytes_in_buffer = 2;
  }
  return TRUE;
}

void JpegSkipInput(j_decompress_ptr cinfo, long count) {
  if (count <= 0) return;
  auto* src = reinterpret_cast<SourceManager*>(cinfo->src);
  const auto n = static_cast<std::size_t>(count);
  if (n <= src->pub.bytes_in_buffer) {
    src->pub.next_input_byte += n;
    src->pub.bytes_in_buffer -= n;
    return;
  }
  src->offset += n - src->pub.bytes_in_buffer;
  src->pub.bytes_in_buffer = 0;  // the next read starts at the new offset
}

void JpegTermSource(j_decompress_ptr) {}

void JpegCountScans(j_common_ptr cinfo) {
  if (cinfo->is_decompressor &&
      reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > kMaxScans) {
    cinfo->err->error_exit(cinfo);
  }
}

}  // extern "C"

// wx's conversion of a CMYK pixel (as libjpeg hands it out, Adobe's inverted values
// included) to RGB.
Argb CmykToArgb(const unsigned char* cmyk) {
  const int k = 255 - cmyk[3];
  const int k2 = cmyk[3];
  unsigned char rgb[3];
  for (int i = 0; i < 3; ++i) {
    const int c = k + k2 * (255 - cmyk[i]) / 255;
    rgb[i] = static_cast<unsigned char>(c > 255 ? 0 : 255 - c);
  }
  return stego::MakeArgb(0xFF, rgb[0], rgb[1], rgb[2]);
}

// The most pixels each byte of a sequential Huffman-coded file can give: every block of a
// scan takes at least two bits (a DC code and an end-of-block code), and the first scan alone
// must cover the picture with its components' blocks. 0 (no bound) for progressive and
// arithmetic coding, where one code can stand for many blocks.
std::uint64_t MaxPixelsPerByte(const jpeg_decompress_struct& c) {
  if (c.progressive_mode || c.arith_code) return 0;
  std::uint64_t blockArea = 0;  // in units of the smallest sampling
  for (int i = 0; i < c.comps_in_scan; ++i) {
    blockArea += static_cast<std::uint64_t>(c.cur_comp_info[i]->h_samp_factor) *
                 static_cast<std::uint64_t>(c.cur_comp_info[i]->v_samp_factor);
  }
  if (blockArea == 0) return 0;
  const std::uint64_t pixelsPerByteTimesArea = 4u * 64u *
                                               static_cast<std::uint64_t>(c.max_h_samp_factor) *
                                               static_cast<std::uint64_t>(c.max_v_samp_factor);
  return (pixelsPerByteTimesArea + blockArea - 1) / blockArea;
}

class JpegDecoder final : public FormatDecoder {
 public:
  JpegDecoder() : buffer_(new unsigned char[kReadPiece]) {
    std::memset(&cinfo_, 0, sizeof cinfo_);
    cinfo_.err = jpeg_std_error(&errors_.pub);
    errors_.pub.error_exit = JpegErrorExit;
    errors_.pub.output_message = JpegSilentMessage;
    progress_.progress_monitor = JpegCountScans;
  }
  ~JpegDecoder() override {
    // Destroying also abandons a decode stopped early.
    if (created_) jpeg_destroy_decompress(&cinfo_);
  }
  JpegDecoder(const JpegDecoder&) = delete;
  JpegDecoder& operator=(const JpegDecoder&) = delete;

  bool Open(ByteSource& source) override {
    source_.source = &source;
    source_.buffer = buffer_.get();
    if (!ReadHeader()) return Fail();
    if (!PictureSizeAcceptable(cinfo_.image_width, cinfo_.image_height, source.Size(),
                               MaxPixelsPerByte(cinfo_))) {
      return Fail();
    }
    cmyk_ = cinfo_.out_color_space == JCS_CMYK || cinfo_.out_color_space == JCS_YCCK;
    cinfo_.out_color_space = cmyk_ ? JCS_CMYK : kArgbSpace;
    return CalcOutput(1) || Fail();
  }

  int ReduceFor(int boxWidth, int boxHeight) override {
    if (failed_ || started_ || boxWidth < 1 || boxHeight < 1) return reduction_;
    // The largest reduction whose picture, fitted into the box, is still scaled down (or
    // kept): it then covers the box as well as the full picture would.
    for (int denom : {8, 4, 2, 1}) {
      if (!CalcOutput(denom)) {
        Fail();
        return 1;
      }
      if (denom == 1 || static_cast<int>(cinfo_.output_width) >= boxWidth ||
          static_cast<int>(cinfo_.output_height) >= boxHeight) {
        reduction_ = denom;
        break;
      }
    }
    return reduction_;
  }

  int Width() const override { return failed_ ? 0 : static_cast<int>(cinfo_.output_width); }
  int Height() const override { return failed_ ? 0 : static_cast<int>(cinfo_.output_height); }
  bool Failed() const override { return failed_; }

  int ReadRows(Argb* out, int count) override {
    if (failed_ || count <= 0) return 0;
    if (!started_) {
      started_ = true;
      if (!Start()) {
        failed_ = true;
        return 0;
      }
    }
    const int before = static_cast<int>(cinfo_.output_scanline);
    const int wanted = std::min<int>(count, static_cast<int>(cinfo_.output_height) - before);
    if (wanted <= 0) return 0;
    out_ = out;
    stop_ = static_cast<JDIMENSION>(before + wanted);
    const bool ok = Scan();
    const int done = static_cast<int>(cinfo_.output_scanline) - before;
    if (!ok) {
      failed_ = true;
      return done;
    }
    // The decode is complete only once the rest of the file has been read without an error.
    if (cinfo_.output_scanline == cinfo_.output_height && !Finish()) failed_ = true;
    return done;
  }

 private:
  bool Fail() {
    failed_ = true;
    return false;
  }

  // Each of the following calls the library under its own setjmp, and holds nothing that a
  // longjmp out of the library would have to destroy.
  bool ReadHeader() {
    if (setjmp(errors_.jump)) return false;
    jpeg_create_decompress(&cinfo_);
    created_ = true;
    cinfo_.progress = &progress_;
    cinfo_.mem->max_memory_to_use = kMaxLibraryMemory;
    cinfo_.src = &source_.pub;
    source_.pub.init_source = JpegInitSource;
    source_.pub.fill_input_buffer = JpegFillInput;
    source_.pub.skip_input_data = JpegSkipInput;
    source_.pub.resync_to_restart = jpeg_resync_to_restart;
    source_.pub.term_source = JpegTermSource;
    source_.pub.bytes_in_buffer = 0;
    source_.pub.next_input_byte = nullptr;
    source_.offset = 0;
    return jpeg_read_header(&cinfo_, TRUE) == JPEG_HEADER_OK;
  }

  bool CalcOutput(int denom) {
    if (setjmp(errors_.jump)) return false;
    cinfo_.scale_num = 1;
    cinfo_.scale_denom = static_cast<unsigned>(denom);
    jpeg_calc_output_dimensions(&cinfo_);
    return cinfo_.output_width > 0 && cinfo_.output_height > 0;
  }

  bool Start() {
    if (setjmp(errors_.jump)) return false;
    if (!jpeg_start_decompress(&cinfo_)) return false;
    if (cmyk_) cmykRow_.resize(static_cast<std::size_t>(cinfo_.output_width) * 4);
    return true;
  }

  // Rows up to stop_ into out_, one after the other.
  bool Scan() {
    if (setjmp(errors_.jump)) return false;
    const std::size_t width = cinfo_.output_width;
    while (cinfo_.output_scanline < stop_) {
      JSAMPROW row = cmyk_ ? cmykRow_.data() : reinterpret_cast<JSAMPROW>(out_);
      if (jpeg_read_scanlines(&cinfo_, &row, 1) != 1) return false;
      if (cmyk_) {
        for (std::size_t x = 0; x < width; ++x) out_[x] = CmykToArgb(&cmykRow_[x * 4]);
      }
      out_ += width;
    }
    return true;
  }

  bool Finish() {
    if (setjmp(errors_.jump)) return false;
    return jpeg_finish_decompress(&cinfo_) == TRUE;
  }

  jpeg_decompress_struct cinfo_;
  ErrorManager errors_;
  SourceManager source_{};
  jpeg_progress_mgr progress_{};
  std::unique_ptr<unsigned char[]> buffer_;
  std::vector<unsigned char> cmykRow_;
  Argb* out_ = nullptr;
  JDIMENSION stop_ = 0;
  bool created_ = false;
  bool started_ = false;
  bool failed_ = false;
  bool cmyk_ = false;
  int reduction_ = 1;
};

}  // namespace

std::unique_ptr<FormatDecoder> MakeJpegDecoder() { return std::make_unique<JpegDecoder>(); }

}  // namespace veilmark::image
