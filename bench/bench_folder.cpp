// Opening a folder of 500 moderate pictures (1600 x 1200, JPEG and PNG, a few carrying
// payloads) as the desktop does: list the files that decode as images, then build every
// framed thumbnail on a pool of two threads. Prints the time until the first thumbnail and
// until the last, beside vipsthumbnail on the same files. Not a test.
//   bench_folder [images] [repetitions]
#include "bench/bench_folder_data.h"

#include <wx/init.h>
#include <wx/log.h>

#include <cstdio>
#include <cstdlib>

namespace {

using namespace veilmark;
using bench::Row;

}  // namespace

int main(int argc, char** argv) {
  const int count = argc > 1 ? std::max(10, std::atoi(argv[1])) : 500;
  const int repetitions = argc > 2 ? std::max(1, std::atoi(argv[2])) : 2;
  wxInitializer initializer;
  if (!initializer.IsOk()) return 1;
  image::InitImageHandlers();
  wxLogNull quiet;

  bench::ScratchFolder dir("veilmark-bench-folder");
  const auto folder = dir / "pictures";
  bench::fs::create_directories(folder);
  std::vector<bench::PicturePlan> plans;
  int payloads = 0;
  for (int i = 0; i < count; ++i) {
    char name[32];
    const bool jpeg = i % 5 < 3;  // three in five are JPEG
    std::snprintf(name, sizeof name, "img%04d.%s", i, jpeg ? "jpg" : "png");
    int kind = 0;
    if (!jpeg && i % 50 == 3) {
      kind = 20 + 10 * (payloads % 3);
      ++payloads;
    }
    plans.push_back({name, 1600, 1200, jpeg ? "image/jpeg" : "image/png", kind});
  }
  std::printf(
      "making %d pictures of 1600x1200 (3 in 5 JPEG q100, the rest PNG, %d with "
      "payloads)...\n",
      count, payloads);
  const auto made = std::chrono::steady_clock::now();
  bench::MakePictures(folder, plans);
  std::uintmax_t bytes = 0;
  for (const auto& entry : bench::fs::directory_iterator(folder)) bytes += entry.file_size();
  std::printf("made in %.0f s: %.0f MB; 5 slots, the payloads open with slot 5\n",
              bench::Elapsed(made) / 1000.0, static_cast<double>(bytes) / 1e6);
  std::printf("repetitions: %d (median shown)\n\n", repetitions);

  std::vector<double> listing, first, all, single;
  int flagged = 0;
  for (int r = 0; r < repetitions; ++r) {
    // The listing: every file whose header some decoder recognises.
    const auto start = std::chrono::steady_clock::now();
    std::vector<bench::fs::path> images;
    for (const auto& entry : bench::fs::directory_iterator(folder)) {
      if (entry.is_regular_file() && image::IsImageFile(entry.path())) {
        images.push_back(entry.path());
      }
    }
    const double listed = bench::Elapsed(start);
    const bench::ScanTimes pooled = bench::ScanWithPool(images, 2);
    listing.push_back(listed);
    first.push_back(listed + pooled.firstMs);
    all.push_back(listed + pooled.totalMs);
    flagged = pooled.flagged;
    single.push_back(listed + bench::ScanWithPool(images, 1).totalMs);
  }
  const double allMs = bench::Median(all);
  Row("listing (IsImageFile on every file)", bench::Median(listing));
  Row("first thumbnail, pool of 2 (listing included)", bench::Median(first));
  Row("all thumbnails, pool of 2 (listing included)", allMs);
  std::printf("  %.1f images/s; %d found to carry a payload (%d expected)\n",
              1000.0 * count / allMs, flagged, payloads);
  Row("all thumbnails, 1 thread (listing included)", bench::Median(single));

  if (bench::HaveProgram("vipsthumbnail")) {
    const double vips = bench::TimeVipsThumbnail(repetitions, bench::FilesOf(folder), dir / "vips");
    if (vips > 0) {
      Row("vipsthumbnail -s 150x135 of the same files", vips);
      std::printf("  %.1f images/s; ratio pool of 2 / vipsthumbnail: %.2f\n", 1000.0 * count / vips,
                  allMs / vips);
    } else {
      std::printf("vipsthumbnail failed\n");
    }
  } else {
    std::printf("vipsthumbnail missing: scripts/install-bench-deps installs it\n");
  }
  return 0;
}
