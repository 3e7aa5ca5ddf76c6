// Writes the seed corpus of fuzz_image: small pictures in every format the program writes,
// some carrying a payload for the fuzz target's keyring.
//   make_image_seeds FOLDER
#include "core/crypto/cipher.h"
#include "core/image/imaging.h"
#include "core/stego/detect.h"
#include "core/stego/embed.h"

#include <wx/init.h>
#include <wx/log.h>

#include <cstdio>
#include <filesystem>
#include <string>

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
  return written > 0 ? 0 : 1;
}
