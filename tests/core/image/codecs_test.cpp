#include "core/image/imaging.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <wx/imagpng.h>
#include <wx/mstream.h>

#include <fstream>
#include <set>

namespace veilmark::image {
namespace {

namespace fs = std::filesystem;
using testing::NoiseImage;
using testing::ScratchDir;

void WriteBytes(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

std::string ReadBytes(const fs::path& path) {
  std::string bytes(static_cast<std::size_t>(fs::file_size(path)), '\0');
  std::ifstream(path, std::ios::binary)
      .read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return bytes;
}

TEST(ImageFiles, LosslessFormatsKeepEveryValue) {
  ScratchDir dir;
  const struct {
    const char* mime;
    bool keepsAlpha;
  } formats[] = {{"image/png", true}, {"image/bmp", false}, {"image/tiff", true}};
  for (const auto& f : formats) {
    for (const bool translucent : {false, true}) {
      // An odd width exercises row padding.
      const ArgbImage original = NoiseImage(97, 61, translucent);
      const fs::path path = dir / "noise";
      ASSERT_TRUE(SaveImage(original, path, f.mime)) << f.mime;
      const ArgbImage back = DecodeImageFile(path);
      ASSERT_EQ(back.Width(), 97) << f.mime;
      ASSERT_EQ(back.Height(), 61) << f.mime;
      for (std::size_t i = 0; i < original.PixelCount(); ++i) {
        const Argb want = f.keepsAlpha ? original.Data()[i] : original.Data()[i] | 0xFF000000u;
        ASSERT_EQ(back.Data()[i], want) << f.mime << " translucent " << translucent << " at " << i;
      }
    }
  }
}

TEST(ImageFiles, LossyFormatsWriteAndReload) {
  ScratchDir dir;
  ArgbImage gradient(64, 48);
  for (int y = 0; y < 48; ++y) {
    for (int x = 0; x < 64; ++x) {
      gradient.At(x, y) = stego::MakeArgb(0xFF, static_cast<std::uint8_t>(x * 4),
                                          static_cast<std::uint8_t>(y * 5), 0x80);
    }
  }
  for (const char* mime : {"image/jpeg", "image/gif"}) {
    const fs::path path = dir / "gradient";
    ASSERT_TRUE(SaveImage(gradient, path, mime)) << mime;
    const ArgbImage back = DecodeImageFile(path);
    ASSERT_EQ(back.Width(), 64) << mime;
    ASSERT_EQ(back.Height(), 48) << mime;
    std::set<Argb> colours;
    long error = 0;
    for (std::size_t i = 0; i < back.PixelCount(); ++i) {
      colours.insert(back.Data()[i]);
      const Argb a = back.Data()[i];
      const Argb b = gradient.Data()[i];
      for (int shift = 0; shift < 24; shift += 8) {
        error +=
            std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF));
      }
      ASSERT_EQ(a >> 24, 0xFFu) << mime;
    }
    EXPECT_LT(error / static_cast<long>(back.PixelCount() * 3), 8) << mime;
    if (std::string(mime) == "image/gif") {
      EXPECT_LE(colours.size(), 256u);
    }
  }
}

TEST(ImageFiles, SaveReplacesOnlyOnSuccessAndRefusesUnknownTypes) {
  ScratchDir dir;
  const ArgbImage image = NoiseImage(16, 16, false);
  const fs::path target = dir / "out.png";
  WriteBytes(target, "old contents");

  EXPECT_FALSE(SaveImage(image, target, "image/PNG"));  // MIME types match exactly
  EXPECT_FALSE(SaveImage(image, target, "image/x-bmp"));
  EXPECT_FALSE(SaveImage(image, target, "image/pcx"));
  EXPECT_FALSE(SaveImage(ArgbImage(), target, "image/png"));
  EXPECT_FALSE(SaveImage(image, target, "image/png", /*replaceExisting=*/false));
  EXPECT_EQ(ReadBytes(target), "old contents");

  // The rename fails onto a folder: nothing is left behind.
  fs::create_directory(dir / "taken.png");
  EXPECT_FALSE(SaveImage(image, dir / "taken.png", "image/png"));
  EXPECT_FALSE(SaveImage(image, dir / "missing" / "x.png", "image/png"));
  EXPECT_TRUE(fs::is_directory(dir / "taken.png"));

  ASSERT_TRUE(SaveImage(image, target, "image/png"));
  ASSERT_TRUE(SaveImage(image, target, "image/png"));  // a second save overwrites
  EXPECT_TRUE(DecodeImageFile(target) == image);
  int entries = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(dir.path())) ++entries;
  EXPECT_EQ(entries, 2);  // out.png and the folder: no temporary files
}

