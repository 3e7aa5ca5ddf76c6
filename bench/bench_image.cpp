// Timings of the imaging layer on photo-sized images. Not a test: prints milliseconds.
//   bench_image [repetitions]
#include "core/image/image_ops.h"
#include "core/image/imaging.h"
#include "core/image/thumbnail.h"

#include <wx/init.h>
#include <wx/log.h>
#include <wx/wfstream.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <random>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace veilmark::image;

int g_repetitions = 5;

// Median wall time of a few runs, in milliseconds.
double Time(const std::function<void()>& work) {
  std::vector<double> runs;
  for (int i = 0; i < g_repetitions; ++i) {
    const auto start = std::chrono::steady_clock::now();
    work();
    runs.push_back(
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
            .count());
  }
  std::sort(runs.begin(), runs.end());
  return runs[runs.size() / 2];
}

void Report(const char* what, double ms) { std::printf("%-44s %9.1f ms\n", what, ms); }

// Smooth gradients with some noise: compresses and decodes like a photograph.
ArgbImage PhotoLike(int width, int height) {
  std::mt19937 random(1);
  ArgbImage image(width, height);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const int n = static_cast<int>(random() % 9) - 4;
      const auto c = [n](int v) { return static_cast<std::uint8_t>(std::clamp(v + n, 0, 255)); };
      image.At(x, y) = veilmark::stego::MakeArgb(0xFF, c(x * 255 / width), c(y * 255 / height),
                                                 c((x + y) * 127 / (width + height) + 64));
    }
  }
  return image;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1) g_repetitions = std::max(1, std::atoi(argv[1]));
  wxInitializer initializer;
  if (!initializer.IsOk()) return 1;
  InitImageHandlers();
  const fs::path dir = fs::temp_directory_path() / "veilmark-bench-image";
  fs::create_directories(dir);
  const fs::path jpeg = dir / "large.jpg";
  const fs::path png = dir / "medium.png";

  const ArgbImage large = PhotoLike(4000, 3000);
  const ArgbImage medium = PhotoLike(2000, 1500);
  std::printf("repetitions: %d (median shown)\n", g_repetitions);
  // Fresh memory costs differ a lot between machines; most steps below take at least one
  // new full-size buffer, so this line puts the others in proportion.
  Report("calibration: new 48 MB buffer, filled", Time([] {
           std::vector<std::uint32_t> fresh(12000000, 1);
           if (fresh[11999999] != 1) std::abort();
         }));
  Report("save 4000x3000 JPEG q100", Time([&] { SaveImage(large, jpeg, "image/jpeg"); }));
  Report("save 2000x1500 PNG", Time([&] { SaveImage(medium, png, "image/png"); }));
  Report("save 2000x1500 BMP", Time([&] { SaveImage(medium, dir / "m.bmp", "image/bmp"); }));
  Report("save 2000x1500 TIFF", Time([&] { SaveImage(medium, dir / "m.tif", "image/tiff"); }));
  Report("save 2000x1500 GIF", Time([&] { SaveImage(medium, dir / "m.gif", "image/gif"); }));

  Report("probe JPEG header", Time([&] { IsImageFile(jpeg); }));
  Report("decode 4000x3000 JPEG", Time([&] { DecodeImageFile(jpeg); }));
  Report("  of which wx decode alone", Time([&] {
           wxLogNull q;
           wxImage i(jpeg.string());
         }));
  Report("  wx JPEG decode at 1/8 scale", Time([&] {
           wxImage i;
           i.SetOption(wxIMAGE_OPTION_MAX_WIDTH, 300);
           i.SetOption(wxIMAGE_OPTION_MAX_HEIGHT, 270);
           i.LoadFile(jpeg.string(), wxBITMAP_TYPE_JPEG);
         }));
  Report("decode 2000x1500 PNG", Time([&] { DecodeImageFile(png); }));

  Report("thumbnail of 4000x3000", Time([&] { MakeThumbnail(large, 40); }));
  Report("  wx Scale HIGH of the whole image instead",
         Time([&] { ToWxImage(large).Scale(150, 112, wxIMAGE_QUALITY_HIGH); }));
  Report("preview scale 4000x3000 -> 750x562", Time([&] { ScaleImage(large, 750, 562); }));
  Report("snapshot (Clone) 4000x3000", Time([&] { large.Clone(); }));

  const struct {
    const char* name;
    ImageOp id;
    std::int64_t param;
  } operations[] = {{"Mirror", ImageOp::kMirror, 0},
                    {"Flip", ImageOp::kFlip, 0},
                    {"Rotate Right", ImageOp::kRotateRight, 0},
                    {"Rotate Left", ImageOp::kRotateLeft, 0},
                    {"Grayscale", ImageOp::kGrayscale, 0},
                    {"Negative", ImageOp::kNegative, 0},
                    {"Gamma 0.5", ImageOp::kGamma, 500},
                    {"Threshold 128", ImageOp::kThreshold, 128},
                    {"Lighten", ImageOp::kLighten, 0},
                    {"Darken", ImageOp::kDarken, 0},
                    {"Contrast", ImageOp::kContrast, 0},
                    {"Sharpen", ImageOp::kSharpen, 0}};
  ArgbImage working = large.Clone();
  for (const auto& op : operations) {
    char label[64];
    std::snprintf(label, sizeof label, "4000x3000 %s", op.name);
    Report(label, Time([&] { ApplyImageOperation(working, op.id, op.param); }));
  }
  std::error_code ignored;
  fs::remove_all(dir, ignored);
  return 0;
}
