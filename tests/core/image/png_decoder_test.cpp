// The PNG row decoder against the older whole-picture path: same pixels for every colour
// type, depth, transparency and interlacing; the first rows alone equal the same rows of
// the whole picture; broken files fail as they did; the size bound never refuses a real file.
#include "core/image/decoder.h"
#include "core/image/imaging.h"
#include "tests/core/image/row_reads.h"

#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace veilmark::image {
namespace {

using testing::DecodeInTwoReads;
using testing::DecodeRows;
using testing::ExpectSame;

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

struct PngCase {
  const char* name;
  int width, height;
  int colourType;  // PNG_COLOR_TYPE_*
  int depth;
  bool interlaced = false;
  bool trns = false;    // a transparency chunk (colour key, or palette alphas)
  int paletteSize = 0;  // 0: a full palette for the depth
  bool gammaAndSbit = false;
};

void WriteBytes(png_structp png, png_bytep data, std::size_t size) {
  auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
  out->insert(out->end(), data, data + size);
}

// Random samples; where a colour key decides transparency, samples come from four values
// so that the key is hit often.
Bytes MakePng(const PngCase& picture, std::uint32_t seed = 11) {
  Bytes out;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_set_write_fn(png, &out, WriteBytes, nullptr);
  png_set_check_for_invalid_index(png, 0);  // a short palette is one of the cases
  png_set_IHDR(png, info, picture.width, picture.height, picture.depth, picture.colourType,
               picture.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  std::mt19937 random(seed);
  const int maxIndex = (1 << picture.depth) - 1;
  if (picture.colourType == PNG_COLOR_TYPE_PALETTE) {
    const int entries = picture.paletteSize > 0 ? picture.paletteSize : maxIndex + 1;
    std::vector<png_color> palette(static_cast<std::size_t>(entries));
    for (png_color& c : palette) {
      c = {static_cast<png_byte>(random()), static_cast<png_byte>(random()),
           static_cast<png_byte>(random())};
    }
    png_set_PLTE(png, info, palette.data(), entries);
    if (picture.trns) {
      const png_byte alphas[] = {0, 128, 255, 7, 0};
      png_set_tRNS(png, info, alphas, std::min(entries, 5), nullptr);
    }
  } else if (picture.trns) {
    png_color_16 key{};
    key.gray = key.red = key.green = key.blue = static_cast<png_uint_16>(maxIndex);
    png_set_tRNS(png, info, nullptr, 0, &key);
  }
  if (picture.gammaAndSbit) {
    png_set_gAMA(png, info, 0.7);
    png_color_8 sbit{3, 3, 3, 3, 3};
    png_set_sBIT(png, info, &sbit);
  }
  png_write_info(png, info);
  if (picture.depth == 16) png_set_swap(png);  // rows below are host order, little-endian
  const std::size_t rowBytes = png_get_rowbytes(png, info);
  const bool keyed = picture.trns && picture.colourType != PNG_COLOR_TYPE_PALETTE;
  std::vector<Bytes> rows(static_cast<std::size_t>(picture.height), Bytes(rowBytes));
  for (Bytes& row : rows) {
    for (unsigned char& b : row) b = static_cast<unsigned char>(random());
    if (keyed && picture.depth >= 8) {
      for (std::size_t i = 0; i < row.size(); ++i) {
        if (random() % 2 == 0) row[i] = static_cast<unsigned char>(maxIndex);
      }
    }
  }
  std::vector<png_bytep> pointers;
  for (Bytes& row : rows) pointers.push_back(row.data());
  png_write_image(png, pointers.data());
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return out;
}

TEST(PngDecoder, IsBuilt) { EXPECT_NE(MakePngDecoder(), nullptr); }

TEST(PngDecoder, PixelsEqualTheOlderDecodeWholeAndInFirstRows) {
  const PngCase pictures[] = {
      {"grey 1-bit", 37, 23, PNG_COLOR_TYPE_GRAY, 1},
      {"grey 2-bit", 37, 23, PNG_COLOR_TYPE_GRAY, 2},
      {"grey 4-bit", 37, 23, PNG_COLOR_TYPE_GRAY, 4},
      {"grey 8-bit", 37, 23, PNG_COLOR_TYPE_GRAY, 8},
      {"grey 16-bit", 37, 23, PNG_COLOR_TYPE_GRAY, 16},
      {"grey 2-bit keyed", 37, 23, PNG_COLOR_TYPE_GRAY, 2, false, true},
      {"grey 8-bit keyed", 37, 23, PNG_COLOR_TYPE_GRAY, 8, false, true},
      {"grey 16-bit keyed", 37, 23, PNG_COLOR_TYPE_GRAY, 16, false, true},
      {"grey+alpha 8-bit", 37, 23, PNG_COLOR_TYPE_GRAY_ALPHA, 8},
      {"grey+alpha 16-bit", 37, 23, PNG_COLOR_TYPE_GRAY_ALPHA, 16},
      {"rgb 8-bit", 37, 23, PNG_COLOR_TYPE_RGB, 8},
      {"rgb 16-bit", 37, 23, PNG_COLOR_TYPE_RGB, 16},
      {"rgb 8-bit keyed", 37, 23, PNG_COLOR_TYPE_RGB, 8, false, true},
      {"rgb 16-bit keyed", 37, 23, PNG_COLOR_TYPE_RGB, 16, false, true},
      {"rgba 8-bit", 37, 23, PNG_COLOR_TYPE_RGB_ALPHA, 8},
      {"rgba 16-bit", 37, 23, PNG_COLOR_TYPE_RGB_ALPHA, 16},
      {"palette 1-bit", 37, 23, PNG_COLOR_TYPE_PALETTE, 1},
      {"palette 2-bit", 37, 23, PNG_COLOR_TYPE_PALETTE, 2},
      {"palette 4-bit", 37, 23, PNG_COLOR_TYPE_PALETTE, 4},
      {"palette 8-bit", 37, 23, PNG_COLOR_TYPE_PALETTE, 8},
      {"palette 8-bit with alphas", 37, 23, PNG_COLOR_TYPE_PALETTE, 8, false, true},
      {"palette shorter than the indices", 37, 23, PNG_COLOR_TYPE_PALETTE, 4, false, false, 5},
      {"gamma and significant bits", 37, 23, PNG_COLOR_TYPE_RGB, 8, false, false, 0, true},
      {"interlaced grey 1-bit", 37, 23, PNG_COLOR_TYPE_GRAY, 1, true},
      {"interlaced rgba 16-bit", 37, 23, PNG_COLOR_TYPE_RGB_ALPHA, 16, true},
      {"interlaced palette with alphas", 37, 23, PNG_COLOR_TYPE_PALETTE, 4, true, true},
      {"interlaced rgb 1x1", 1, 1, PNG_COLOR_TYPE_RGB, 8, true},
      {"interlaced rgb 3x5", 3, 5, PNG_COLOR_TYPE_RGB, 8, true},
      {"interlaced grey+alpha 9x17", 9, 17, PNG_COLOR_TYPE_GRAY_ALPHA, 8, true},
      {"one wide row", 4000, 1, PNG_COLOR_TYPE_RGB, 8},
      {"larger than the read buffer", 300, 200, PNG_COLOR_TYPE_RGB_ALPHA, 16},
  };
  for (const PngCase& picture : pictures) {
    SCOPED_TRACE(picture.name);
    const Bytes bytes = MakePng(picture);
    const ArgbImage whole = DecodeImageDataWhole(bytes.data(), bytes.size());
    ASSERT_FALSE(whole.Empty());
    const ArgbImage full = DecodeImageData(bytes.data(), bytes.size());
    ExpectSame(whole, full, whole.Height());
    for (const int rows : {1, 3}) {
      if (rows <= whole.Height()) ExpectSame(whole, DecodeRows(bytes, rows), rows);
    }
    if (whole.Height() > 3) ExpectSame(whole, DecodeInTwoReads(bytes, 3), whole.Height());
  }
}

// Offset of the first byte of the chunk `type` (its length field).
std::size_t FindChunk(const Bytes& png, const char* type) {
  for (std::size_t at = 8; at + 8 <= png.size();) {
    const std::uint32_t length = std::uint32_t{png[at]} << 24 | std::uint32_t{png[at + 1]} << 16 |
                                 std::uint32_t{png[at + 2]} << 8 | png[at + 3];
    if (std::string(png.begin() + static_cast<std::ptrdiff_t>(at + 4),
                    png.begin() + static_cast<std::ptrdiff_t>(at + 8)) == type) {
      return at;
    }
    at += 12 + length;
  }
  return png.size();
}

TEST(PngDecoder, BrokenFilesFailAsBeforeWhileIntactFirstRowsStillRead) {
  const Bytes good = MakePng({"rgb", 64, 48, PNG_COLOR_TYPE_RGB, 8});
  const std::size_t idat = FindChunk(good, "IDAT");
  const std::size_t iend = FindChunk(good, "IEND");
  ASSERT_LT(iend, good.size());
  const struct {
    const char* name;
    Bytes bytes;
    bool firstRowReads;
  } cases[] = {
      {"cut inside the pixel data",
       Bytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(idat + 8 + 40)), false},
      {"cut before the end marker",
       Bytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(iend)), true},
      {"pixel data checksum wrong",
       [&] {
         Bytes b = good;
         b[iend - 1] ^= 0x55;  // the last byte of the IDAT checksum
         return b;
       }(),
       true},  // checked only once the chunk has been read
      {"header checksum wrong",
       [&] {
         Bytes b = good;
         b[8 + 8 + 13] ^= 0x55;
         return b;
       }(),
       false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_TRUE(DecodeImageDataWhole(c.bytes.data(), c.bytes.size()).Empty());
    EXPECT_TRUE(DecodeImageData(c.bytes.data(), c.bytes.size()).Empty());
    const ArgbImage first = DecodeRows(c.bytes, 1);
    EXPECT_EQ(!first.Empty(), c.firstRowReads);
  }
}

TEST(PngDecoder, SizeBoundRefusesWhatTheFileCannotHoldButNeverARealPicture) {
  // A header declaring 10000 x 10000 RGBA (4e8 bytes inflated) over a few hundred bytes.
  Bytes claim = MakePng({"rgba", 16, 16, PNG_COLOR_TYPE_RGB_ALPHA, 8});
  const unsigned char size[] = {0, 0, 0x27, 0x10, 0, 0, 0x27, 0x10};
  std::copy(std::begin(size), std::end(size), claim.begin() + 16);
  const std::uint32_t crc = static_cast<std::uint32_t>(crc32(0, claim.data() + 12, 17));
  for (int i = 0; i < 4; ++i) claim[29 + i] = static_cast<unsigned char>(crc >> (24 - 8 * i));
  auto refused = MakePngDecoder();
  auto source = MemorySource(claim.data(), claim.size());
  EXPECT_FALSE(refused->Open(*source));

  // The kept bomb inflates at about the best ratio deflate has, and it is a real picture:
  // 16384 x 8192 black pixels. Its first row reads without decoding the rest.
  const fs::path bomb =
      fs::path(VEILMARK_SOURCE_DIR) / "tests/fixtures/hostile-images/png_bomb_1bit_2p27.png";
  int width = 0, height = 0;
  const ArgbImage first = DecodeFirstPixels(bomb, 1152, width, height);
  EXPECT_EQ(width, 16384);
  EXPECT_EQ(height, 8192);
  ASSERT_EQ(first.Height(), 1);
  for (int x = 0; x < first.Width(); ++x) ASSERT_EQ(first.Row(0)[x], 0xFF000000u);
}

}  // namespace
}  // namespace veilmark::image
