// The JPEG row decoder against the whole-picture decode it replaces, over files written here
// with libjpeg in every layout a camera, a scanner or the web produces.
#include "core/image/declared_size.h"
#include "core/image/decoder.h"
#include "core/image/imaging.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include <jpeglib.h>

namespace veilmark::image {
namespace {

namespace fs = std::filesystem;

struct JpegLayout {
  J_COLOR_SPACE stored = JCS_YCbCr;  // JCS_GRAYSCALE, JCS_RGB, JCS_CMYK, JCS_YCCK
  int lumaH = 2, lumaV = 2;          // the first component's sampling: 2x2 is 4:2:0
  bool progressive = false;
  bool arithmetic = false;
  bool optimize = false;
  int restartRows = 0;
  int quality = 90;
  std::vector<jpeg_scan_info> scans;  // a scan script of its own, when not empty

  JpegLayout Progressive() const {
    return With([](JpegLayout& l) { l.progressive = true; });
  }
  JpegLayout Arithmetic() const {
    return With([](JpegLayout& l) { l.arithmetic = true; });
  }
  JpegLayout Optimized() const {
    return With([](JpegLayout& l) { l.optimize = true; });
  }
  JpegLayout Quality(int q) const {
    return With([q](JpegLayout& l) { l.quality = q; });
  }
  JpegLayout RestartEveryRow() const {
    return With([](JpegLayout& l) { l.restartRows = 1; });
  }
  JpegLayout Scans(std::vector<jpeg_scan_info> s) const {
    return With([&s](JpegLayout& l) { l.scans = std::move(s); });
  }
  template <typename F>
  JpegLayout With(F change) const {
    JpegLayout copy = *this;
    change(copy);
    return copy;
  }
};

// Stored as `space`, the first component sampled `h` x `v` times the others.
JpegLayout Stored(J_COLOR_SPACE space, int h = 1, int v = 1) {
  JpegLayout layout;
  layout.stored = space;
  layout.lumaH = h;
  layout.lumaV = v;
  return layout;
}
JpegLayout Yuv420() { return Stored(JCS_YCbCr, 2, 2); }
JpegLayout Grey() { return Stored(JCS_GRAYSCALE); }

// A picture with smooth areas, edges and noise, so that every kind of coefficient occurs.
// Four components per pixel (the fourth used only for CMYK).
std::vector<unsigned char> PhotoLike(int width, int height, std::uint32_t seed = 3) {
  std::mt19937 random(seed);
  std::vector<unsigned char> pixels(static_cast<std::size_t>(width) * height * 4);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      unsigned char* p = &pixels[(static_cast<std::size_t>(y) * width + x) * 4];
      const int noise = static_cast<int>(random() % 24);
      p[0] = static_cast<unsigned char>((x * 255 / std::max(1, width - 1) + noise) & 0xFF);
      p[1] = static_cast<unsigned char>(((x / 7 + y / 5) % 2 ? 200 : 40) + noise);
      p[2] = static_cast<unsigned char>((y * 255 / std::max(1, height - 1) + noise) & 0xFF);
      p[3] = static_cast<unsigned char>((x + y) & 0xFF);
    }
  }
  return pixels;
}