// Palette and grey files decode to full ARGB, so writing a pixel really stores the value.
TEST(ImageFiles, PaletteAndGreyFilesDecodeToWritableArgb) {
  ScratchDir dir;
  wxImage source(16, 8, false);
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 16; ++x) {
      const auto level = static_cast<unsigned char>(x * 16 + y);
      source.SetRGB(x, y, level, level, level);
    }
  }
  const struct {
    int format;
    char colourType;  // the IHDR colour type byte of the file written
  } kinds[] = {{wxPNG_TYPE_PALETTE, 3}, {wxPNG_TYPE_GREY, 0}};
  for (const auto& kind : kinds) {
    wxImage copy = source.Copy();
    copy.SetOption(wxIMAGE_OPTION_PNG_FORMAT, kind.format);
    const fs::path path = dir / "levels.png";
    ASSERT_TRUE(copy.SaveFile(path.string(), wxBITMAP_TYPE_PNG));
    ASSERT_EQ(ReadBytes(path).at(25), kind.colourType);

    // wx's grey conversion shifts some levels: compare with what the file holds.
    const wxImage stored(path.string(), wxBITMAP_TYPE_PNG);
    ArgbImage decoded = DecodeImageFile(path);
    ASSERT_EQ(decoded.Width(), 16);
    Argb pixel = 0;
    ASSERT_TRUE(decoded.GetPixel(5, 3, pixel));
    const Argb level = stored.GetRed(5, 3);
    EXPECT_EQ(pixel, 0xFF000000u | level << 16 | level << 8 | level);
    ASSERT_TRUE(decoded.SetPixel(5, 3, pixel ^ 1));
    ASSERT_TRUE(SaveImage(decoded, dir / "written.png", "image/png"));
    EXPECT_EQ(DecodeImageFile(dir / "written.png").At(5, 3), pixel ^ 1);
  }
}

TEST(ImageFiles, MaskColourBecomesTransparent) {
  wxImage masked(2, 1, false);
  masked.SetRGB(0, 0, 1, 2, 3);
  masked.SetRGB(1, 0, 4, 5, 6);
  masked.SetMaskColour(4, 5, 6);
  const ArgbImage argb = FromWxImage(masked);
  EXPECT_EQ(argb.At(0, 0), 0xFF010203u);
  EXPECT_EQ(argb.At(1, 0), 0x00040506u);
  EXPECT_FALSE(ToWxImage(NoiseImage(4, 4, false)).HasAlpha());
  EXPECT_TRUE(ToWxImage(argb).HasAlpha());
}

TEST(ImageFiles, ProbeReadsHeadersAndFailedDecodesAreEmpty) {
  ScratchDir dir;
  const ArgbImage image = NoiseImage(8, 8, false);
  for (const char* mime : {"image/png", "image/bmp", "image/tiff", "image/jpeg", "image/gif"}) {
    ASSERT_TRUE(SaveImage(image, dir / "probe", mime));
    EXPECT_TRUE(IsImageFile(dir / "probe")) << mime;
  }
  ASSERT_TRUE(SaveImage(image, dir / "full.png", "image/png"));
  const std::string png = ReadBytes(dir / "full.png");
  WriteBytes(dir / "cut.png", png.substr(0, 3));
  WriteBytes(dir / "notes.png", "This is a text file, not an image.\n");
  WriteBytes(dir / "empty.png", "");
  fs::create_directory(dir / "folder.png");
  // Encrypted files are random bytes; formats without a real signature would list some.
  std::string random(512, '\0');
  std::mt19937 generator(5);
  for (char& c : random) c = static_cast<char>(generator());
  WriteBytes(dir / "pcx-like.cry", "\x0A\x05\x01\x08" + random);
  WriteBytes(dir / "pnm-like.cry", "P6\n" + random);
  for (const char* name : {"cut.png", "notes.png", "empty.png", "folder.png", "missing.png",
                           "pcx-like.cry", "pnm-like.cry"}) {
    EXPECT_FALSE(IsImageFile(dir / name)) << name;
    const ArgbImage failed = DecodeImageFile(dir / name);
    EXPECT_EQ(failed.Width(), 0) << name;
    EXPECT_EQ(failed.Height(), 0) << name;
  }
  // A header that promises more than the file holds is listed but does not decode.
  WriteBytes(dir / "truncated.png", png.substr(0, png.size() / 2));
  EXPECT_TRUE(DecodeImageFile(dir / "truncated.png").Empty());

  ArgbImage failed;
  Argb pixel = 0x12345678u;
  EXPECT_FALSE(failed.GetPixel(0, 0, pixel));
  EXPECT_EQ(pixel, 0u);
  EXPECT_FALSE(failed.SetPixel(0, 0, 1));
}

