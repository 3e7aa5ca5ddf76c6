// Folders of test pictures for the scanning benchmarks, and the scan itself done the way the
// thumbnail builder does it: ScanImageFile per image on a small pool of threads.
#pragma once

#include "bench/bench_util.h"
#include "core/crypto/cipher.h"
#include "core/crypto/passwords.h"
#include "core/document/folder_scan.h"
#include "core/image/imaging.h"
#include "core/stego/embed.h"

#include <atomic>
#include <mutex>
#include <thread>

namespace bench {

// Five slots, only the last of which opens the payloads: a plain image tries all five.
inline constexpr const char* kSlotPassword = "quintus4072";
inline veilmark::crypto::PasswordSlots BenchSlots() {
  return {"alpha-one", "bravo-two", "charlie-three", "delta-four", kSlotPassword};
}

struct PicturePlan {
  std::string name;  // with its extension
  int width;
  int height;
  const char* mime;
  int payloadKind;  // 0 none, 20 image, 30 message, 40 file (lossless formats only)
};

// Writes the pictures on two threads; a payload is hidden with the last slot's password.
inline void MakePictures(const fs::path& folder, const std::vector<PicturePlan>& plans) {
  using namespace veilmark;
  const crypto::KeyAndIV keys = crypto::DeriveKeyAndIV(kSlotPassword);
  std::atomic<std::size_t> next{0};
  const auto work = [&] {
    for (std::size_t i = next++; i < plans.size(); i = next++) {
      const PicturePlan& plan = plans[i];
      const unsigned seed = 11 + static_cast<unsigned>(i);
      image::ArgbImage picture = PhotoLike(plan.width, plan.height, seed);
      if (plan.payloadKind != 0) {
        const char* hiddenName = plan.payloadKind == 20   ? "hidden.png"
                                 : plan.payloadKind == 30 ? "hidden.txt"
                                                          : "hidden.bin";
        stego::EmbedPayload(picture, keys, kSlotPassword, RandomBytes(20000, seed), hiddenName,
                            "2026-12-09 10h:00m:00s");
      }
      image::SaveImage(picture, folder / plan.name, plan.mime);
    }
  };
  std::thread helper(work);
  work();
  helper.join();
}

struct ScanTimes {
  double firstMs = 0;  // until the first thumbnail was made
  double totalMs = 0;  // until all were made
  int flagged = 0;     // images found to carry a payload
};

// Scans the files the way the thumbnail builder does: each thread takes the next image,
// detects and draws its thumbnail. The keyring is made per scan, as the GUI does.
inline ScanTimes ScanWithPool(const std::vector<fs::path>& files, int threads) {
  using namespace veilmark;
  ScanTimes times;
  const auto start = std::chrono::steady_clock::now();
  const crypto::SlotKeyring keyring(BenchSlots(), crypto::FailureSink::Silent());
  std::atomic<std::size_t> next{0};
  std::atomic<int> flagged{0};
  std::once_flag first;
  const auto work = [&] {
    image::ScanBuffers buffers;  // one set per thread, as each builder worker has
    for (std::size_t i = next++; i < files.size(); i = next++) {
      const image::ScannedImage scanned = image::ScanImageFile(files[i], keyring, true, buffers);
      if (scanned.kind > 10) ++flagged;
      std::call_once(first, [&] { times.firstMs = Elapsed(start); });
    }
  };
  std::vector<std::thread> pool;
  for (int t = 1; t < threads; ++t) pool.emplace_back(work);
  work();
  for (std::thread& t : pool) t.join();
  times.totalMs = Elapsed(start);
  times.flagged = flagged;
  return times;
}

inline std::vector<fs::path> FilesOf(const fs::path& folder) {
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(folder)) files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  return files;
}

// vipsthumbnail making 150 x 135 thumbnails of the files; median wall time, or -1.
inline double TimeVipsThumbnail(int repetitions, const std::vector<fs::path>& files,
                                const fs::path& outFolder) {
  fs::create_directories(outFolder);
  std::vector<std::string> argv = {"vipsthumbnail", "-s", "150x135", "-o",
                                   (outFolder / "%s.jpg").string()};
  for (const fs::path& f : files) argv.push_back(f.string());
  return TimeProgram(repetitions, argv);
}

}  // namespace bench