std::string WriteJpeg(int width, int height, const JpegLayout& layout,
                      const std::vector<unsigned char>& pixels) {
  jpeg_compress_struct c;
  jpeg_error_mgr errors;
  c.err = jpeg_std_error(&errors);
  jpeg_create_compress(&c);
  unsigned char* out = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&c, &out, &size);
  const bool cmyk = layout.stored == JCS_CMYK || layout.stored == JCS_YCCK;
  const bool grey = layout.stored == JCS_GRAYSCALE;
  c.image_width = static_cast<JDIMENSION>(width);
  c.image_height = static_cast<JDIMENSION>(height);
  c.input_components = cmyk ? 4 : grey ? 1 : 3;
  c.in_color_space = cmyk ? JCS_CMYK : grey ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&c);
  jpeg_set_colorspace(&c, layout.stored);
  jpeg_set_quality(&c, layout.quality, TRUE);
  c.comp_info[0].h_samp_factor = grey ? 1 : layout.lumaH;
  c.comp_info[0].v_samp_factor = grey ? 1 : layout.lumaV;
  if (cmyk) c.comp_info[3].h_samp_factor = c.comp_info[3].v_samp_factor = 1;
  c.arith_code = layout.arithmetic ? TRUE : FALSE;
  c.optimize_coding = layout.optimize ? TRUE : FALSE;
  c.restart_in_rows = layout.restartRows;
  if (layout.progressive) jpeg_simple_progression(&c);
  if (!layout.scans.empty()) {
    c.scan_info = layout.scans.data();
    c.num_scans = static_cast<int>(layout.scans.size());
  }
  jpeg_start_compress(&c, TRUE);
  std::vector<unsigned char> row(static_cast<std::size_t>(width) * c.input_components);
  while (c.next_scanline < c.image_height) {
    const unsigned char* src = &pixels[static_cast<std::size_t>(c.next_scanline) * width * 4];
    for (int x = 0; x < width; ++x) {
      for (int k = 0; k < c.input_components; ++k) row[x * c.input_components + k] = src[x * 4 + k];
    }
    JSAMPROW rows[] = {row.data()};
    jpeg_write_scanlines(&c, rows, 1);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  std::string bytes(reinterpret_cast<const char*>(out), size);
  std::free(out);
  return bytes;
}

std::string WriteJpeg(int width, int height, const JpegLayout& layout) {
  return WriteJpeg(width, height, layout, PhotoLike(width, height));
}

// An APP1 block with an EXIF orientation of 6 (rotate 90 degrees) right after the SOI.
std::string WithExifOrientation(std::string jpeg) {
  const std::string tiff(
      "II*\0\x08\0\0\0"                     // little-endian, first IFD at 8
      "\x01\0"                              // one entry
      "\x12\x01\x03\0\x01\0\0\0\x06\0\0\0"  // Orientation, SHORT, 1, value 6
      "\0\0\0\0",
      26);
  const std::string body = std::string("Exif\0\0", 6) + tiff;
  const std::size_t length = body.size() + 2;
  const std::string app1 = std::string("\xFF\xE1", 2) + static_cast<char>(length >> 8) +
                           static_cast<char>(length & 0xFF) + body;
  return jpeg.insert(2, app1);
}

// Where the first scan's entropy-coded data begins.
std::size_t ScanDataStart(const std::string& jpeg) {
  std::size_t at = 2;
  while (at + 4 <= jpeg.size()) {
    const auto marker = static_cast<unsigned char>(jpeg[at + 1]);
    const std::size_t length =
        static_cast<unsigned char>(jpeg[at + 2]) * 256u + static_cast<unsigned char>(jpeg[at + 3]);
    at += 2 + length;
    if (marker == 0xDA) return at;
  }
  return jpeg.size();
}

// The frame header changed to declare another size (the data then no longer matches it).
std::string Declaring(std::string jpeg, int width, int height) {
  std::size_t at = 2;
  while (at + 9 <= jpeg.size()) {
    const auto marker = static_cast<unsigned char>(jpeg[at + 1]);
    if (marker >= 0xC0 && marker <= 0xC2) {
      jpeg[at + 5] = static_cast<char>(height >> 8);
      jpeg[at + 6] = static_cast<char>(height & 0xFF);
      jpeg[at + 7] = static_cast<char>(width >> 8);
      jpeg[at + 8] = static_cast<char>(width & 0xFF);
      break;
    }
    at += 2 + static_cast<unsigned char>(jpeg[at + 2]) * 256u +
          static_cast<unsigned char>(jpeg[at + 3]);
  }
  return jpeg;
}

// Flips bits in the entropy-coded data, away from markers.
std::string Corrupted(std::string jpeg) {
  const std::size_t start = ScanDataStart(jpeg);
  for (std::size_t at = start + 40; at + 2 < jpeg.size(); at += 97) {
    if (jpeg[at] != '\xFF' && jpeg[at - 1] != '\xFF') jpeg[at] = static_cast<char>(jpeg[at] ^ 0x5A);
    if (jpeg[at] == '\xFF') jpeg[at] = 0x11;
  }
  return jpeg;
}