TEST(ImageFiles, BytesInMemoryDecodeLikeTheFile) {
  ScratchDir dir;
  const ArgbImage image = NoiseImage(33, 21, true);
  for (const char* mime : {"image/png", "image/bmp", "image/tiff", "image/jpeg", "image/gif"}) {
    ASSERT_TRUE(SaveImage(image, dir / "file", mime));
    const std::string bytes = ReadBytes(dir / "file");
    const ArgbImage fromFile = DecodeImageFile(dir / "file");
    ASSERT_FALSE(fromFile.Empty()) << mime;
    EXPECT_TRUE(DecodeImageData(bytes.data(), bytes.size()) == fromFile) << mime;
    // Cut short, they decode as the cut file does (nothing, or a partly grey JPEG): the
    // decoder reads no further than it was given.
    const std::string half = bytes.substr(0, bytes.size() / 2);
    WriteBytes(dir / "half", half);
    EXPECT_TRUE(DecodeImageData(half.data(), half.size()) == DecodeImageFile(dir / "half")) << mime;
  }
  const std::string text = "This is a text file, not an image.\n";
  EXPECT_TRUE(DecodeImageData(text.data(), text.size()).Empty());
  EXPECT_TRUE(DecodeImageData(text.data(), 0).Empty());
  EXPECT_TRUE(DecodeImageData(nullptr, 10).Empty());
}

TEST(ImageFiles, OutputPathAndMimeType) {
  const struct {
    const char* folder;
    const char* name;
    bool embedded;
    const char* extension;
    const char* expected;  // relative to the folder
  } cases[] = {
      {"pics", "beach.jpg", true, "png", "beach_steg.png"},
      {"pics", "beach.jpg", false, "tiff", "beach_conv.tiff"},
      {"pics", "photo.jpeg", false, "jpg", "photo_conv.jpg"},
      {"my.pics", "scan", false, "bmp", "scan_conv.bmp"},
      {"pics", "scan", false, "bmp", "scan_conv.bmp"},
      {"pics", "a.b.png", false, "gif", "a.b_conv.gif"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SaveOutputPath(c.folder, c.name, c.embedded, c.extension),
              fs::path(c.folder) / c.expected)
        << c.name;
  }
  const char* mimes[][2] = {{"png", "image/png"},
                            {"bmp", "image/bmp"},
                            {"tiff", "image/tiff"},
                            {"jpg", "image/jpeg"},
                            {"gif", "image/gif"}};
  for (const auto& m : mimes) EXPECT_EQ(MimeTypeForExtension(m[0]), m[1]);
}

TEST(Codecs, ListsNameTheFormats) {
  std::set<std::string> encoderMimes;
  for (const CodecInfo& c : ImageEncoders()) encoderMimes.insert(c.mimeType);
  EXPECT_EQ(encoderMimes, (std::set<std::string>{"image/png", "image/bmp", "image/tiff",
                                                 "image/jpeg", "image/gif"}));
  bool sawBmp = false;
  bool sawJpeg = false;
  for (const CodecInfo& c : ImageDecoders()) {
    EXPECT_NE(c.mimeType, "image/x-bmp");
    if (c.mimeType == "image/bmp") {
      sawBmp = true;
      EXPECT_EQ(c.description, "BMP");
      EXPECT_EQ(c.extensions, "*.bmp");
    }
    if (c.mimeType == "image/jpeg") {
      sawJpeg = true;
      EXPECT_EQ(c.description, "JPEG");
      EXPECT_EQ(c.extensions, "*.jpg;*.jpeg;*.jpe");
    }
  }
  EXPECT_TRUE(sawBmp);
  EXPECT_TRUE(sawJpeg);
}

TEST(Codecs, FilterStrings) {
  const CodecInfo png{"PNG", "*.PNG", "image/png", wxBITMAP_TYPE_PNG};
  const CodecInfo jpeg{"JPEG", "*.jpg;*.jpeg", "image/jpeg", wxBITMAP_TYPE_JPEG};
  const struct {
    std::string filter;
    std::string expected;
  } cases[] = {
      {BuildImageFilter({png}),
       "All Image Files|*.png|All Files (*.*)|*.*|PNG files(*.png)|*.png||"},
      {BuildImageFilter({png, jpeg}),
       "All Image Files|*.png;*.jpg;*.jpeg|All Files (*.*)|*.*|PNG files(*.png)|*.png|"
       "JPEG files(*.jpg;*.jpeg)|*.jpg;*.jpeg||"},
      {BuildImageFilter({}), "All Image Files||All Files (*.*)|*.*||"},
      {BuildAllFilesFilter(), "All Files (*.*)|*.*|"},
      // A file to hide is rarely an image: all files come first and are the default.
      {BuildFileToHideFilter({png, jpeg}),
       "All Files (*.*)|*.*|All Image Files|*.png;*.jpg;*.jpeg|PNG files(*.png)|*.png|"
       "JPEG files(*.jpg;*.jpeg)|*.jpg;*.jpeg||"},
      {BuildFileToHideFilter({}), "All Files (*.*)|*.*|All Image Files|||"},
      {BuildEncryptedFilter(), "Encrypted Files (*.cry)|*.cry|"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.filter, c.expected);
  }
}

}  // namespace
}  // namespace veilmark::image
