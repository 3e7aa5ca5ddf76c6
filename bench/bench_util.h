// Small helpers shared by the benchmark programs: timing, photo-like test images, scratch
// folders under /tmp and timing of external programs.
#pragma once

#include "core/image/argb_image.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <system_error>
#include <vector>

namespace bench {

namespace fs = std::filesystem;
using veilmark::image::ArgbImage;

inline double Elapsed(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
      .count();
}

inline double Median(std::vector<double> runs) {
  if (runs.empty()) return 0.0;
  std::sort(runs.begin(), runs.end());
  return runs[runs.size() / 2];
}

// Median wall time of `repetitions` runs in milliseconds; `prepare` runs untimed before each.
inline double TimeMedian(int repetitions, const std::function<void()>& work,
                         const std::function<void()>& prepare = {}) {
  std::vector<double> runs;
  for (int i = 0; i < repetitions; ++i) {
    if (prepare) prepare();
    const auto start = std::chrono::steady_clock::now();
    work();
    runs.push_back(Elapsed(start));
  }
  return Median(runs);
}

// Smooth landscape-like gradients, a few soft blobs and fine noise: compresses, decodes
// and carries a payload like a photograph does (pure noise would not compress at all).
inline ArgbImage PhotoLike(int width, int height, unsigned seed) {
  std::mt19937 random(seed);
  ArgbImage image(width, height);
  struct Blob {
    float x, y, r, dr, dg, db;
  };
  std::vector<Blob> blobs;
  std::uniform_real_distribution<float> unit(0.0f, 1.0f);
  for (int i = 0; i < 6; ++i) {
    blobs.push_back({unit(random) * width, unit(random) * height,
                     (0.05f + 0.2f * unit(random)) * static_cast<float>(std::min(width, height)),
                     unit(random) * 120 - 60, unit(random) * 120 - 60, unit(random) * 120 - 60});
  }
  const float hue = unit(random);
  for (int y = 0; y < height; ++y) {
    const float fy = static_cast<float>(y) / static_cast<float>(height);
    for (int x = 0; x < width; ++x) {
      const float fx = static_cast<float>(x) / static_cast<float>(width);
      float r = 40 + 150 * fy + 40 * hue;
      float g = 90 + 100 * (1 - fy) * fx;
      float b = 200 - 120 * fy;
      for (const Blob& blob : blobs) {
        const float dx = static_cast<float>(x) - blob.x;
        const float dy = static_cast<float>(y) - blob.y;
        const float d2 = (dx * dx + dy * dy) / (blob.r * blob.r);
        if (d2 < 1.0f) {
          const float w = 1.0f - d2;
          r += blob.dr * w;
          g += blob.dg * w;
          b += blob.db * w;
        }
      }
      const float n = static_cast<float>(static_cast<int>(random() % 9) - 4);
      const auto c = [n](float v) {
        return static_cast<std::uint8_t>(std::clamp(static_cast<int>(v + n), 0, 255));
      };
      image.At(x, y) = veilmark::stego::MakeArgb(0xFF, c(r), c(g), c(b));
    }
  }
  return image;
}

inline std::string RandomBytes(std::size_t size, unsigned seed) {
  std::mt19937 random(seed);
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
  return bytes;
}

inline bool WriteFile(const fs::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

// A folder under /tmp that is removed with everything in it when the object goes.
class ScratchFolder {
 public:
  explicit ScratchFolder(const std::string& name)
      : path_(fs::temp_directory_path() / (name + "-" + std::to_string(::getpid()))) {
    fs::remove_all(path_);
    fs::create_directories(path_);
  }
  ~ScratchFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const fs::path& Path() const { return path_; }
  fs::path operator/(const std::string& name) const { return path_ / name; }

 private:
  fs::path path_;
};

// Runs a program (no shell) with its output discarded; returns its exit status, or -1.
// `usage`, when given, receives the program's resource use (peak resident size among it).
inline int Run(const std::vector<std::string>& argv, const std::string& stdinText = {},
               rusage* usage = nullptr) {
  int pipeFds[2] = {-1, -1};
  if (!stdinText.empty() && ::pipe(pipeFds) != 0) return -1;
  const pid_t pid = ::fork();
  if (pid < 0) return -1;
  if (pid == 0) {
    if (!stdinText.empty()) {
      ::dup2(pipeFds[0], 0);
      ::close(pipeFds[0]);
      ::close(pipeFds[1]);
    }
    if (std::FILE* null = std::fopen("/dev/null", "w")) {
      ::dup2(fileno(null), 1);
      ::dup2(fileno(null), 2);
    }
    std::vector<char*> args;
    for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
    args.push_back(nullptr);
    ::execvp(args[0], args.data());
    ::_exit(127);
  }
  if (!stdinText.empty()) {
    ::close(pipeFds[0]);
    const ssize_t written = ::write(pipeFds[1], stdinText.data(), stdinText.size());
    (void)written;
    ::close(pipeFds[1]);
  }
  int status = 0;
  rusage ignored{};
  if (::wait4(pid, &status, 0, usage != nullptr ? usage : &ignored) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Runs a program and captures its standard output and error.
inline std::string Capture(const std::string& commandLine) {
  std::string out;
  if (std::FILE* pipe = ::popen((commandLine + " 2>&1").c_str(), "r")) {
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
    ::pclose(pipe);
  }
  return out;
}

// Median wall time of a program run `repetitions` times; negative when a run failed.
inline double TimeProgram(int repetitions, const std::vector<std::string>& argv,
                          const std::string& stdinText = {}) {
  std::vector<double> runs;
  for (int i = 0; i < repetitions; ++i) {
    const auto start = std::chrono::steady_clock::now();
    if (Run(argv, stdinText) != 0) return -1.0;
    runs.push_back(Elapsed(start));
  }
  return Median(runs);
}

// A program's median wall time over `repetitions` runs and its largest peak resident size.
struct ProgramRun {
  double ms = -1;  // negative when a run failed
  double peakRssMiB = 0;
};
inline ProgramRun MeasureProgram(int repetitions, const std::vector<std::string>& argv) {
  std::vector<double> runs;
  ProgramRun result;
  for (int i = 0; i < repetitions; ++i) {
    rusage usage{};
    const auto start = std::chrono::steady_clock::now();
    if (Run(argv, {}, &usage) != 0) return result;
    runs.push_back(Elapsed(start));
    result.peakRssMiB = std::max(result.peakRssMiB, static_cast<double>(usage.ru_maxrss) / 1024.0);
  }
  result.ms = Median(runs);
  return result;
}

inline bool HaveProgram(const std::string& name) {
  return Run({"sh", "-c", "command -v " + name}) == 0;
}

// Peak resident size of this process so far, in MiB.
inline double PeakRssMiB() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

inline double CurrentRssMiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
  }
  return 0.0;
}

inline void Row(const char* what, double ms) { std::printf("%-52s %9.1f ms\n", what, ms); }

}  // namespace bench