// A progressive scan script for one grey component: the DC scan, then each of the first
// `bands` AC coefficients in its own band refined bit by bit from bit 10 down (11 scans a
// band), then the rest of the coefficients at once when `rest`.
std::vector<jpeg_scan_info> ManyScans(int bands, bool rest) {
  std::vector<jpeg_scan_info> scans;
  const auto add = [&](int ss, int se, int ah, int al) {
    jpeg_scan_info s{};
    s.comps_in_scan = 1;
    s.component_index[0] = 0;
    s.Ss = ss;
    s.Se = se;
    s.Ah = ah;
    s.Al = al;
    scans.push_back(s);
  };
  add(0, 0, 0, 0);
  for (int k = 1; k <= bands; ++k) {
    add(k, k, 0, 10);
    for (int ah = 10; ah >= 1; --ah) add(k, k, ah, ah - 1);
  }
  if (rest) add(bands + 1, 63, 0, 0);
  return scans;
}

// A sequential file with one scan for each of the three components.
std::vector<jpeg_scan_info> SeparateScans() {
  std::vector<jpeg_scan_info> scans(3);
  for (int i = 0; i < 3; ++i) {
    scans[i].comps_in_scan = 1;
    scans[i].component_index[0] = i;
    scans[i].Se = 63;
  }
  return scans;
}

// Reads all rows through the JPEG decoder in pieces of the given sizes (the last repeated).
ArgbImage ReadInPieces(const std::string& bytes, std::vector<int> pieces, bool* failed) {
  auto source = MemorySource(bytes.data(), bytes.size());
  auto decoder = MakeJpegDecoder();
  if (!decoder || !decoder->Open(*source)) {
    *failed = true;
    return {};
  }
  ArgbImage image(decoder->Width(), decoder->Height());
  int row = 0;
  std::size_t piece = 0;
  while (row < image.Height()) {
    const int want = std::min(pieces[std::min(piece++, pieces.size() - 1)], image.Height() - row);
    const int got = decoder->ReadRows(image.Row(row), want);
    row += got;
    if (got != want) break;
  }
  *failed = decoder->Failed() || row != image.Height();
  return image;
}

struct Fixture {
  const char* name;
  std::function<std::string()> make;
};

const std::vector<Fixture>& Fixtures() {
  static const std::vector<Fixture> fixtures = {
      {"baseline 4:2:0, odd size", [] { return WriteJpeg(67, 45, Yuv420()); }},
      {"baseline 4:2:2", [] { return WriteJpeg(50, 33, Stored(JCS_YCbCr, 2, 1)); }},
      {"baseline 4:4:4", [] { return WriteJpeg(41, 30, Stored(JCS_YCbCr)); }},
      {"baseline 4:4:0", [] { return WriteJpeg(41, 30, Stored(JCS_YCbCr, 1, 2)); }},
      {"progressive 4:2:0", [] { return WriteJpeg(70, 51, Yuv420().Progressive()); }},
      {"progressive 4:4:4", [] { return WriteJpeg(33, 40, Stored(JCS_YCbCr).Progressive()); }},
      {"progressive grey", [] { return WriteJpeg(30, 20, Grey().Progressive()); }},
      {"arithmetic coding", [] { return WriteJpeg(45, 29, Yuv420().Arithmetic()); }},
      {"restart markers every row", [] { return WriteJpeg(64, 48, Yuv420().RestartEveryRow()); }},
      {"grey", [] { return WriteJpeg(37, 23, Grey()); }},
      {"one scan per component", [] { return WriteJpeg(43, 37, Yuv420().Scans(SeparateScans())); }},
      {"stored as RGB", [] { return WriteJpeg(29, 17, Stored(JCS_RGB)); }},
      {"CMYK (Adobe)", [] { return WriteJpeg(31, 19, Stored(JCS_CMYK)); }},
      {"YCCK (Adobe)", [] { return WriteJpeg(31, 19, Stored(JCS_YCCK, 2, 2)); }},
      {"EXIF orientation, not applied",
       [] { return WithExifOrientation(WriteJpeg(40, 24, Yuv420())); }},
      {"wider than the header pixels", [] { return WriteJpeg(1300, 20, Yuv420()); }},
      {"narrow and tall", [] { return WriteJpeg(5, 400, Yuv420()); }},
      {"baseline cut in half",
       [] {
         const std::string all = WriteJpeg(64, 64, Yuv420());
         return all.substr(0, all.size() / 2);
       }},
      {"progressive cut short",
       [] {
         const std::string all = WriteJpeg(64, 64, Yuv420().Progressive());
         return all.substr(0, all.size() * 6 / 10);
       }},
      {"corrupt entropy data", [] { return Corrupted(WriteJpeg(80, 60, Yuv420())); }},
      {"corrupt progressive data",
       [] { return Corrupted(WriteJpeg(80, 60, Yuv420().Progressive())); }},
      {"cut inside the header", [] { return WriteJpeg(30, 20, Yuv420()).substr(0, 150); }},
      {"100 scans",
       [] { return WriteJpeg(24, 16, Grey().Progressive().Scans(ManyScans(9, false))); }},
  };
  return fixtures;
}

