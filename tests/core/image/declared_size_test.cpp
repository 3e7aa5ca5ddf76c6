#include "core/image/declared_size.h"
#include "core/image/imaging.h"

#include <gtest/gtest.h>
#include <wx/mstream.h>

#include <chrono>
#include <cstring>
#include <string>

namespace veilmark::image {
namespace {

// A small two-colour picture in the given format, as its file bytes. wx writes GIF only
// from a palette image; a hand-made one does (two pixels of data, the rest left blank).
std::string Encode(wxBitmapType type) {
  if (type == wxBITMAP_TYPE_GIF) {
    return std::string(
        "GIF89a\x10\0\x08\0\x80\0\0\0\0\0\xff\xff\xff,\0\0\0\0\x10\0\x08\0\0"
        "\x02\x02\x44\x01\0;",
        35);
  }
  wxImage image(16, 8);
  for (int x = 0; x < 16; ++x) image.SetRGB(x, x % 8, 255, 255, 255);
  wxMemoryOutputStream out;
  if (!image.SaveFile(out, type)) return {};
  std::string bytes(out.GetSize(), '\0');
  out.CopyTo(bytes.data(), bytes.size());
  return bytes;
}

void Put(std::string& s, std::size_t at, std::uint32_t v, int n, bool bigEndian) {
  for (int i = 0; i < n; ++i) s[at + i] = static_cast<char>(v >> 8 * (bigEndian ? n - 1 - i : i));
}

std::size_t Le32(const std::string& s, std::size_t at) {
  std::size_t v = 0;
  for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<unsigned char>(s[at + i]);
  return v;
}

bool Acceptable(const std::string& bytes) {
  return DeclaredSizeAcceptable(
      [&](std::uint64_t offset, unsigned char* out, std::size_t size) {
        std::memcpy(out, bytes.data() + offset, size);  // the check stays within the size
        return size;
      },
      bytes.size());
}

// Each valid file is rewritten so that its header declares a huge picture.
struct Case {
  const char* name;
  wxBitmapType type;
  void (*inflate)(std::string&);
};

const Case kCases[] = {
    {"png", wxBITMAP_TYPE_PNG,
     [](std::string& s) {
       Put(s, 16, 60000, 4, true);
       Put(s, 20, 60000, 4, true);
     }},
    {"bmp", wxBITMAP_TYPE_BMP,
     [](std::string& s) {
       Put(s, 18, 21655, 4, false);
       Put(s, 22, 24768, 4, false);
     }},
    {"jpeg", wxBITMAP_TYPE_JPEG,
     [](std::string& s) {
       const std::size_t sof = s.find("\xFF\xC0");
       Put(s, sof + 5, 16000, 2, true);
       Put(s, sof + 7, 16000, 2, true);
     }},
    {"gif", wxBITMAP_TYPE_GIF,
     [](std::string& s) {
       Put(s, 6, 30000, 2, false);
       Put(s, 8, 30000, 2, false);
     }},
    {"ico", wxBITMAP_TYPE_ICO,
     [](std::string& s) {
       const std::size_t dib = Le32(s, 6 + 12);
       Put(s, dib + 8, 0xFD000040u, 4, false);  // the fuzzer's find: a negative height
     }},
    {"tiff", wxBITMAP_TYPE_TIFF,
     [](std::string& s) {
       const bool big = s[0] == 'M';
       std::size_t ifd = 0;
       for (int i = 0; i < 4; ++i)
         ifd = ifd << 8 | static_cast<unsigned char>(s[4 + (big ? i : 3 - i)]);
       const std::size_t count = static_cast<unsigned char>(s[ifd + (big ? 1 : 0)]);
       for (std::size_t e = ifd + 2; e < ifd + 2 + 12 * count; e += 12) {
         const int tag = static_cast<unsigned char>(s[e + (big ? 1 : 0)]) |
                         static_cast<unsigned char>(s[e + (big ? 0 : 1)]) << 8;
         if (tag == 256 || tag == 257) {
           Put(s, e + 2, 4, 2, big);  // LONG
           Put(s, e + 8, 60000, 4, big);
         }
       }
     }},
};

TEST(DeclaredSize, HugeDeclaredSizesAreRefusedQuicklyAndSmallImagesStillDecode) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    std::string bytes = Encode(c.type);
    ASSERT_FALSE(bytes.empty());
    EXPECT_TRUE(Acceptable(bytes));
    const ArgbImage small = DecodeImageData(bytes.data(), bytes.size());
    EXPECT_EQ(small.Width(), 16);
    EXPECT_EQ(small.Height(), 8);

    c.inflate(bytes);
    EXPECT_FALSE(Acceptable(bytes));
    const auto start = std::chrono::steady_clock::now();
    const ArgbImage huge = DecodeImageData(bytes.data(), bytes.size());
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(250));
    EXPECT_TRUE(huge.Empty());
  }
}

TEST(DeclaredSize, BmpRowsBeyondTheFileAreRefusedAndTheOldHeaderIsRead) {
  std::string bmp = Encode(wxBITMAP_TYPE_BMP);
  EXPECT_FALSE(Acceptable(bmp.substr(0, bmp.size() - 1)));  // last row cut short
  // The 12-byte header of 16-bit sizes: 10000 x 10000 passes the pixel limit, not the file.
  std::string core = "BM" + std::string(12, '\0') + std::string(12, '\0');
  Put(core, 14, 12, 4, false);
  Put(core, 18, 10000, 2, false);
  Put(core, 20, 10000, 2, false);
  Put(core, 24, 24, 2, false);
  EXPECT_FALSE(Acceptable(core));
  EXPECT_TRUE(DecodeImageData(core.data(), core.size()).Empty());
}

TEST(DeclaredSize, GifImageWithoutAValidCodeSizeIsRefused) {
  const std::string gif = Encode(wxBITMAP_TYPE_GIF);
  EXPECT_FALSE(Acceptable(gif.substr(0, 29)));  // ends before the code size
  std::string wide = gif;
  wide[29] = '\x0C';
  EXPECT_FALSE(Acceptable(wide));
}

TEST(DeclaredSize, EveryPrefixOfAValidFileIsSafe) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    const std::string bytes = Encode(c.type);
    for (std::size_t n = 1; n < bytes.size(); ++n) {
      Acceptable(bytes.substr(0, n));
      DecodeImageData(bytes.data(), n);
    }
  }
}

}  // namespace
}  // namespace veilmark::image
