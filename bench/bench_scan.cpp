// Scanning a folder of 40 large pictures as the thumbnail builder does (decode, detect with
// five password slots, framed 150 x 135 thumbnail), on one thread and on a pool of two,
// beside vipsthumbnail making the same thumbnails; then where the time of one image goes.
// Not a test: prints milliseconds, images per second and ratios.
//   bench_scan [repetitions]
#include "bench/bench_folder_data.h"
#include "core/image/thumbnail.h"
#include "core/stego/detect.h"

#include <wx/imagjpeg.h>
#include <wx/init.h>
#include <wx/log.h>

#include <cstdio>
#include <cstdlib>

namespace {

using namespace veilmark;
using bench::Row;

void Rate(const char* what, double ms, std::size_t images) {
  std::printf("%-52s %9.1f ms  %6.2f images/s\n", what, ms,
              1000.0 * static_cast<double>(images) / ms);
}

}  // namespace

int main(int argc, char** argv) {
  const int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
  wxInitializer initializer;
  if (!initializer.IsOk()) return 1;
  image::InitImageHandlers();
  wxLogNull quiet;

  bench::ScratchFolder dir("veilmark-bench-scan");
  const auto folder = dir / "pictures";
  bench::fs::create_directories(folder);
  std::vector<bench::PicturePlan> plans;
  for (int i = 0; i < 20; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "photo%02d.jpg", i);
    plans.push_back({name, 4000, 3000, "image/jpeg", 0});
  }
  const int kinds[] = {20, 30, 40, 30, 40, 20};  // six PNGs carry payloads
  for (int i = 0; i < 20; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "picture%02d.png", i);
    plans.push_back({name, 2000, 1500, "image/png", i < 6 ? kinds[i] : 0});
  }
  std::printf("making 20 JPEG 4000x3000 (q100) and 20 PNG 2000x1500 (6 with payloads)...\n");
  bench::MakePictures(folder, plans);
  const auto files = bench::FilesOf(folder);
  std::uintmax_t bytes = 0;
  for (const auto& f : files) bytes += bench::fs::file_size(f);
  std::printf("folder: %zu files, %.0f MB; 5 slots, the payloads open with slot 5\n", files.size(),
              static_cast<double>(bytes) / 1e6);
  std::printf("repetitions: %d (median shown)\n\n", repetitions);

  // --- Whole scans ---------------------------------------------------------------------
  std::vector<double> single, pooled, pooledFirst;
  int flagged = 0;
  for (int r = 0; r < repetitions; ++r) {
    single.push_back(bench::ScanWithPool(files, 1).totalMs);
    const bench::ScanTimes t = bench::ScanWithPool(files, 2);
    pooled.push_back(t.totalMs);
    pooledFirst.push_back(t.firstMs);
    flagged = t.flagged;
  }
  const double singleMs = bench::Median(single);
  const double pooledMs = bench::Median(pooled);
  Rate("ScanImageFile, 1 thread", singleMs, files.size());
  Rate("ScanImageFile, pool of 2 threads", pooledMs, files.size());
  Row("  first thumbnail after (pool of 2)", bench::Median(pooledFirst));
  std::printf("  images found to carry a payload: %d (6 expected)\n", flagged);

  double vipsMs = -1;
  if (bench::HaveProgram("vipsthumbnail")) {
    vipsMs = bench::TimeVipsThumbnail(repetitions, files, dir / "vips");
    if (vipsMs > 0) {
      Rate("vipsthumbnail -s 150x135 (its own threads)", vipsMs, files.size());
      std::printf("  ratio pool of 2 / vipsthumbnail: %.2f; 1 thread / vipsthumbnail: %.2f\n",
                  pooledMs / vipsMs, singleMs / vipsMs);
    } else {
      std::printf("vipsthumbnail failed\n");
    }
  } else {
    std::printf("vipsthumbnail missing: scripts/install-bench-deps installs it\n");
  }
  std::printf("\n");

  // --- Where one image's time goes (one thread) ---------------------------------------------
  const crypto::SlotKeyring keyring(bench::BenchSlots(), crypto::FailureSink::Silent());
  for (int slot = 0; slot < crypto::kPasswordSlots; ++slot) keyring.Keys(slot);  // warm
  const bench::fs::path jpeg = folder / "photo00.jpg";
  const bench::fs::path png = folder / "picture10.png";
  const bench::fs::path carrier = folder / "picture01.png";
  for (const auto& [label, path] :
       {std::pair<const char*, bench::fs::path>{"JPEG 4000x3000", jpeg}, {"PNG 2000x1500", png}}) {
    std::printf("%s:\n", label);
    const double decode = bench::TimeMedian(repetitions, [&] { image::DecodeImageFile(path); });
    const double wxDecode =
        bench::TimeMedian(repetitions, [&] { wxImage i(path.string(), wxBITMAP_TYPE_ANY); });
    const image::ArgbImage decoded = image::DecodeImageFile(path);
    const double detect =
        bench::TimeMedian(repetitions * 20, [&] { stego::DetectHiddenPayload(decoded, keyring); });
    const double thumb = bench::TimeMedian(repetitions, [&] { image::MakeThumbnail(decoded, 10); });
    const double whole =
        bench::TimeMedian(repetitions, [&] { image::ScanImageFile(path, keyring, true); });
    Row("  ScanImageFile", whole);
    Row("  DecodeImageFile", decode);
    Row("    of which the wx decoder", wxDecode);
    Row("    of which the copy into ARGB (rest)", decode - wxDecode);
    std::printf("  %-50s %9.3f ms  (%.2f%% of the image; limit 1 ms)\n",
                "detection, 5 slots, nothing found", detect, 100.0 * detect / whole);
    Row("  framed thumbnail", thumb);
  }
  {
    const image::ArgbImage decoded = image::DecodeImageFile(carrier);
    const double detect =
        bench::TimeMedian(repetitions * 20, [&] { stego::DetectHiddenPayload(decoded, keyring); });
    std::printf("  %-50s %9.3f ms\n", "detection of a payload (opens with slot 5)", detect);
  }
  {
    const double derive = bench::TimeMedian(repetitions, [] {
      const crypto::SlotKeyring ring(bench::BenchSlots());
      for (int slot = 0; slot < crypto::kPasswordSlots; ++slot) ring.Keys(slot);
    });
    Row("key derivation of five slots (once per scan)", derive);
  }
  std::printf("\n");

  // --- Could JPEG thumbnails come from a reduced decode? -----------------------------------
  // libjpeg scales by 1/2, 1/4 or 1/8 while decoding; wx asks for it through the maximum
  // size options. Detection would still need the first 1152 pixels at full resolution.
  const double reduced = bench::TimeMedian(repetitions, [&] {
    wxImage i;
    i.SetOption(wxIMAGE_OPTION_MAX_WIDTH, 2 * image::kThumbnailWidth);
    i.SetOption(wxIMAGE_OPTION_MAX_HEIGHT, 2 * image::kThumbnailHeight);
    i.LoadFile(jpeg.string(), wxBITMAP_TYPE_JPEG);
  });
  Row("wx JPEG decode at 1/8 scale (500x375)", reduced);
  const double calibration = bench::TimeMedian(repetitions, [] {
    std::vector<std::uint32_t> fresh(12000000, 1);
    if (fresh[11999999] != 1) std::abort();
  });
  Row("calibration: a fresh 48 MB buffer, filled", calibration);
  return 0;
}
