// Times the steganography engines on a 4000 x 3000 grid: hiding 1 MB, detecting per image
// and slot, extracting. Key derivation is timed apart (the keyring caches it per scan).
#include "core/crypto/cipher.h"
#include "core/crypto/passwords.h"
#include "core/stego/detect.h"
#include "core/stego/embed.h"
#include "core/stego/payload.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <vector>

namespace {

using namespace veilmark;
using Clock = std::chrono::steady_clock;

// Forwards the four pixel calls only, as a grid without direct access would.
class CallOnlyGrid final : public stego::PixelGrid {
 public:
  explicit CallOnlyGrid(stego::MemoryGrid& inner) : inner_(inner) {}
  int Width() const override { return inner_.Width(); }
  int Height() const override { return inner_.Height(); }
  bool GetPixel(int x, int y, stego::Argb& out) const override {
    return inner_.GetPixel(x, y, out);
  }
  bool SetPixel(int x, int y, stego::Argb v) override { return inner_.SetPixel(x, y, v); }

 private:
  stego::MemoryGrid& inner_;
};

template <typename F>
double MedianMs(int runs, F&& f) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    const auto start = Clock::now();
    f();
    times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

}  // namespace

int main() {
  constexpr int kWidth = 4000, kHeight = 3000;
  const std::string password = "quintus4072";
  const char* timestamp = "2026-12-08 20h:53m:38s";
  std::mt19937 gen(5);
  stego::MemoryGrid base(kWidth, kHeight);
  for (stego::Argb& p : base.Pixels()) p = 0xFF000000u | (gen() & 0x00FFFFFFu);
  std::string file(1 << 20, '\0');
  for (char& c : file) c = static_cast<char>(gen());

  crypto::KeyAndIV keys;
  std::printf("key derivation:            %8.2f ms\n",
              MedianMs(5, [&] { keys = crypto::DeriveKeyAndIV(password); }));

  stego::MemoryGrid grid = base;
  // Embedding again into the same grid replaces the payload; the work is the same.
  std::printf("embed 1 MB, direct pixels: %8.2f ms\n", MedianMs(5, [&] {
                stego::EmbedPayload(grid, keys, password, file, "file.bin", timestamp);
              }));
  std::printf("  of which encryption:     %8.2f ms\n",
              MedianMs(5, [&] { (void)stego::EncryptPayload(keys, file, "file.bin", timestamp); }));
  std::printf("  of which one histogram:  %8.2f ms\n",
              MedianMs(5, [&] { (void)stego::ComputeColourHistogram(grid); }));
  stego::MemoryGrid callGrid = base;
  CallOnlyGrid calls(callGrid);
  std::printf("embed 1 MB, pixel calls:   %8.2f ms\n", MedianMs(3, [&] {
                stego::EmbedPayload(calls, keys, password, file, "file.bin", timestamp);
              }));

  // Wrong-key attempts would report Crypto++'s text; keep it out of the figures.
  crypto::SlotKeyring match({password, "", "", "", ""}, crypto::FailureSink::Silent());
  crypto::SlotKeyring miss({"not-the-password", "", "", "", ""}, crypto::FailureSink::Silent());
  (void)match.Keys(0);
  (void)miss.Keys(0);
  constexpr int kDetections = 2000;
  const double hit = MedianMs(3, [&] {
    for (int i = 0; i < kDetections; ++i) (void)stego::DetectHiddenPayload(grid, match);
  });
  const double missDirect = MedianMs(3, [&] {
    for (int i = 0; i < kDetections; ++i) (void)stego::DetectHiddenPayload(base, miss);
  });
  const double missCalls = MedianMs(3, [&] {
    for (int i = 0; i < kDetections; ++i) (void)stego::DetectHiddenPayload(calls, miss);
  });
  std::optional<stego::HiddenPayload> payload;
  const double extract = MedianMs(5, [&] { payload = stego::ExtractHiddenPayload(grid, match); });
  std::printf("detect, payload found:     %8.4f ms per image and slot\n", hit / kDetections);
  std::printf("detect, wrong key:         %8.4f ms per image and slot\n", missDirect / kDetections);
  std::printf("detect, wrong key, calls:  %8.4f ms per image and slot\n", missCalls / kDetections);
  std::printf("extract 1 MB:              %8.2f ms (%s)\n", extract,
              payload && payload->content == file ? "content matches" : "MISMATCH");
  return payload && payload->content == file ? 0 : 1;
}
