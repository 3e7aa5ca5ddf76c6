// The row decoders against the whole-picture path: every file gives the same pixels read
// whole, and its first rows read alone equal the same rows of the whole read, so a payload
// found before is found the same way. One table of files, every format; each row is a
// small generated picture or a fixture.
#include "core/image/decoder.h"
#include "core/image/imaging.h"
#include "tests/core/image/test_support.h"

#include <gtest/gtest.h>
#include <tiffio.h>
#include <wx/image.h>
#include <wx/log.h>
#include <wx/mstream.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace veilmark::image {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;
using testing::NoiseImage;
using testing::ScratchDir;

const fs::path kFixtures = fs::path(VEILMARK_SOURCE_DIR) / "tests/fixtures";

Bytes ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFile(const fs::path& path, const Bytes& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

// A picture saved through the program's own encoder of `mime`.
Bytes Saved(const ArgbImage& image, const char* mime) {
  ScratchDir dir;
  const fs::path path = dir / "picture";
  if (!SaveImage(image, path, mime)) return {};
  return ReadFile(path);
}

// A picture written by the toolkit directly, for formats the program does not write.
Bytes WxSaved(const ArgbImage& image, wxBitmapType type) {
  wxImage wx = ToWxImage(image);
  wxMemoryOutputStream out;
  if (!wx.SaveFile(out, type)) return {};
  Bytes bytes(out.GetSize());
  out.CopyTo(bytes.data(), bytes.size());
  return bytes;
}

// A TIFF written by libtiff with the layout and sample format given, its samples random.
struct TiffLayout {
  std::uint16_t samples = 3;
  std::uint16_t bits = 8;
  std::uint16_t photometric = PHOTOMETRIC_RGB;
  int extra = -1;  // the one extra sample's meaning; -1: none
  std::uint16_t planar = PLANARCONFIG_CONTIG;
  std::uint16_t compression = COMPRESSION_NONE;
  std::uint32_t rowsPerStrip = 3;
  std::uint32_t tile = 0;  // tiles of tile x tile instead of strips
  std::uint16_t orientation = ORIENTATION_TOPLEFT;
  int width = 37;
  int height = 29;
  std::uint16_t predictor = PREDICTOR_NONE;
  bool big = false;  // BigTIFF
};

Bytes Tiff(const TiffLayout& l) {
  ScratchDir dir;
  const fs::path path = dir / "picture.tif";
  TIFF* tif = TIFFOpen(path.u8string().c_str(), l.big ? "w8" : "w");
  if (tif == nullptr) return {};
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, l.width);
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, l.height);
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, l.samples);
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, l.bits);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, l.photometric);
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, l.planar);
  TIFFSetField(tif, TIFFTAG_COMPRESSION, l.compression);
  TIFFSetField(tif, TIFFTAG_ORIENTATION, l.orientation);
  if (l.predictor != PREDICTOR_NONE) TIFFSetField(tif, TIFFTAG_PREDICTOR, l.predictor);
  if (l.compression == COMPRESSION_JPEG) {
    TIFFSetField(tif, TIFFTAG_JPEGQUALITY, 90);
    TIFFSetField(tif, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
  }
  if (l.extra >= 0) {
    const std::uint16_t meaning = static_cast<std::uint16_t>(l.extra);
    TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, &meaning);
  }
  std::vector<std::uint16_t> map;
  if (l.photometric == PHOTOMETRIC_PALETTE) {
    const std::size_t n = std::size_t{1} << l.bits;
    map.resize(3 * n);
    std::mt19937 random(3);
    for (auto& v : map) v = static_cast<std::uint16_t>(random());
    TIFFSetField(tif, TIFFTAG_COLORMAP, map.data(), map.data() + n, map.data() + 2 * n);
  }
  std::mt19937 random(11);
  const auto noise = [&random](std::vector<unsigned char>& buffer) {
    for (auto& b : buffer) b = static_cast<unsigned char>(random());
  };
  bool ok = true;
  if (l.tile != 0) {
    TIFFSetField(tif, TIFFTAG_TILEWIDTH, l.tile);
    TIFFSetField(tif, TIFFTAG_TILELENGTH, l.tile);
    std::vector<unsigned char> tile(static_cast<std::size_t>(TIFFTileSize(tif)));
    for (std::uint32_t y = 0; y < static_cast<std::uint32_t>(l.height); y += l.tile) {
      for (std::uint32_t x = 0; x < static_cast<std::uint32_t>(l.width); x += l.tile) {
        noise(tile);
        ok = ok && TIFFWriteTile(tif, tile.data(), x, y, 0, 0) >= 0;
      }
    }
  } else {
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, l.rowsPerStrip);
    std::vector<unsigned char> row(static_cast<std::size_t>(TIFFScanlineSize(tif)));
    const int planes = l.planar == PLANARCONFIG_SEPARATE ? l.samples : 1;
    for (int plane = 0; plane < planes; ++plane) {
      for (int y = 0; y < l.height; ++y) {
        noise(row);
        ok = ok && TIFFWriteScanline(tif, row.data(), static_cast<std::uint32_t>(y),
                                     static_cast<std::uint16_t>(plane)) == 1;
      }
    }
  }
  TIFFClose(tif);
  return ok ? ReadFile(path) : Bytes{};
}

