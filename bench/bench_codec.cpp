// The scanning targets of the codec layer, each printed as a ratio against vipsthumbnail
// -s 150x135 measured in the same run on the same files:
//   veilmark-cli scan, 20 photo-like JPEG 4000 x 3000, five password slots   target <= 0.2x
//   veilmark-cli scan, 20 PNG 2000 x 1500 (six carrying payloads)           target <= 0.1x
//   peak resident size of a scan, large pictures included                    target < 100 MiB
// and the desktop's per-picture work (detection plus thumbnail, pool of two threads) on the
// same folders, with its peak resident size; then where one picture's time goes: the first
// rows detection reads, the reduced decode a thumbnail reads, the whole decode, and the
// thumbnail's reduction of full-size rows.
// Not a test: prints milliseconds, MiB and ratios.
//   bench_codec [repetitions]        (default 3; medians shown)
// It runs itself as `bench_codec --thumbnail-scan DIR` to measure that scan's memory alone.
#include "bench/bench_folder_data.h"
#include "core/image/decoder.h"
#include "core/image/thumbnail.h"

#include <wx/init.h>
#include <wx/log.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>

#ifndef VEILMARK_CLI_PATH
#error "VEILMARK_CLI_PATH names the veilmark-cli program to measure"
#endif

namespace {

using namespace veilmark;
namespace fs = bench::fs;

constexpr double kJpegTarget = 0.2;
constexpr double kPngTarget = 0.1;
constexpr double kMemoryTargetMiB = 100.0;

std::vector<bench::PicturePlan> Plans(const char* stem, int count, int width, int height,
                                      const char* mime, int payloads) {
  const int kinds[] = {20, 30, 40};
  const char* extension = std::strcmp(mime, "image/jpeg") == 0 ? "jpg" : "png";
  std::vector<bench::PicturePlan> plans;
  for (int i = 0; i < count; ++i) {
    char name[48];
    std::snprintf(name, sizeof name, "%s%02d.%s", stem, i, extension);
    plans.push_back({name, width, height, mime, i < payloads ? kinds[i % 3] : 0});
  }
  return plans;
}

struct Verdict {
  const char* what;
  double value;
  double limit;
  const char* unit;
};

void Print(const Verdict& v) {
  std::printf("  %-58s %8.3f%s (target %s %.2f%s): %s\n", v.what, v.value, v.unit,
              v.limit < 1.0 ? "<=" : "<", v.limit, v.unit, v.value <= v.limit ? "met" : "MISSED");
}

// veilmark-cli scan of the folder beside vipsthumbnail of its files.
struct FolderFigures {
  bench::ProgramRun cli;
  bench::ProgramRun thumbnailScan;  // ScanImageFile with thumbnails, pool of two threads
  bench::ProgramRun vips;
};

FolderFigures MeasureFolder(const char* label, const fs::path& folder, const fs::path& passwords,
                            const fs::path& vipsOut, const std::string& self, int repetitions) {
  FolderFigures f;
  const std::vector<fs::path> files = bench::FilesOf(folder);
  f.cli = bench::MeasureProgram(repetitions, {VEILMARK_CLI_PATH, "scan", "--password-file",
                                              passwords.string(), folder.string()});
  f.thumbnailScan = bench::MeasureProgram(repetitions, {self, "--thumbnail-scan", folder.string()});
  fs::create_directories(vipsOut);
  std::vector<std::string> vips = {"vipsthumbnail", "-s", "150x135", "-o",
                                   (vipsOut / "%s.jpg").string()};
  for (const fs::path& file : files) vips.push_back(file.string());
  f.vips = bench::MeasureProgram(repetitions, vips);
  std::printf("%s (%zu files):\n", label, files.size());
  std::printf("  %-46s %9.1f ms  peak %6.1f MiB\n", "veilmark-cli scan (detection only)", f.cli.ms,
              f.cli.peakRssMiB);
  std::printf("  %-46s %9.1f ms  peak %6.1f MiB\n", "detection + thumbnails, pool of 2",
              f.thumbnailScan.ms, f.thumbnailScan.peakRssMiB);
  std::printf("  %-46s %9.1f ms  peak %6.1f MiB\n", "vipsthumbnail -s 150x135", f.vips.ms,
              f.vips.peakRssMiB);
  if (f.vips.ms > 0) {
    std::printf("  ratio scan / vipsthumbnail %.3f; thumbnails / vipsthumbnail %.3f\n",
                f.cli.ms / f.vips.ms, f.thumbnailScan.ms / f.vips.ms);
  }
  return f;
}

// Where one picture's time goes, in process.
void Breakdown(const char* label, const fs::path& path, int repetitions) {
  int width = 0, height = 0;
  const double first = bench::TimeMedian(
      repetitions * 5, [&] { image::DecodeFirstPixels(path, 1152, width, height); });
  int reducedWidth = 0;
  const double reduced = bench::TimeMedian(repetitions, [&] {
    image::ImageReader reader;
    if (!reader.Open(path)) return;
    reader.ReduceFor(image::kThumbnailWidth, image::kThumbnailHeight);
    reducedWidth = reader.Width();
    image::ArgbImage rows;
    reader.ReadRest(rows);
  });
  const double whole = bench::TimeMedian(repetitions, [&] { image::DecodeImageFile(path); });
  const image::ArgbImage decoded = image::DecodeImageFile(path);
  image::ThumbnailReducer reducer;
  const double reduce = bench::TimeMedian(repetitions, [&] {
    reducer.Start(decoded.Width(), decoded.Height(), decoded.Width(), decoded.Height());
    reducer.AddRows(decoded.Data(), decoded.Height());
    reducer.Finish(40);
  });
  std::printf("%s:\n", label);
  std::printf("  %-46s %9.2f ms\n", "first rows (the 1152 header pixels)", first);
  std::printf("  %-46s %9.2f ms  (%d pixels wide)\n", "reduced decode for the thumbnail", reduced,
              reducedWidth);
  std::printf("  %-46s %9.2f ms\n", "whole decode", whole);
  std::printf("  %-46s %9.2f ms\n", "full-size rows into a framed thumbnail", reduce);
}

int ThumbnailScan(const fs::path& folder) {
  std::cout.setstate(std::ios::badbit);  // each slot that does not match says so on stdout
  return bench::ScanWithPool(bench::FilesOf(folder), 2).totalMs > 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  wxInitializer initializer;
  if (!initializer.IsOk()) return 1;
  image::InitImageHandlers();
  wxLogNull quiet;
  if (argc == 3 && std::strcmp(argv[1], "--thumbnail-scan") == 0) return ThumbnailScan(argv[2]);
  const int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
  const std::string self = fs::canonical("/proc/self/exe").string();
  if (!bench::HaveProgram("vipsthumbnail")) {
    std::printf("vipsthumbnail missing: scripts/install-bench-deps installs it\n");
    return 1;
  }

  bench::ScratchFolder dir("veilmark-bench-codec");
  const fs::path jpegs = dir / "jpeg";
  const fs::path pngs = dir / "png";
  const fs::path large = dir / "large";
  for (const fs::path& p : {jpegs, pngs, large}) fs::create_directories(p);
  std::printf(
      "making 20 JPEG 4000x3000 (q100), 20 PNG 2000x1500 (6 with payloads) and a\n"
      "JPEG and a PNG of 8000x6000...\n");
  std::fflush(stdout);
  bench::MakePictures(jpegs, Plans("photo", 20, 4000, 3000, "image/jpeg", 0));
  bench::MakePictures(pngs, Plans("picture", 20, 2000, 1500, "image/png", 6));
  bench::MakePictures(large, {{"large.jpg", 8000, 6000, "image/jpeg", 0},
                              {"large.png", 8000, 6000, "image/png", 40}});
  const fs::path passwords = dir / "passwords.txt";
  std::string lines;
  for (const std::string& p : bench::BenchSlots()) lines += p + "\n";
  bench::WriteFile(passwords, lines);
  std::printf("repetitions: %d (median shown), 5 slots, the payloads open with slot 5\n\n",
              repetitions);

  // The scan must still find what it found: six payloads among the PNGs.
  const std::string listing =
      bench::Capture(std::string(VEILMARK_CLI_PATH) + " scan --password-file " +
                     passwords.string() + " " + pngs.string());
  int found = 0;
  // "name: hidden message: hidden.txt": the kind, not the hidden name, has the space.
  for (std::size_t at = listing.find(": hidden "); at != std::string::npos;
       at = listing.find(": hidden ", at + 1))
    ++found;
  std::printf("veilmark-cli scan of the PNGs finds %d payloads (6 expected)\n\n", found);

  const FolderFigures j =
      MeasureFolder("20 JPEG 4000x3000", jpegs, passwords, dir / "vips-jpeg", self, repetitions);
  const FolderFigures p =
      MeasureFolder("20 PNG 2000x1500", pngs, passwords, dir / "vips-png", self, repetitions);
  const FolderFigures l = MeasureFolder("JPEG and PNG 8000x6000", large, passwords,
                                        dir / "vips-large", self, repetitions);
  std::printf("\n");
  Breakdown("JPEG 4000x3000", jpegs / "photo10.jpg", repetitions);
  Breakdown("PNG 2000x1500", pngs / "picture10.png", repetitions);
  Breakdown("JPEG 8000x6000", large / "large.jpg", repetitions);
  Breakdown("PNG 8000x6000", large / "large.png", repetitions);

  const double peak = std::max({j.cli.peakRssMiB, p.cli.peakRssMiB, l.cli.peakRssMiB});
  const double thumbPeak = std::max(
      {j.thumbnailScan.peakRssMiB, p.thumbnailScan.peakRssMiB, l.thumbnailScan.peakRssMiB});
  std::printf("\nTargets:\n");
  Print({"scan of 20 JPEG 4000x3000 / vipsthumbnail", j.cli.ms / j.vips.ms, kJpegTarget, "x"});
  Print({"scan of 20 PNG 2000x1500 / vipsthumbnail", p.cli.ms / p.vips.ms, kPngTarget, "x"});
  Print({"peak resident size of veilmark-cli scan", peak, kMemoryTargetMiB, " MiB"});
  Print({"peak resident size, detection + thumbnails", thumbPeak, kMemoryTargetMiB, " MiB"});
  return 0;
}