TEST(JpegDecoder, GivesThePixelsOfTheWholePictureDecode) {
  for (const Fixture& f : Fixtures()) {
    SCOPED_TRACE(f.name);
    const std::string bytes = f.make();
    const ArgbImage whole = DecodeImageDataWhole(bytes.data(), bytes.size());
    bool failed = false;
    const ArgbImage rows = ReadInPieces(bytes, {1, 3, 16}, &failed);
    EXPECT_EQ(failed, whole.Empty());
    if (!failed) {
      EXPECT_TRUE(rows == whole);
    }
    // Through the reader, as everything else decodes.
    EXPECT_TRUE(DecodeImageData(bytes.data(), bytes.size()) == whole);
  }
}

TEST(JpegDecoder, FirstRowsEqualTheSameRowsOfTheWholeDecode) {
  for (const Fixture& f : Fixtures()) {
    SCOPED_TRACE(f.name);
    const std::string bytes = f.make();
    const ArgbImage whole = DecodeImageDataWhole(bytes.data(), bytes.size());
    if (whole.Empty()) continue;
    auto source = MemorySource(bytes.data(), bytes.size());
    auto decoder = MakeJpegDecoder();
    ASSERT_TRUE(decoder && decoder->Open(*source));
    ASSERT_EQ(decoder->Width(), whole.Width());
    ASSERT_EQ(decoder->Height(), whole.Height());
    const int rows = std::min(whole.Height(), (1152 + whole.Width() - 1) / whole.Width());
    std::vector<Argb> first(static_cast<std::size_t>(rows) * whole.Width());
    ASSERT_EQ(decoder->ReadRows(first.data(), rows), rows);
    EXPECT_FALSE(decoder->Failed());
    EXPECT_TRUE(std::equal(first.begin(), first.end(), whole.Data()));
  }
}

// Counts what the decoder asks of the file.
class CountingSource final : public ByteSource {
 public:
  explicit CountingSource(const std::string& bytes)
      : inner_(MemorySource(bytes.data(), bytes.size())) {}
  std::uint64_t Size() const override { return inner_->Size(); }
  std::size_t ReadAt(std::uint64_t offset, unsigned char* out, std::size_t size) override {
    const std::size_t n = inner_->ReadAt(offset, out, size);
    read += n;
    return n;
  }
  std::uint64_t read = 0;

 private:
  std::unique_ptr<ByteSource> inner_;
};

TEST(JpegDecoder, FirstRowsReadOnlyTheStartOfABaselineFile) {
  const std::string bytes = WriteJpeg(1024, 1024, Yuv420().Quality(97));
  ASSERT_GT(bytes.size(), 512u * 1024);
  CountingSource source(bytes);
  auto decoder = MakeJpegDecoder();
  ASSERT_TRUE(decoder->Open(source));
  std::vector<Argb> rows(2 * 1024);
  ASSERT_EQ(decoder->ReadRows(rows.data(), 2), 2);
  EXPECT_LE(source.read, 2u * 64 * 1024);  // the pieces holding the header and first MCU row
  decoder.reset();                         // abandons the rest
}