// The same bytes with `count` of them from `at` overwritten.
Bytes Damaged(Bytes bytes, std::size_t at, std::size_t count) {
  for (std::size_t i = at; i < std::min(bytes.size(), at + count); ++i) bytes[i] ^= 0xA5;
  return bytes;
}

Bytes Cut(Bytes bytes, std::size_t keep) {
  bytes.resize(std::min(bytes.size(), keep));
  return bytes;
}

// The same little-endian TIFF declaring another size (16-bit width and height fields).
Bytes WithSize(Bytes tiff, std::uint16_t width, std::uint16_t height) {
  const auto le = [&tiff](std::size_t at, int n) {
    std::uint32_t v = 0;
    for (int i = 0; i < n; ++i) v |= std::uint32_t{tiff.at(at + i)} << 8 * i;
    return v;
  };
  const std::size_t ifd = le(4, 4);
  for (std::uint32_t i = 0, count = le(ifd, 2); i < count; ++i) {
    const std::size_t entry = ifd + 2 + 12 * i;
    const std::uint32_t tag = le(entry, 2);
    if ((tag != 256 && tag != 257) || le(entry + 2, 2) != 3) continue;
    const std::uint16_t value = tag == 256 ? width : height;
    tiff.at(entry + 8) = static_cast<unsigned char>(value);
    tiff.at(entry + 9) = static_cast<unsigned char>(value >> 8);
  }
  return tiff;
}

struct Row {
  std::string name;
  std::function<Bytes()> make;
  bool decodes = true;
};

