// The GIF row decoder against the older whole-picture path: same pixels (first frame at its
// own size, transparency as magenta with alpha 0) whole and in the first rows; damaged LZW
// data gives a partial picture or a failed read, never a crash.
#include "core/image/decoder.h"
#include "core/image/imaging.h"
#include "tests/core/image/row_reads.h"

#include <gif_lib.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <vector>

namespace veilmark::image {
namespace {

using testing::DecodeInTwoReads;
using testing::DecodeRows;
using testing::ExpectSame;

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

struct Frame {
  int left = 0, top = 0, width = 0, height = 0;
  bool interlaced = false;
  int localColours = 0;  // 0: the global colour map
  int transparent = -1;  // written in a graphic control block before the frame
};

struct GifCase {
  const char* name;
  int screenWidth, screenHeight;
  int globalColours;  // 0: none
  std::vector<Frame> frames;
  bool gif89 = true;
  bool extrasFirst = false;       // a comment and an application block before the frame
  bool magentaInPalette = false;  // entry 1 of every map is (255, 0, 255)
};

int WriteBytes(GifFileType* gif, const GifByteType* data, int size) {
  auto* out = static_cast<Bytes*>(gif->UserData);
  out->insert(out->end(), data, data + size);
  return size;
}

ColorMapObject* RandomMap(int colours, std::mt19937& random, bool magenta) {
  ColorMapObject* map = GifMakeMapObject(colours, nullptr);
  for (int i = 0; i < colours; ++i) {
    map->Colors[i] = {static_cast<GifByteType>(random()), static_cast<GifByteType>(random()),
                      static_cast<GifByteType>(random())};
  }
  if (magenta && colours > 1) map->Colors[1] = {255, 0, 255};
  return map;
}

Bytes MakeGif(const GifCase& picture, std::uint32_t seed = 5) {
  Bytes out;
  std::mt19937 random(seed);
  int error = 0;
  GifFileType* gif = EGifOpen(&out, WriteBytes, &error);
  EGifSetGifVersion(gif, picture.gif89);
  ColorMapObject* global = picture.globalColours > 0
                               ? RandomMap(picture.globalColours, random, picture.magentaInPalette)
                               : nullptr;
  EGifPutScreenDesc(gif, picture.screenWidth, picture.screenHeight, 8, 0, global);
  if (picture.extrasFirst) {
    EGifPutComment(gif, "made for a test");
    const GifByteType loop[] = {1, 0, 0};
    EGifPutExtensionLeader(gif, APPLICATION_EXT_FUNC_CODE);
    EGifPutExtensionBlock(gif, 11, "NETSCAPE2.0");
    EGifPutExtensionBlock(gif, 3, loop);
    EGifPutExtensionTrailer(gif);
  }
  for (const Frame& f : picture.frames) {
    if (f.transparent >= 0) {
      const GifByteType control[] = {1, 0, 0, static_cast<GifByteType>(f.transparent)};
      EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, control);
    }
    ColorMapObject* local =
        f.localColours > 0 ? RandomMap(f.localColours, random, picture.magentaInPalette) : nullptr;
    const int colours = f.localColours > 0 ? f.localColours : picture.globalColours;
    EGifPutImageDesc(gif, f.left, f.top, f.width, f.height, f.interlaced, local);
    std::vector<std::vector<GifPixelType>> rows(static_cast<std::size_t>(f.height));
    for (auto& row : rows) {
      row.resize(static_cast<std::size_t>(f.width));
      for (GifPixelType& p : row) p = static_cast<GifPixelType>(random() % colours);
    }
    const auto put = [&](int y) {
      EGifPutLine(gif, rows[static_cast<std::size_t>(y)].data(), f.width);
    };
    if (f.interlaced) {
      const int start[] = {0, 4, 2, 1}, step[] = {8, 8, 4, 2};
      for (int pass = 0; pass < 4; ++pass) {
        for (int y = start[pass]; y < f.height; y += step[pass]) put(y);
      }
    } else {
      for (int y = 0; y < f.height; ++y) put(y);
    }
    GifFreeMapObject(local);
  }
  EGifCloseFile(gif, &error);
  GifFreeMapObject(global);
  return out;
}

TEST(GifDecoder, IsBuilt) { EXPECT_NE(MakeGifDecoder(), nullptr); }

TEST(GifDecoder, PixelsEqualTheOlderDecodeWholeAndInFirstRows) {
  const GifCase pictures[] = {
      {"two colours", 13, 7, 2, {{0, 0, 13, 7}}},
      {"sixteen colours", 40, 30, 16, {{0, 0, 40, 30}}},
      {"256 colours", 40, 30, 256, {{0, 0, 40, 30}}},
      {"larger than the read buffer", 400, 300, 256, {{0, 0, 400, 300}}},
      {"local map over the global one", 40, 30, 4, {{0, 0, 40, 30, false, 8}}},
      {"local map only", 40, 30, 0, {{0, 0, 40, 30, false, 32}}},
      {"transparent index", 40, 30, 16, {{0, 0, 40, 30, false, 0, 3}}},
      {"transparent index and an opaque magenta",
       40,
       30,
       16,
       {{0, 0, 40, 30, false, 0, 3}},
       true,
       false,
       true},
      {"transparent index past the map", 20, 10, 4, {{0, 0, 20, 10, false, 0, 200}}},
      {"frame smaller than the screen, offset", 50, 40, 8, {{7, 5, 20, 10}}},
      {"frame larger than the screen", 10, 10, 8, {{0, 0, 31, 17}}},
      {"interlaced, one row", 9, 1, 4, {{0, 0, 9, 1, true}}},
      {"interlaced, two rows", 9, 2, 4, {{0, 0, 9, 2, true}}},
      {"interlaced, five rows", 9, 5, 4, {{0, 0, 9, 5, true}}},
      {"interlaced, seventeen rows", 23, 17, 64, {{0, 0, 23, 17, true, 0, 5}}},
      {"GIF87a", 40, 30, 16, {{0, 0, 40, 30}}, false},
      {"extension blocks before the frame", 40, 30, 16, {{0, 0, 40, 30, false, 0, 2}}, true, true},
      {"second frame ignored",
       40,
       30,
       16,
       {{0, 0, 40, 30, false, 0, 1}, {3, 3, 10, 10, false, 4, 2}}},
  };
  for (const GifCase& picture : pictures) {
    SCOPED_TRACE(picture.name);
    const Bytes bytes = MakeGif(picture);
    const ArgbImage whole = DecodeImageDataWhole(bytes.data(), bytes.size());
    ASSERT_FALSE(whole.Empty());
    ASSERT_EQ(whole.Width(), picture.frames[0].width);
    const ArgbImage full = DecodeImageData(bytes.data(), bytes.size());
    ExpectSame(whole, full, whole.Height());
    for (const int rows : {1, 3}) {
      if (rows <= whole.Height()) ExpectSame(whole, DecodeRows(bytes, rows), rows);
    }
    if (whole.Height() > 3) ExpectSame(whole, DecodeInTwoReads(bytes, 3), whole.Height());
  }
}

// LZW codes packed least significant bit first, each with its width.
Bytes PackCodes(const std::vector<std::pair<int, int>>& codes) {
  Bytes out;
  std::uint32_t bits = 0;
  int count = 0;
  for (const auto& [code, width] : codes) {
    bits |= static_cast<std::uint32_t>(code) << count;
    count += width;
    while (count >= 8) {
      out.push_back(static_cast<unsigned char>(bits));
      bits >>= 8;
      count -= 8;
    }
  }
  if (count > 0) out.push_back(static_cast<unsigned char>(bits));
  return out;
}

// A GIF89a frame with four colours (index i is (i, i, i) times 60) and the given raster data
// after the code size.
Bytes SmallGif(int codeSize, const Bytes& lzw, unsigned char screenWidth = 4, int width = 4,
               int height = 4) {
  Bytes out = {'G', 'I', 'F', '8', '9', 'a', screenWidth, 0, 4, 0, 0x81, 0, 0};
  for (int i = 0; i < 4; ++i) out.insert(out.end(), 3, static_cast<unsigned char>(60 * i));
  const unsigned char frame[] = {0x2C,
                                 0,
                                 0,
                                 0,
                                 0,
                                 static_cast<unsigned char>(width),
                                 static_cast<unsigned char>(width >> 8),
                                 static_cast<unsigned char>(height),
                                 static_cast<unsigned char>(height >> 8),
                                 0};
  out.insert(out.end(), std::begin(frame), std::end(frame));
  out.push_back(static_cast<unsigned char>(codeSize));
  for (std::size_t at = 0; at < lzw.size(); at += 255) {
    const std::size_t n = std::min<std::size_t>(255, lzw.size() - at);
    out.push_back(static_cast<unsigned char>(n));
    out.insert(out.end(), lzw.begin() + static_cast<std::ptrdiff_t>(at),
               lzw.begin() + static_cast<std::ptrdiff_t>(at + n));
  }
  out.push_back(0);
  out.push_back(0x3B);
  return out;
}

// `pixels` (indices below 4) as literal codes of a two-bit code size, with a clear code
// whenever the code width would grow, then the end code.
Bytes Literals(const std::vector<int>& pixels) {
  std::vector<std::pair<int, int>> codes = {{4, 3}};
  int width = 3, next = 6;
  bool first = true;
  for (const int p : pixels) {
    codes.emplace_back(p, width);
    if (!first && ++next > (1 << width) - 1) {
      codes.emplace_back(4, ++width);
      width = 3;
      next = 6;
      first = true;
      continue;
    }
    first = false;
  }
  codes.emplace_back(5, width);
  return PackCodes(codes);
}

// `pixels` as literal codes with no clear code after the first: the code table fills up
// and stays full (a "deferred clear", which the format allows).
Bytes LiteralsWithoutClear(const std::vector<int>& pixels) {
  std::vector<std::pair<int, int>> codes = {{4, 3}};
  int width = 3, next = 6;
  for (std::size_t i = 0; i < pixels.size(); ++i) {
    codes.emplace_back(pixels[i], width);
    if (i > 0 && next < 4096 && ++next > (1 << width) - 1 && width < 12) ++width;
  }
  codes.emplace_back(5, width);
  return PackCodes(codes);
}

Argb Grey(int index) {
  const auto v = static_cast<Argb>(60 * index);
  return 0xFF000000u | v << 16 | v << 8 | v;
}

TEST(GifDecoder, DataEndingEarlyLeavesTheRestAtTheFirstColour) {
  // Clear, pixels 1, 2, 3, end: three of sixteen pixels. The older decoder left the rest
  // unwritten; now it is index 0.
  const Bytes bytes = SmallGif(2, PackCodes({{4, 3}, {1, 3}, {2, 3}, {3, 3}, {5, 4}}));
  const ArgbImage whole = DecodeImageDataWhole(bytes.data(), bytes.size());
  const ArgbImage image = DecodeImageData(bytes.data(), bytes.size());
  ASSERT_EQ(image.Width(), 4);
  ASSERT_EQ(image.Height(), 4);
  ASSERT_EQ(whole.Width(), 4);
  for (int i = 0; i < 16; ++i) {
    const Argb expected = i < 3 ? Grey(i + 1) : Grey(0);
    EXPECT_EQ(image.Data()[i], expected) << i;
    if (i < 3) {
      EXPECT_EQ(whole.Data()[i], expected) << i;
    }
  }
}

TEST(GifDecoder, HandPackedLzwDecodesAsBefore) {
  std::vector<int> pixels;
  for (int i = 0; i < 16; ++i) pixels.push_back((i * 7) % 4);
  const Bytes bytes = SmallGif(2, Literals(pixels));
  const ArgbImage whole = DecodeImageDataWhole(bytes.data(), bytes.size());
  const ArgbImage image = DecodeImageData(bytes.data(), bytes.size());
  ASSERT_EQ(image.PixelCount(), 16u);
  ExpectSame(whole, image, 4);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(image.Data()[i], Grey(pixels[i])) << i;
}

// The older decoder refused a frame whose code table filled up without a clear code (and
// leaked the frame doing so, hence no comparison here).
TEST(GifDecoder, FullCodeTableWithoutAClearCodeReads) {
  std::vector<int> pixels;
  for (int i = 0; i < 80 * 60; ++i) pixels.push_back((i * 5 + i / 80) % 4);
  const Bytes bytes = SmallGif(2, LiteralsWithoutClear(pixels), 80, 80, 60);
  const ArgbImage image = DecodeImageData(bytes.data(), bytes.size());
  ASSERT_EQ(image.PixelCount(), pixels.size());
  for (std::size_t i = 0; i < pixels.size(); ++i) {
    ASSERT_EQ(image.Data()[i], Grey(pixels[i])) << i;
  }
}

TEST(GifDecoder, HostileDataFailsOrGivesAPartialPicture) {
  std::vector<int> pixels(16, 2);
  const Bytes intact = SmallGif(2, Literals(pixels));
  const Bytes animation = MakeGif({"two frames", 20, 20, 16, {{0, 0, 20, 20}, {0, 0, 20, 20}}});
  const Bytes secondFrameCut(animation.begin(), animation.end() - 40);
  EXPECT_TRUE(DecodeImageDataWhole(secondFrameCut.data(), secondFrameCut.size()).Empty());
  const fs::path hostile = fs::path(VEILMARK_SOURCE_DIR) / "tests/fixtures/hostile-images";
  const auto fixture = [&](const char* name) {
    std::ifstream in(hostile / name, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
  };
  const struct {
    const char* name;
    Bytes bytes;
    bool decodes;
  } cases[] = {
      // Codes naming table entries that do not exist yet.
      {"gif_lzw_undefined_codes.gif", fixture("gif_lzw_undefined_codes.gif"), true},
      // A code size of 12: the older decoder wrote past its code tables.
      {"gif_lzw_code_size_12.gif", fixture("gif_lzw_code_size_12.gif"), false},
      {"code size 0", SmallGif(0, PackCodes({{2, 2}, {1, 2}, {3, 2}})), false},
      {"data cut inside the frame", Bytes(intact.begin(), intact.end() - 3), false},
      {"data cut after the pixels, before the block end", Bytes(intact.begin(), intact.end() - 2),
       false},
      {"no trailer", Bytes(intact.begin(), intact.end() - 1), true},
      // Only the first frame is read; the older path refused the file for a later frame.
      {"second frame cut short", secondFrameCut, true},
      {"frame of 2^27 pixels over a few bytes", fixture("gif_2p27_frame.gif"), false},
      {"GIF89a with an empty screen", SmallGif(2, Literals(pixels), 0), false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_GT(c.bytes.size(), 13u);
    const ArgbImage image = DecodeImageData(c.bytes.data(), c.bytes.size());
    EXPECT_EQ(!image.Empty(), c.decodes);
  }
}

}  // namespace
}  // namespace veilmark::image
