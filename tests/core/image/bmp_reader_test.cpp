// Our BMP reader against wx's loader on valid files, and against hostile ones.
#include "core/image/bmp_reader.h"
#include "core/image/declared_size.h"
#include "core/image/imaging.h"
#include "tests/core/image/test_support.h"

#include <gtest/gtest.h>
#include <wx/imagbmp.h>
#include <wx/log.h>
#include <wx/mstream.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace veilmark::image {
namespace {

using testing::NoiseImage;
using testing::ScratchDir;
using Bytes = std::vector<unsigned char>;

const std::string kFixtures = std::string(VEILMARK_SOURCE_DIR) + "/tests/fixtures/";

Bytes ReadFixture(const std::string& name) {
  std::ifstream in(kFixtures + name, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// What wx's own BMP loader makes of a valid file.
ArgbImage WxDecode(const Bytes& bytes) {
  wxLogNull quiet;
  wxMemoryInputStream stream(bytes.data(), bytes.size());
  wxImage image;
  if (!image.LoadFile(stream, wxBITMAP_TYPE_BMP)) return {};
  return FromWxImage(image);
}

void Put(Bytes& b, std::size_t at, std::uint32_t value, int size) {
  if (b.size() < at + static_cast<std::size_t>(size)) b.resize(at + static_cast<std::size_t>(size));
  for (int i = 0; i < size; ++i) b[at + static_cast<std::size_t>(i)] = (value >> (8 * i)) & 0xFFu;
}

struct Dib {
  std::uint32_t infoSize = 40;
  std::int32_t width = 5;
  std::int32_t height = 3;  // negative: top-down
  std::uint32_t bits = 24;
  std::uint32_t compression = 0;
  std::vector<std::uint32_t> palette;  // 0x00RRGGBB
  std::vector<std::uint32_t> masks;    // after a 40-byte header, or inside a larger one
  Bytes pixels;
};

// A BMP file with the header fields given and the pixel bytes as they are.
Bytes MakeBmp(const Dib& d) {
  Bytes b;
  b.push_back('B');
  b.push_back('M');
  Put(b, 14, d.infoSize, 4);
  Put(b, 18, static_cast<std::uint32_t>(d.width), 4);
  Put(b, 22, static_cast<std::uint32_t>(d.height), 4);
  Put(b, 26, 1, 2);
  Put(b, 28, d.bits, 2);
  Put(b, 30, d.compression, 4);
  Put(b, 46, static_cast<std::uint32_t>(d.palette.size()), 4);
  b.resize(14 + d.infoSize);
  std::size_t at = d.infoSize == 40 ? b.size() : 14 + 40;
  for (std::uint32_t m : d.masks) {
    Put(b, at, m, 4);
    at += 4;
  }
  for (std::uint32_t c : d.palette) Put(b, b.size(), c, 4);
  Put(b, 10, static_cast<std::uint32_t>(b.size()), 4);
  b.insert(b.end(), d.pixels.begin(), d.pixels.end());
  Put(b, 2, static_cast<std::uint32_t>(b.size()), 4);
  return b;
}

// Rows of `stride` bytes counting up from 0, so that every pixel differs.
Bytes Ramp(std::size_t stride, int rows, unsigned start = 1) {
  Bytes p(stride * static_cast<std::size_t>(rows));
  for (std::size_t i = 0; i < p.size(); ++i) p[i] = static_cast<unsigned char>(start + 37 * i);
  return p;
}

const std::vector<std::uint32_t> kPalette16 = {
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
    0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};

TEST(BmpReader, DecodesValidFilesAsWxDoes) {
  struct Case {
    std::string name;
    Bytes bytes;
    Bytes reference;  // decoded by wx instead of `bytes`, when wx misreads those
  };
  std::vector<Case> cases;
  // Written by ImageMagick: palettes of 1, 4 and 8 bits, RLE8, 24 bits with the small and
  // the large header, 16-bit and 32-bit bit fields (with alpha), and the old 12-byte header.
  for (const char* name :
       {"im_1bit.bmp", "im_4bit.bmp", "im_8bit.bmp", "im_rle8.bmp", "im_24bit.bmp",
        "im_24bit_v5.bmp", "im_555.bmp", "im_565.bmp", "im_32alpha.bmp", "im_os2_8bit.bmp"}) {
    cases.push_back({name, ReadFixture(std::string("bmp/") + name), {}});
  }
  // wx reads ImageMagick's RLE8 wrongly; it holds the same pixels as the 8-bit file.
  cases[3].reference = ReadFixture("bmp/im_8bit.bmp");
  // Written by wx.
  {
    ScratchDir dir;
    const ArgbImage noise = NoiseImage(13, 7, false);
    for (const auto& [label, format] :
         std::vector<std::pair<std::string, int>>{{"wx 24", wxBMP_24BPP},
                                                  {"wx 8 grey", wxBMP_8BPP_GREY},
                                                  {"wx 4", wxBMP_4BPP},
                                                  {"wx 1", wxBMP_1BPP}}) {
      wxImage image = ToWxImage(noise);
      image.SetOption(wxIMAGE_OPTION_BMP_FORMAT, format);
      wxMemoryOutputStream out;
      ASSERT_TRUE(image.SaveFile(out, wxBITMAP_TYPE_BMP)) << label;
      Bytes bytes(out.GetSize());
      out.CopyTo(bytes.data(), bytes.size());
      cases.push_back({label, bytes, {}});
    }
  }
  const auto made = [&cases](const std::string& name, const Bytes& bytes) {
    cases.push_back({name, bytes, {}});
  };
  // Made here: what the writers above never produce.
  const auto palette = [](std::size_t n) {
    return std::vector<std::uint32_t>(kPalette16.begin(),
                                      kPalette16.begin() + static_cast<std::ptrdiff_t>(n));
  };
  made("24 top-down", MakeBmp({40, 5, -3, 24, 0, {}, {}, Ramp(16, 3)}));
  made("32 no alpha", MakeBmp({40, 5, 3, 32, 0, {}, {}, [] {
                                 Bytes p = Ramp(20, 3);
                                 for (std::size_t i = 3; i < p.size(); i += 4) p[i] = 0;
                                 return p;
                               }()}));
  made("32 alpha", MakeBmp({40, 5, 3, 32, 0, {}, {}, Ramp(20, 3)}));
  made("16 555", MakeBmp({40, 5, 3, 16, 0, {}, {}, Ramp(12, 3)}));
  const Dib fields565{124, 5, 3, 16, 3, {}, {0xF800, 0x07E0, 0x001F}, Ramp(12, 3, 9)};
  const Dib fields32{124, 5, 3, 32, 3, {}, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}, Ramp(20, 3, 5)};
  made("16 565 fields", MakeBmp(fields565));
  made("32 fields", MakeBmp(fields32));
  // wx does not read the masks that follow a 40-byte header; they mean the same.
  for (Dib dib : {fields565, fields32}) {
    const Bytes large = MakeBmp(dib);
    dib.infoSize = 40;
    dib.masks.resize(3);
    const Bytes small = MakeBmp(dib);
    EXPECT_TRUE(DecodeBmp(small.data(), small.size()) == DecodeBmp(large.data(), large.size()))
        << dib.bits;
  }
  made("4 short palette", MakeBmp({40, 7, 2, 4, 0, palette(6), {}, [] {
                                     Bytes p = Ramp(4, 2);
                                     for (auto& c : p) c &= 0x55;  // indices 0,1,4,5
                                     return p;
                                   }()}));
  // RLE4: runs, a literal of odd length, end of line, a delta, end of picture.
  made(
      "rle4",
      MakeBmp({40, 7, 4, 4, 2, palette(16), {}, {0x07, 0x1A,  // 7 pixels 1,A,1,A,...
                                                 0x00, 0x00,  // end of line
                                                 0x00, 0x05, 0x23, 0x45, 0x60,  // literal 2,3,4,5,6
                                                 0x00,                          // pad
                                                 0x02, 0xFF, 0x00, 0x00,  // 2 pixels, end of line
                                                 0x00, 0x02, 0x02, 0x01,  // delta 2 right, 1 up
                                                 0x03, 0xC7, 0x00, 0x01}}));
  made("rle8", MakeBmp({40,
                        6,
                        3,
                        8,
                        1,
                        palette(16),
                        {},
                        {0x06, 0x03, 0x00, 0x00, 0x00, 0x03, 0x09, 0x0A, 0x0B, 0x00, 0x03, 0x0C,
                         0x00, 0x00, 0x02, 0x0E, 0x00, 0x01}}));

  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const ArgbImage expected = WxDecode(c.reference.empty() ? c.bytes : c.reference);
    if (expected.Empty()) {
      ADD_FAILURE() << "wx does not read it";
      continue;
    }
    const ArgbImage ours = DecodeBmp(c.bytes.data(), c.bytes.size());
    ASSERT_EQ(ours.Width(), expected.Width());
    ASSERT_EQ(ours.Height(), expected.Height());
    int mismatches = 0;
    for (int y = 0; y < ours.Height() && mismatches < 3; ++y) {
      for (int x = 0; x < ours.Width() && mismatches < 3; ++x) {
        if (ours.At(x, y) == expected.At(x, y)) continue;
        ++mismatches;
        ADD_FAILURE() << std::hex << "at " << std::dec << x << "," << y << ": 0x" << std::hex
                      << ours.At(x, y) << " instead of 0x" << expected.At(x, y);
      }
    }
    // And the program's decoder reads BMP with it.
    EXPECT_TRUE(DecodeImageData(c.bytes.data(), c.bytes.size()) == ours);
  }
}

TEST(BmpReader, HostileFilesGiveNothingOrAClippedPicture) {
  const auto palette = std::vector<std::uint32_t>(kPalette16.begin(), kPalette16.end());
  struct Case {
    std::string name;
    Bytes bytes;
    int width;  // 0: the decode fails
    int height;
  };
  const std::vector<Case> cases = {
      {"rle4 runs wider than the row", ReadFixture("hostile-images/bmp_rle4_odd.bmp"), 15, 15},
      {"mutated rle4 a", ReadFixture("hostile-images/m0163_rle4_real.bmp"), -1, -1},
      {"mutated rle4 b", ReadFixture("hostile-images/m0368_rle4_real.bmp"), -1, -1},
      {"rle8 declaring 2^27 + 8192 pixels", MakeBmp({40, 16385, 8192, 8, 1, palette, {}, {0, 1}}),
       0, 0},
      {"rle8 run of 255 in a row of 2", MakeBmp({40, 2, 2, 8, 1, palette, {}, {0xFF, 0x01}}), 2, 2},
      {"rle8 literal past the row",
       MakeBmp({40, 2, 1, 8, 1, palette, {}, {0x00, 0x05, 1, 2, 3, 4, 5, 0}}), 2, 1},
      {"rle8 literal past the file", MakeBmp({40, 2, 1, 8, 1, palette, {}, {0x00, 0x40, 1}}), 0, 0},
      {"rle8 delta far off the picture",
       MakeBmp({40, 3, 2, 8, 1, palette, {}, {0, 2, 255, 0, 4, 1, 0, 2, 0, 255, 4, 2}}), 3, 2},
      {"rle8 index beyond the palette", MakeBmp({40, 2, 1, 8, 1, {0xFFFFFF}, {}, {2, 200, 0, 1}}),
       2, 1},
      {"rle4 top-down", MakeBmp({40, 2, -2, 4, 2, palette, {}, {0, 1}}), 0, 0},
      {"rows cut short", MakeBmp({40, 5, 3, 24, 0, {}, {}, Ramp(16, 2)}), 0, 0},
      {"pixels start past the end",
       [] {
         Bytes b = MakeBmp({40, 1, 1, 24, 0, {}, {}, Ramp(4, 1)});
         Put(b, 10, 0xFFFFFFF0u, 4);
         return b;
       }(),
       0, 0},
      {"width 0", MakeBmp({40, 0, 3, 24, 0, {}, {}, Ramp(4, 3)}), 0, 0},
      {"width negative", MakeBmp({40, -4, 3, 24, 0, {}, {}, Ramp(12, 3)}), 0, 0},
      {"height INT_MIN", MakeBmp({40, 1, INT32_MIN, 24, 0, {}, {}, Ramp(4, 1)}), 0, 0},
      {"65536 x 65536", MakeBmp({40, 65536, 65536, 1, 0, {}, {}, Ramp(4, 4)}), 0, 0},
      {"7 bits", MakeBmp({40, 2, 2, 7, 0, {}, {}, Ramp(4, 2)}), 0, 0},
      {"unknown compression", MakeBmp({40, 2, 2, 24, 4, {}, {}, Ramp(8, 2)}), 0, 0},
      {"fields masks missing", Bytes{'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 54, 0,  0, 0, 40, 0, 0,
                                     0,   1,   0, 0, 0, 1, 0, 0, 0, 1, 0,  32, 0, 3, 0,  0, 0},
       0, 0},
      {"header cut short", Bytes{'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40}, 0, 0},
      {"header size 200", MakeBmp({200, 1, 1, 24, 0, {}, {}, Ramp(4, 1)}), 0, 0},
      {"only the signature", Bytes{'B', 'M'}, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const ArgbImage image = DecodeBmp(c.bytes.data(), c.bytes.size());
    if (c.width < 0) continue;  // anything but a crash
    EXPECT_EQ(image.Width(), c.width);
    EXPECT_EQ(image.Height(), c.height);
  }
}

// RLE rows are drawn one by one from where the stream enters them; very tall pictures are
// drawn whole instead. Both must place every run, skip and carried-over column the same.
TEST(BmpReader, RleRowsLandWhereTheStreamPutsThem) {
  const auto palette = std::vector<std::uint32_t>(kPalette16.begin(), kPalette16.end());
  for (const std::int32_t height : {1000, (1 << 20) + 3}) {
    SCOPED_TRACE(height);
    // Stream row r: every fifth row skipped by a delta, which moves one column right too;
    // the others a run of two in colour r % 16 (after that column, if it was carried).
    Bytes stream;
    for (std::int32_t r = 0; r < height; ++r) {
      if (r % 5 == 4) {
        stream.insert(stream.end(), {0, 2, 1, 1});
      } else {
        stream.insert(stream.end(), {2, static_cast<unsigned char>(r % 16), 0, 0});
      }
    }
    const Bytes file = MakeBmp({40, 4, height, 8, 1, palette, {}, stream});
    ImageReader reader;
    ASSERT_TRUE(reader.Open(MemorySource(file.data(), file.size())));
    ArgbImage rows(4, 1);
    for (std::int32_t y = 0; y < height; ++y) {
      ASSERT_EQ(reader.ReadRows(rows.Data(), 1), 1);
      const std::int32_t r = height - 1 - y;
      const bool carried = r % 5 == 0 && r > 0;
      for (int x = 0; x < 4; ++x) {
        const bool drawn = x >= (carried ? 1 : 0) && x < (carried ? 3 : 2) && r % 5 != 4;
        const Argb want = drawn ? (0xFF000000u | kPalette16[r % 16]) : 0xFF000000u;
        if (rows.At(x, 0) != want) {
          FAIL() << "row " << y << " column " << x << ": " << std::hex << rows.At(x, 0);
        }
      }
    }
  }
}

}  // namespace
}  // namespace veilmark::image