std::vector<Row> Table() {
  const auto opaque = [] { return NoiseImage(41, 23, false); };
  const auto translucent = [] { return NoiseImage(40, 24, true); };
  std::vector<Row> rows = {
      // Formats whose row decoders come with their own rows.
      {"png-rgba", [=] { return Saved(translucent(), "image/png"); }},
      {"jpeg-baseline", [=] { return Saved(opaque(), "image/jpeg"); }},
      {"gif", [=] { return Saved(opaque(), "image/gif"); }},
      {"bmp-24", [=] { return Saved(opaque(), "image/bmp"); }},
      {"ico-alpha", [=] { return WxSaved(translucent(), wxBITMAP_TYPE_ICO); }},
      {"ico-opaque", [=] { return WxSaved(NoiseImage(16, 16, false), wxBITMAP_TYPE_ICO); }},

      {"tiff-written-rgba", [=] { return Saved(translucent(), "image/tiff"); }},
      {"tiff-written-rgb", [=] { return Saved(opaque(), "image/tiff"); }},
      {"tiff-rgb-lzw",
       [] {
         return Tiff({3, 8, PHOTOMETRIC_RGB, -1, 1, COMPRESSION_LZW});
       }},
      {"tiff-rgb-one-strip",
       [] {
         return Tiff({3, 8, PHOTOMETRIC_RGB, -1, 1, COMPRESSION_ADOBE_DEFLATE, 1000});
       }},
      {"tiff-rgba-unassociated",
       [] {
         return Tiff({4, 8, PHOTOMETRIC_RGB, 2});
       }},
      {"tiff-rgba-associated",
       [] {
         return Tiff({4, 8, PHOTOMETRIC_RGB, 1});
       }},
      {"tiff-rgb-unspecified-extra",
       [] {
         return Tiff({4, 8, PHOTOMETRIC_RGB, 0});
       }},
      {"tiff-rgb-16bit",
       [] {
         return Tiff({3, 16, PHOTOMETRIC_RGB});
       }},
      {"tiff-rgba-16bit",
       [] {
         return Tiff({4, 16, PHOTOMETRIC_RGB, 2});
       }},
      {"tiff-grey",
       [] {
         return Tiff({1, 8, PHOTOMETRIC_MINISBLACK});
       }},
      {"tiff-grey-white-is-zero",
       [] {
         return Tiff({1, 8, PHOTOMETRIC_MINISWHITE});
       }},
      {"tiff-grey-4bit",
       [] {
         return Tiff({1, 4, PHOTOMETRIC_MINISBLACK});
       }},
      {"tiff-bilevel",
       [] {
         return Tiff({1, 1, PHOTOMETRIC_MINISWHITE});
       }},
      {"tiff-grey-alpha",
       [] {
         return Tiff({2, 8, PHOTOMETRIC_MINISBLACK, 2});
       }},
      {"tiff-grey-alpha-1bit",
       [] {
         return Tiff({2, 1, PHOTOMETRIC_MINISBLACK, 2});
       }},
      {"tiff-grey-alpha-16bit",
       [] {
         return Tiff({2, 16, PHOTOMETRIC_MINISBLACK, 2});
       }},
      {"tiff-palette-8bit",
       [] {
         return Tiff({1, 8, PHOTOMETRIC_PALETTE});
       }},
      {"tiff-palette-4bit",
       [] {
         return Tiff({1, 4, PHOTOMETRIC_PALETTE});
       }},
      {"tiff-cmyk",
       [] {
         return Tiff({4, 8, PHOTOMETRIC_SEPARATED});
       }},
      {"tiff-planes",
       [] {
         return Tiff({3, 8, PHOTOMETRIC_RGB, -1, PLANARCONFIG_SEPARATE});
       }},
      {"tiff-planes-alpha",
       [] {
         return Tiff({4, 8, PHOTOMETRIC_RGB, 2, PLANARCONFIG_SEPARATE, COMPRESSION_LZW});
       }},
      {"tiff-tiles",
       [] {
         return Tiff({3, 8, PHOTOMETRIC_RGB, -1, 1, COMPRESSION_ADOBE_DEFLATE, 0, 16});
       }},
      {"tiff-tiles-alpha",
       [] {
         return Tiff({4, 8, PHOTOMETRIC_RGB, 2, 1, 1, 0, 16});
       }},
      {"tiff-bottom-up",
       [] {
         return Tiff({3, 8, PHOTOMETRIC_RGB, -1, 1, 1, 3, 0, 4});
       }},
      {"tiff-mirrored",
       [] {
         return Tiff({3, 8, PHOTOMETRIC_RGB, -1, 1, 1, 3, 0, 2});
       }},
      {"tiff-big",
       [] {
         return Tiff(
             {4, 8, PHOTOMETRIC_RGB, 2, 1, COMPRESSION_LZW, 3, 0, 1, 37, 29, PREDICTOR_NONE, true});
       }},
      {"tiff-jpeg-ycbcr",
       [] {
         return Tiff({3, 8, PHOTOMETRIC_YCBCR, -1, 1, COMPRESSION_JPEG, 16});
       }},
      // Cut files keep their outcome: what the strips that are there hold, the rest filled.
      {"tiff-taller-than-its-strips", [] { return WithSize(Tiff({}), 37, 40); }},
      // Strips are written first, the directory last: damage in the middle hits the data.
      {"tiff-damaged-one-strip",
       [] {
         const Bytes whole = Tiff({3, 8, PHOTOMETRIC_RGB, -1, 1, COMPRESSION_LZW, 1000, 0, 1, 37,
                                   29, PREDICTOR_HORIZONTAL});
         return Damaged(whole, whole.size() / 3, 24);
       }},
      {"tiff-damaged-strips",
       [] {
         const Bytes whole = Tiff({4, 8, PHOTOMETRIC_RGB, 2, 1, COMPRESSION_ADOBE_DEFLATE, 4, 0, 1,
                                   37, 29, PREDICTOR_HORIZONTAL});
         return Damaged(whole, whole.size() / 3, 24);
       }},
      {"tiff-cut-in-header", [] { return Cut(Tiff({}), 12); }, false},
      // Found by fuzzing: a strip whose codec runs short of data only warns.
      {"tiff-strip-short-of-data",
       [] { return ReadFile(kFixtures / "hostile-images/tiff_strip_short_of_data.tif"); }},
      {"tiff-too-large", [] { return WithSize(Tiff({}), 16384, 8193); }, false},
  };
  for (const auto& entry : fs::directory_iterator(kFixtures / "bmp")) {
    if (entry.path().extension() != ".bmp") continue;
    rows.push_back(
        {"bmp-" + entry.path().stem().string(), [path = entry.path()] { return ReadFile(path); }});
  }
  return rows;
}

