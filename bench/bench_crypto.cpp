// Measures key derivation and file throughput of Veilmark beside openssl running the same
// construction (PBKDF2-HMAC-SHA512, no salt, 8000 iterations; AES-256-CBC, PKCS #7).
//
//   bench_crypto [MiB]      (default 1024; the file lives in /tmp and is removed)
//
// Key derivation: the mean of in-process derivations, beside openssl's: the median wall
// time of `openssl enc -P` with 50 times the iterations minus the median with 8000,
// divided by 49, which takes the start-up of the process out of the figure.
// Throughput: `veilmark-cli encrypt` and `decrypt` (which flush their output to disk
// before they replace anything) beside `openssl enc` on the same page-cached file; the
// flush of openssl's output is timed separately, so both a like-for-like ratio and the
// cipher-only one are shown. Each figure is the best of several runs; pending writes are
// flushed between runs so that no run pays for another's.
#include "core/crypto/cipher.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr char kPassword[] = "bench-password";
constexpr int kRuns = 3;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

// Wall time of a shell command; throws on failure so that no figure is made of an error.
double TimeCommand(const std::string& command) {
  const auto start = Clock::now();
  const int status = std::system(command.c_str());
  const double seconds = Seconds(Clock::now() - start);
  if (status != 0) {
    throw std::runtime_error("command failed (" + std::to_string(status) + "): " + command);
  }
  return seconds;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

double FsyncSeconds(const fs::path& file) {
  const int fd = ::open(file.c_str(), O_RDONLY);
  const auto start = Clock::now();
  ::fsync(fd);
  const double seconds = Seconds(Clock::now() - start);
  ::close(fd);
  return seconds;
}

void DropDirtyPages() { ::sync(); }

// Removes the scratch folder however the benchmark ends.
struct ScratchFolder {
  fs::path path;
  ScratchFolder() {
    char name[] = "/tmp/veilmark-bench-XXXXXX";
    if (!::mkdtemp(name)) {
      std::perror("mkdtemp");
      std::exit(1);
    }
    path = name;
  }
  ~ScratchFolder() {
    std::error_code ec;
    fs::remove_all(path, ec);
  }
};

void WriteTestFile(const fs::path& path, std::size_t bytes) {
  std::ofstream out(path, std::ios::binary);
  std::vector<std::uint64_t> chunk((std::size_t{1} << 20) / 8);
  std::mt19937_64 gen(42);
  for (std::size_t done = 0; done < bytes; done += chunk.size() * 8) {
    for (auto& w : chunk) w = gen();
    const std::size_t n = std::min(bytes - done, chunk.size() * 8);
    out.write(reinterpret_cast<const char*>(chunk.data()), static_cast<std::streamsize>(n));
  }
}

bool SameContent(const fs::path& a, const fs::path& b) {
  return std::system(("cmp -s '" + a.string() + "' '" + b.string() + "'").c_str()) == 0;
}

void BenchKeyDerivation(const fs::path& dir) {
  constexpr int kDerivations = 20;
  constexpr int kScale = 50;
  const auto start = Clock::now();
  for (int i = 0; i < kDerivations; ++i) veilmark::crypto::DeriveKeyAndIV(kPassword);
  const double ours = Seconds(Clock::now() - start) / kDerivations * 1e3;

  const auto derive = [&](int iterations) {
    return "openssl enc -aes-256-cbc -pbkdf2 -iter " + std::to_string(iterations) +
           " -md sha512 -nosalt -P -pass pass:" + kPassword + " >'" + (dir / "kdf.txt").string() +
           "' 2>&1";
  };
  std::vector<double> once, scaled;
  for (int i = 0; i < 5; ++i) {
    once.push_back(TimeCommand(derive(8000)));
    scaled.push_back(TimeCommand(derive(8000 * kScale)));
  }
  const double theirs = (Median(scaled) - Median(once)) / (kScale - 1) * 1e3;
  std::printf("PBKDF2-HMAC-SHA512, 8000 iterations, 64 bytes (openssl: 48, the same one block)\n");
  std::printf("  veilmark  %7.2f ms per derivation (mean of %d in-process)\n", ours, kDerivations);
  std::printf(
      "  openssl   %7.2f ms per derivation (median run with %d iterations %.1f ms, with "
      "%d: %.1f ms; difference / %d)\n",
      theirs, 8000 * kScale, Median(scaled) * 1e3, 8000, Median(once) * 1e3, kScale - 1);
  std::printf("  ratio     %7.2f (openssl time / veilmark time)\n\n", theirs / ours);
}

struct Best {
  double seconds = 1e30;
  void Add(double s) { seconds = std::min(seconds, s); }
};

void BenchThroughput(const fs::path& dir, std::size_t mib) {
  const std::size_t bytes = mib << 20;
  const fs::path source = dir / "source.bin";
  const fs::path pw = dir / "pw";
  std::ofstream(pw) << kPassword << "\n";
  WriteTestFile(source, bytes);
  DropDirtyPages();
  // Read once so every run finds it in the page cache.
  TimeCommand("cat '" + source.string() + "' >/dev/null");

  const std::string cli = VEILMARK_CLI;
  const fs::path link = dir / "plain.bin";  // veilmark-cli deletes what it encrypted
  const std::string ossl =
      "openssl enc -aes-256-cbc -pbkdf2 -iter 8000 -md sha512 -nosalt "
      "-pass file:'" +
      pw.string() + "'";
  Best ourEnc, ourDec, theirEnc, theirDec, encSync, decSync;
  for (int run = 0; run < kRuns; ++run) {
    fs::remove(link);
    fs::create_hard_link(source, link);
    ourEnc.Add(TimeCommand(cli + " encrypt --password-file '" + pw.string() + "' '" +
                           link.string() + "' 2>/dev/null"));
    DropDirtyPages();
    ourDec.Add(TimeCommand(cli + " decrypt --password-file '" + pw.string() + "' '" +
                           link.string() + ".cry' 2>/dev/null"));
    DropDirtyPages();

    const fs::path cry = dir / "openssl.cry";
    const fs::path back = dir / "openssl.plain";
    theirEnc.Add(TimeCommand(ossl + " -in '" + source.string() + "' -out '" + cry.string() + "'"));
    encSync.Add(FsyncSeconds(cry));
    DropDirtyPages();
    theirDec.Add(TimeCommand(ossl + " -d -in '" + cry.string() + "' -out '" + back.string() + "'"));
    decSync.Add(FsyncSeconds(back));
    if (run == 0 && !SameContent(back, source)) {
      throw std::runtime_error("openssl round trip differs");
    }
    if (run == 0 && !SameContent(link, source)) {
      throw std::runtime_error("veilmark round trip differs");
    }
    fs::remove(cry);
    fs::remove(back);
    DropDirtyPages();
  }
  fs::remove(link);

  const double mb = static_cast<double>(bytes) / 1e6;
  std::printf("%zu MiB file in the page cache, best of %d runs, MB/s = 10^6 bytes/s\n", mib, kRuns);
  const auto row = [&](const char* what, const Best& ours, const Best& theirs, const Best& sync) {
    const double oursRate = mb / ours.seconds;
    const double theirRate = mb / theirs.seconds;
    const double theirSyncedRate = mb / (theirs.seconds + sync.seconds);
    std::printf("%s\n", what);
    std::printf("  veilmark-cli (with flush)    %6.2f s  %7.1f MB/s\n", ours.seconds, oursRate);
    std::printf("  openssl enc                  %6.2f s  %7.1f MB/s\n", theirs.seconds, theirRate);
    std::printf("  flush of 1 output (fsync)    %6.2f s\n", sync.seconds);
    std::printf("  openssl enc + flush          %6.2f s  %7.1f MB/s\n",
                theirs.seconds + sync.seconds, theirSyncedRate);
    std::printf("  ratio, both flushed          %6.2f x openssl\n", oursRate / theirSyncedRate);
    std::printf("  ratio, flush taken off ours  %6.2f x openssl\n",
                mb / std::max(ours.seconds - sync.seconds, 1e-9) / theirRate);
  };
  row("Encrypt", ourEnc, theirEnc, encSync);
  row("Decrypt", ourDec, theirDec, decSync);
}

}  // namespace

int main(int argc, char** argv) {
  const std::size_t mib = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 1024;
  if (mib == 0 || std::system("command -v openssl >/dev/null 2>&1") != 0) {
    std::fprintf(stderr, "usage: bench_crypto [MiB]; needs openssl on the PATH\n");
    return 2;
  }
  ScratchFolder scratch;  // removed also when a step fails
  std::printf("scratch folder %s\n\n", scratch.path.c_str());
  try {
    BenchKeyDerivation(scratch.path);
    BenchThroughput(scratch.path, mib);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  return 0;
}
