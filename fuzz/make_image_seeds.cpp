// Writes the seed corpus of fuzz_image: small pictures in every format the program writes,
// some carrying a payload for the fuzz target's keyring.
//   make_image_seeds FOLDER
#include "core/crypto/cipher.h"
#include "core/image/imaging.h"
#include "core/stego/detect.h"
#include "core/stego/embed.h"

#include <tiffio.h>
#include <wx/init.h>
#include <wx/log.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using namespace veilmark;

image::ArgbImage Picture(int width, int height, int colours) {
  image::ArgbImage picture(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      // A few flat colours keep GIF's palette exact, so a payload survives it too.
      if (colours > 0) {
        const int band = (x / 8 + y / 8) % colours;
        picture.At(x, y) = stego::MakeArgb(0xFF, static_cast<std::uint8_t>(60 + 100 * band),
                                           static_cast<std::uint8_t>(200 - 80 * band), 90);
      } else {
        picture.At(x, y) = stego::MakeArgb(0xFF, static_cast<std::uint8_t>(5 * x),
                                           static_cast<std::uint8_t>(200 - 3 * y),
                                           static_cast<std::uint8_t>(x * y));
      }
    }
  }
  return picture;
}

// TIFF layouts the program's encoder never writes, each taking another path of the reader.
struct TiffLayout {
  const char* name;
  std::uint16_t samples, bits, photometric;
  int extra;  // the extra sample's meaning, -1: none
  std::uint16_t planar, compression;
  std::uint32_t tile;  // 0: strips of 4 rows
  std::uint16_t orientation;
};