// Where two pictures first differ, or "" when they are the same.
std::string Difference(const ArgbImage& got, const ArgbImage& want) {
  if (got.Width() != want.Width() || got.Height() != want.Height()) {
    return "size " + std::to_string(got.Width()) + "x" + std::to_string(got.Height()) + " vs " +
           std::to_string(want.Width()) + "x" + std::to_string(want.Height());
  }
  for (int y = 0; y < got.Height(); ++y) {
    for (int x = 0; x < got.Width(); ++x) {
      if (got.At(x, y) != want.At(x, y)) {
        char text[96];
        std::snprintf(text, sizeof text, "pixel %d,%d: %08X vs %08X", x, y, got.At(x, y),
                      want.At(x, y));
        return text;
      }
    }
  }
  return "";
}

// The rows [first, first + image height) of `whole`.
ArgbImage Band(const ArgbImage& whole, int first, int rows) {
  ArgbImage band(whole.Width(), rows);
  std::copy_n(whole.Row(first), static_cast<std::size_t>(rows) * whole.Width(), band.Data());
  return band;
}

TEST(RowDecoders, WholeAndFirstRowsEqualTheWholePicturePath) {
  for (const Row& row : Table()) {
    SCOPED_TRACE(row.name);
    const Bytes bytes = row.make();
    ASSERT_FALSE(bytes.empty());
    const ArgbImage reference = DecodeImageDataWhole(bytes.data(), bytes.size());
    ASSERT_EQ(!reference.Empty(), row.decodes);
    const ArgbImage whole = DecodeImageData(bytes.data(), bytes.size());
    EXPECT_EQ(Difference(whole, reference), "");
    if (reference.Empty()) continue;

    // Detection's reads: the first rows alone, then the rest in uneven bands.
    const int height = reference.Height();
    for (const int first : {1, std::min(height, 2), std::min(height, 5)}) {
      ImageReader reader;
      ASSERT_TRUE(reader.Open(MemorySource(bytes.data(), bytes.size())));
      ASSERT_EQ(reader.Width(), reference.Width());
      ASSERT_EQ(reader.Height(), height);
      ArgbImage band(reference.Width(), first);
      ASSERT_EQ(reader.ReadRows(band.Data(), first), first);
      EXPECT_EQ(Difference(band, Band(reference, 0, first)), "") << "first " << first;
      for (int next = first, step = 3; next < height; next += step, step += 4) {
        const int rows = std::min(step, height - next);
        band.Resize(reference.Width(), rows);
        ASSERT_EQ(reader.ReadRows(band.Data(), rows), rows);
        EXPECT_EQ(Difference(band, Band(reference, next, rows)), "")
            << "rows from " << next << " after " << first;
      }
      EXPECT_FALSE(reader.Failed());
    }
  }
}

TEST(RowDecoders, FirstPixelsOfAFileAreTheRowsThatHoldThem) {
  ScratchDir dir;
  const fs::path path = dir / "picture.tif";
  WriteFile(path, Tiff({4, 8, PHOTOMETRIC_RGB, 2, 1, COMPRESSION_LZW, 3, 0, 1, 100, 30}));
  const ArgbImage whole = DecodeImageFile(path);
  ASSERT_EQ(whole.Width(), 100);
  const struct {
    std::uint64_t pixels;
    int rows;
  } cases[] = {{1, 1}, {100, 1}, {101, 2}, {1152, 12}, {1u << 20, 30}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.pixels);
    int width = 0, height = 0;
    const ArgbImage first = DecodeFirstPixels(path, c.pixels, width, height);
    EXPECT_EQ(width, 100);
    EXPECT_EQ(height, 30);
    EXPECT_EQ(Difference(first, Band(whole, 0, c.rows)), "");
  }
  int width = 1, height = 1;
  EXPECT_TRUE(DecodeFirstPixels(dir / "missing.tif", 1152, width, height).Empty());
  EXPECT_EQ(width + height, 0);
}