// A file that cannot be read to its end (a disk error, or shrunk while read) is not shown
// with a grey rest as a file cut short is: the rest would be taken for the picture's own.
class FailingSource final : public ByteSource {
 public:
  FailingSource(const std::string& bytes, std::uint64_t readable)
      : inner_(MemorySource(bytes.data(), bytes.size())), readable_(readable) {}
  std::uint64_t Size() const override { return inner_->Size(); }
  std::size_t ReadAt(std::uint64_t offset, unsigned char* out, std::size_t size) override {
    if (offset >= readable_) return 0;
    return inner_->ReadAt(offset, out, std::min<std::uint64_t>(size, readable_ - offset));
  }

 private:
  std::unique_ptr<ByteSource> inner_;
  std::uint64_t readable_;
};

TEST(JpegDecoder, AReadErrorFailsTheDecode) {
  for (const JpegLayout& layout : {Yuv420().Quality(97), Yuv420().Quality(97).Progressive()}) {
    const std::string bytes = WriteJpeg(1024, 512, layout);
    ASSERT_GT(bytes.size(), 200u * 1024);
    FailingSource source(bytes, bytes.size() / 2);
    auto decoder = MakeJpegDecoder();
    ASSERT_TRUE(decoder->Open(source));
    std::vector<Argb> rows(1024u * 512);
    EXPECT_LT(decoder->ReadRows(rows.data(), 512), 512);
    EXPECT_TRUE(decoder->Failed());
  }
}

TEST(JpegDecoder, ReducesToTheSmallestScaleStillCoveringTheBox) {
  const struct {
    int width, height, boxWidth, boxHeight;
    int reduction, reducedWidth, reducedHeight;
  } cases[] = {
      {4000, 3000, 150, 135, 8, 500, 375},  // a camera photo
      {1000, 750, 150, 135, 4, 250, 188},   // 1/8 would be 125 x 94: too small
      {300, 100, 150, 135, 2, 150, 50},     // exactly the box's width at 1/2
      {151, 1000, 150, 135, 4, 38, 250},    // tall: the height decides
      {100, 80, 150, 135, 1, 100, 80},      // smaller than the box
      {1201, 9, 150, 135, 8, 151, 2},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
    std::vector<unsigned char> flat(static_cast<std::size_t>(c.width) * c.height * 4, 0x80);
    const std::string bytes = WriteJpeg(c.width, c.height, Yuv420(), flat);
    auto source = MemorySource(bytes.data(), bytes.size());
    auto decoder = MakeJpegDecoder();
    ASSERT_TRUE(decoder->Open(*source));
    EXPECT_EQ(decoder->ReduceFor(c.boxWidth, c.boxHeight), c.reduction);
    EXPECT_EQ(decoder->Width(), c.reducedWidth);
    EXPECT_EQ(decoder->Height(), c.reducedHeight);
    std::vector<Argb> rows(static_cast<std::size_t>(decoder->Width()) * decoder->Height());
    EXPECT_EQ(decoder->ReadRows(rows.data(), decoder->Height()), decoder->Height());
    EXPECT_FALSE(decoder->Failed());
  }
}

TEST(JpegDecoder, ReducedPictureLooksLikeTheWholeOneAveraged) {
  for (const JpegLayout& layout : {Yuv420(), Yuv420().Progressive(), Grey(), Stored(JCS_CMYK)}) {
    SCOPED_TRACE(static_cast<int>(layout.stored) * 10 + layout.progressive);
    const std::string bytes = WriteJpeg(256, 192, layout);
    const ArgbImage whole = DecodeImageDataWhole(bytes.data(), bytes.size());
    ASSERT_FALSE(whole.Empty());
    auto source = MemorySource(bytes.data(), bytes.size());
    auto decoder = MakeJpegDecoder();
    ASSERT_TRUE(decoder->Open(*source));
    ASSERT_EQ(decoder->ReduceFor(60, 40), 4);
    ASSERT_EQ(decoder->Width(), 64);
    ASSERT_EQ(decoder->Height(), 48);
    ArgbImage reduced(64, 48);
    ASSERT_EQ(decoder->ReadRows(reduced.Data(), 48), 48);
    double total = 0;
    int worst = 0;
    for (int y = 0; y < 48; ++y) {
      for (int x = 0; x < 64; ++x) {
        for (int shift : {0, 8, 16}) {
          int sum = 0;
          for (int dy = 0; dy < 4; ++dy) {
            for (int dx = 0; dx < 4; ++dx)
              sum += (whole.At(x * 4 + dx, y * 4 + dy) >> shift) & 0xFF;
          }
          const int diff =
              std::abs(static_cast<int>((reduced.At(x, y) >> shift) & 0xFF) - sum / 16);
          total += diff;
          worst = std::max(worst, diff);
        }
        EXPECT_EQ(reduced.At(x, y) >> 24, 0xFFu);
      }
    }
    // Scaling in the DCT differs from averaging most at the sharp edges of subsampled
    // colour; a swapped channel or a shifted row is off by far more.
    EXPECT_LT(total / (64 * 48 * 3), 8.0);
    EXPECT_LT(worst, 48);
  }
}