bool WriteTiff(const std::filesystem::path& path, const TiffLayout& l) {
  TIFF* tif = TIFFOpen(path.c_str(), "w");
  if (tif == nullptr) return false;
  const std::uint32_t width = 24, height = 20;
  TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, width);
  TIFFSetField(tif, TIFFTAG_IMAGELENGTH, height);
  TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, l.samples);
  TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, l.bits);
  TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, l.photometric);
  TIFFSetField(tif, TIFFTAG_PLANARCONFIG, l.planar);
  TIFFSetField(tif, TIFFTAG_COMPRESSION, l.compression);
  TIFFSetField(tif, TIFFTAG_ORIENTATION, l.orientation);
  if (l.compression == COMPRESSION_JPEG)
    TIFFSetField(tif, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
  if (l.extra >= 0) {
    const auto meaning = static_cast<std::uint16_t>(l.extra);
    TIFFSetField(tif, TIFFTAG_EXTRASAMPLES, 1, &meaning);
  }
  std::vector<std::uint16_t> map(3 << l.bits);
  for (std::size_t i = 0; i < map.size(); ++i) map[i] = static_cast<std::uint16_t>(i * 2654435761u);
  if (l.photometric == PHOTOMETRIC_PALETTE) {
    const std::size_t n = std::size_t{1} << l.bits;
    TIFFSetField(tif, TIFFTAG_COLORMAP, map.data(), map.data() + n, map.data() + 2 * n);
  }
  unsigned seed = 1;
  const auto fill = [&seed](std::vector<unsigned char>& buffer) {
    for (auto& b : buffer)
      b = static_cast<unsigned char>((seed = seed * 1103515245u + 12345u) >> 16);
  };
  bool ok = true;
  if (l.tile != 0) {
    TIFFSetField(tif, TIFFTAG_TILEWIDTH, l.tile);
    TIFFSetField(tif, TIFFTAG_TILELENGTH, l.tile);
    std::vector<unsigned char> tile(static_cast<std::size_t>(TIFFTileSize(tif)));
    for (std::uint32_t y = 0; y < height; y += l.tile) {
      for (std::uint32_t x = 0; x < width; x += l.tile) {
        fill(tile);
        ok = ok && TIFFWriteTile(tif, tile.data(), x, y, 0, 0) >= 0;
      }
    }
  } else {
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, l.compression == COMPRESSION_JPEG ? 16 : 4);
    std::vector<unsigned char> row(static_cast<std::size_t>(TIFFScanlineSize(tif)));
    const int planes = l.planar == PLANARCONFIG_SEPARATE ? l.samples : 1;
    for (int plane = 0; plane < planes; ++plane) {
      for (std::uint32_t y = 0; y < height; ++y) {
        fill(row);
        ok = ok && TIFFWriteScanline(tif, row.data(), y, static_cast<std::uint16_t>(plane)) == 1;
      }
    }
  }
  TIFFClose(tif);
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_image_seeds FOLDER\n");
    return 2;
  }
  wxInitializer initializer;
  if (!initializer.IsOk()) return 1;
  image::InitImageHandlers();
  const std::filesystem::path folder = argv[1];
  std::filesystem::create_directories(folder);
  const crypto::KeyAndIV keys = crypto::DeriveKeyAndIV("quintus4072");
  const crypto::SlotKeyring ring({"quintus4072", "", "", "", ""});

  const struct {
    const char* mime;
    const char* extension;
  } formats[] = {{"image/png", "png"},
                 {"image/bmp", "bmp"},
                 {"image/tiff", "tif"},
                 {"image/gif", "gif"},
                 {"image/jpeg", "jpg"}};
  const struct {
    const char* name;  // empty: no payload
    const char* content;
  } payloads[] = {
      {"", ""}, {"note.txt", "Hello\r\n"}, {"pic.png", "\x89PNG tiny"}, {"data.bin", "0123456789"}};
  int written = 0;
  for (const auto& format : formats) {
    for (const auto& payload : payloads) {
      image::ArgbImage picture = Picture(48, 40, format.extension == std::string("gif") ? 2 : 0);
      if (*payload.name != '\0') {
        stego::EmbedPayload(picture, keys, "quintus4072", payload.content, payload.name,
                            "2026-12-09 10h:00m:00s");
      }
      const std::string stem = *payload.name ? std::string(payload.name) : "plain";
      const auto path = folder / (stem + "." + format.extension);
      if (!image::SaveImage(picture, path, format.mime)) continue;
      const bool found = stego::DetectKind(image::DecodeImageFile(path), ring) > 10;
      std::printf("%-24s payload %s\n", path.filename().string().c_str(),
                  *payload.name == '\0' ? "none"
                  : found               ? "kept"
                                        : "lost in this format");
      ++written;
    }
  }
  // The one format the program reads but does not write, from wx's own encoder.
  const wxImage small = image::ToWxImage(Picture(32, 32, 2));
  if (small.SaveFile((folder / "icon.ico").string(), wxBITMAP_TYPE_ICO)) ++written;
  const TiffLayout layouts[] = {
      {"grey-alpha", 2, 8, PHOTOMETRIC_MINISBLACK, 2, PLANARCONFIG_CONTIG, COMPRESSION_LZW, 0, 1},
      {"grey-alpha-1bit", 2, 1, PHOTOMETRIC_MINISWHITE, 1, PLANARCONFIG_CONTIG, COMPRESSION_NONE, 0,
       1},
      {"bilevel", 1, 1, PHOTOMETRIC_MINISWHITE, -1, PLANARCONFIG_CONTIG, COMPRESSION_CCITTFAX4, 0,
       1},
      {"palette", 1, 4, PHOTOMETRIC_PALETTE, -1, PLANARCONFIG_CONTIG, COMPRESSION_PACKBITS, 0, 1},
      {"rgba16-planes", 4, 16, PHOTOMETRIC_RGB, 2, PLANARCONFIG_SEPARATE, COMPRESSION_ADOBE_DEFLATE,
       0, 1},
      {"tiles", 4, 8, PHOTOMETRIC_RGB, 1, PLANARCONFIG_CONTIG, COMPRESSION_LZW, 16, 1},
      {"bottom-up", 3, 8, PHOTOMETRIC_RGB, -1, PLANARCONFIG_CONTIG, COMPRESSION_NONE, 0, 4},
      {"cmyk", 4, 8, PHOTOMETRIC_SEPARATED, -1, PLANARCONFIG_CONTIG, COMPRESSION_NONE, 0, 1},
      {"jpeg", 3, 8, PHOTOMETRIC_YCBCR, -1, PLANARCONFIG_CONTIG, COMPRESSION_JPEG, 0, 1},
  };
  for (const TiffLayout& layout : layouts) {
    if (WriteTiff(folder / (std::string("layout-") + layout.name + ".tif"), layout)) ++written;
  }
  return written > 0 ? 0 : 1;
}