// Grey with alpha on one plane: white-is-zero turns the grey round but not the alpha, and
// samples of every depth are read at their depth.
TEST(RowDecoders, GreyWithAlphaReadsEachSampleAtItsDepth) {
  const struct {
    std::uint16_t bits;
    std::uint16_t photometric;
    Bytes row;  // four pixels of grey, alpha
    std::vector<Argb> want;
  } cases[] = {
      {8,
       PHOTOMETRIC_MINISWHITE,
       {0, 255, 255, 255, 200, 0, 55, 128},
       {0xFFFFFFFF, 0xFF000000, 0x00373737, 0x80C8C8C8}},
      {4,
       PHOTOMETRIC_MINISBLACK,
       {0xF0, 0x8F, 0x3C, 0x01},
       {0x00FFFFFF, 0xFF888888, 0xCC333333, 0x11000000}},
      {2, PHOTOMETRIC_MINISWHITE, {0xD2, 0x70}, {0x55000000, 0xAAFFFFFF, 0xFFAAAAAA, 0x00FFFFFF}},
      {1, PHOTOMETRIC_MINISWHITE, {0x9C}, {0x00000000, 0xFFFFFFFF, 0xFF000000, 0x00FFFFFF}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bits);
    ScratchDir dir;
    const fs::path path = dir / "grey.tif";
    TIFF* tif = TIFFOpen(path.u8string().c_str(), "w");
    ASSERT_NE(tif, nullptr);
    const std::uint16_t alpha = EXTRASAMPLE_UNASSALPHA;
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, 4);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, 1);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, 2);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, c.bits);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, c.photometric);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, &alpha);
    Bytes row = c.row;
    ASSERT_EQ(TIFFWriteScanline(tif, row.data(), 0, 0), 1);
    TIFFClose(tif);
    const ArgbImage image = DecodeImageFile(path);
    ASSERT_EQ(image.Width(), 4);
    for (int x = 0; x < 4; ++x) EXPECT_EQ(image.At(x, 0), c.want[x]) << x;
  }
}

// Files are listed by a short signature, but only a full one reaches a decoder: the
// toolkit's GIF decoder crashed on a file that began "GIF" and then went astray.
TEST(RowDecoders, ListedFilesWithoutTheFullSignatureAreNotDecoded) {
  ScratchDir dir;
  const struct {
    const char* name;
    Bytes bytes;
  } cases[] = {
      {"gif", ReadFile(kFixtures / "hostile-images/gif_unknown_version.gif")},
      {"tiff", {'I', 'I', 0, 0, 8, 0, 0, 0, 0, 0}},
      {"png", {0x89, 'P', 'N', 'G', 0, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_GT(c.bytes.size(), 4u);
    WriteFile(dir / c.name, c.bytes);
    EXPECT_TRUE(IsImageFile(dir / c.name));
    EXPECT_TRUE(DecodeImageFile(dir / c.name).Empty());
    EXPECT_TRUE(DecodeImageData(c.bytes.data(), c.bytes.size()).Empty());
  }
}

// A file is listed as an image by exactly the signatures the toolkit's readers have always
// accepted, so a folder lists the same files as before.
TEST(RowDecoders, ListingAcceptsTheSignaturesItAlwaysDid) {
  ScratchDir dir;
  std::mt19937 random(17);
  std::vector<std::string> heads = {
      "",
      "I",
      "II",
      "MM*",
      "IM",
      "GIF",
      "GI",
      "GIF99",
      "\x89PNG",
      "\x89PN",
      "\xFF\xD8",
      "\xFF",
      "\xFF\xD9",
      "BM",
      "B",
      "BA",
      "P6\n",
      "\x0A\x05\x01\x08",
      "RIFF",
      std::string("\0\0\1\0\1\0", 6),
      std::string("\0\0\1\0\0\0", 6),
      std::string("\0\0\1\0\0\1", 6),
      std::string("\0\0\2\0\1\0", 6),
      std::string("\0\0\1\0", 4),
      std::string("\0\0\1\0\1", 5),
      std::string("\1\0\1\0\1\0", 6),
  };
  for (int i = 0; i < 300; ++i) {
    std::string head(1 + random() % 12, '\0');
    // Mostly signature-like first bytes, so that near misses are tried too.
    for (char& c : head) c = "\0\1\2IMGBFP\x89\xFF\xD8"[random() % 12];
    heads.push_back(head);
  }
  for (const std::string& head : heads) {
    WriteFile(dir / "probe", Bytes(head.begin(), head.end()));
    wxLogNull quiet;
    wxMemoryInputStream stream(head.data(), head.size());
    EXPECT_EQ(IsImageFile(dir / "probe"), wxImage::CanRead(stream))
        << ::testing::PrintToString(head);
  }
}

}  // namespace
}  // namespace veilmark::image