// The file-size bound must never refuse a complete file: the tightest a sequential file can
// be is two bits a block (a flat picture with optimal tables). Cut short, it is refused; with
// a scan per component only the first scan's share (here two thirds) counts.
TEST(JpegDecoder, RefusesMorePixelsThanTheFileCanHold) {
  const struct {
    const char* name;
    JpegLayout layout;
    int refusedPercent;
  } cases[] = {
      {"grey", Grey().Optimized(), 90},
      {"4:2:0", Yuv420().Optimized(), 90},
      {"4:4:4", Stored(JCS_YCbCr).Optimized(), 90},
      {"4:2:0, one scan per component", Yuv420().Optimized().Scans(SeparateScans()), 60},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<unsigned char> flat(2048u * 2048 * 4, 0x80);
    const std::string bytes = WriteJpeg(2048, 2048, c.layout, flat);
    const auto opens = [](const std::string& b) {
      auto source = MemorySource(b.data(), b.size());
      return MakeJpegDecoder()->Open(*source);
    };
    EXPECT_TRUE(opens(bytes)) << bytes.size() << " bytes";
    EXPECT_FALSE(opens(bytes.substr(0, bytes.size() * c.refusedPercent / 100)));
  }
}

TEST(JpegDecoder, HostileFilesFailFast) {
  const fs::path fixture =
      fs::path(VEILMARK_SOURCE_DIR) / "tests/fixtures/hostile-images/jpg_16384x8192.jpg";
  const std::string huge = [&] {
    std::FILE* f = std::fopen(fixture.string().c_str(), "rb");
    std::string bytes(4096, '\0');
    bytes.resize(f ? std::fread(bytes.data(), 1, bytes.size(), f) : 0);
    if (f) std::fclose(f);
    return bytes;
  }();
  ASSERT_GT(huge.size(), 1000u);
  const JpegLayout manyScans = Grey().Progressive().Scans(ManyScans(9, true));  // 101 scans
  const struct {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"2 KB declaring 16384 x 8192", huge},
      {"101 progressive scans", WriteJpeg(24, 16, manyScans)},
      {"an empty stream", WriteJpeg(24, 16, Yuv420()).substr(0, 2) + "\xFF\xD9"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const auto start = std::chrono::steady_clock::now();
    bool failed = false;
    ReadInPieces(c.bytes, {64}, &failed);
    EXPECT_TRUE(failed);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
  }
}

// A progressive file keeps every coefficient until its last scan; a few hundred bytes
// declaring 2^27 pixels must not make the library take gigabytes for them before the first
// row (CMYK: 1 GiB, 4:4:4 colour: 768 MiB).
TEST(JpegDecoder, ProgressiveCoefficientsStayWithinTheLimit) {
  for (const JpegLayout& layout :
       {Stored(JCS_CMYK).Progressive(), Stored(JCS_YCbCr).Progressive()}) {
    SCOPED_TRACE(static_cast<int>(layout.stored));
    const std::string bytes = Declaring(WriteJpeg(16, 16, layout), 16384, 8192);
    auto source = MemorySource(bytes.data(), bytes.size());
    auto decoder = MakeJpegDecoder();
    ASSERT_TRUE(decoder->Open(*source));  // no bound from the file's size
    ASSERT_EQ(decoder->Width(), 16384);
    std::vector<Argb> row(16384);
    EXPECT_EQ(decoder->ReadRows(row.data(), 1), 0);
    EXPECT_TRUE(decoder->Failed());
  }
}

}  // namespace
}  // namespace veilmark::image
