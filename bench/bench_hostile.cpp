// What a few hundred bytes of hostile image cost the folder scan: tiny files whose headers
// declare huge pictures, decoded by the imaging layer in a child process whose address
// space is capped. Prints the time, the child's peak resident size and how it ended. Not a
// test: the figures back a size check before decoding.
//   bench_hostile [cap in MiB, default 4096]
#include "bench/bench_util.h"
#include "core/image/imaging.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <wx/init.h>

#include <array>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

using namespace veilmark;

void Put32le(std::string& s, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) s.push_back(static_cast<char>(v >> (8 * i)));
}
void Put16le(std::string& s, std::uint16_t v) {
  s.push_back(static_cast<char>(v));
  s.push_back(static_cast<char>(v >> 8));
}
void Put32be(std::string& s, std::uint32_t v) {
  for (int i = 3; i >= 0; --i) s.push_back(static_cast<char>(v >> (8 * i)));
}

std::uint32_t Crc32(const std::string& bytes) {
  std::uint32_t crc = 0xFFFFFFFFu;
  for (unsigned char c : bytes) {
    crc ^= c;
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

std::string Bmp(std::uint32_t w, std::uint32_t h) {
  std::string s = "BM";
  Put32le(s, 54);
  Put32le(s, 0);
  Put32le(s, 54);
  Put32le(s, 40);
  Put32le(s, w);
  Put32le(s, h);
  Put16le(s, 1);
  Put16le(s, 24);
  for (int i = 0; i < 6; ++i) Put32le(s, 0);
  return s;
}

std::string Png(std::uint32_t w, std::uint32_t h) {
  std::string s = "\x89PNG\r\n\x1a\n";
  std::string ihdr = "IHDR";
  Put32be(ihdr, w);
  Put32be(ihdr, h);
  ihdr += std::string("\x08\x02\x00\x00\x00", 5);
  Put32be(s, 13);
  s += ihdr;
  Put32be(s, Crc32(ihdr));
  // One empty stored deflate block: valid, but far too short for the picture.
  const std::string idat = std::string("IDAT") + std::string("\x78\x01\x01\x00\x00\xff\xff", 7);
  Put32be(s, 7);
  s += idat;
  Put32be(s, Crc32(idat));
  Put32be(s, 0);
  s += "IEND";
  Put32be(s, Crc32("IEND"));
  return s;
}

std::string Gif(std::uint16_t w, std::uint16_t h) {
  std::string s = "GIF89a";
  Put16le(s, w);
  Put16le(s, h);
  s += std::string("\x80\x00\x00", 3);  // global table of 2 colours
  s += std::string("\x00\x00\x00\xff\xff\xff", 6);
  s += ',';
  Put16le(s, 0);
  Put16le(s, 0);
  Put16le(s, w);
  Put16le(s, h);
  s += std::string("\x00\x02\x02\x44\x01\x00;", 7);  // a two-pixel LZW stream, then the end
  return s;
}

// A real small JPEG whose frame header is rewritten to declare w x h.
std::string Jpeg(std::uint16_t w, std::uint16_t h, const bench::fs::path& scratch) {
  image::ArgbImage tiny(16, 16, 0xFF808080u);
  image::SaveImage(tiny, scratch, "image/jpeg");
  std::string s(static_cast<std::size_t>(bench::fs::file_size(scratch)), '\0');
  std::ifstream(scratch, std::ios::binary).read(s.data(), static_cast<std::streamsize>(s.size()));
  for (std::size_t i = 2; i + 9 < s.size(); ++i) {
    if (static_cast<unsigned char>(s[i]) == 0xFF && static_cast<unsigned char>(s[i + 1]) == 0xC0) {
      s[i + 5] = static_cast<char>(h >> 8);
      s[i + 6] = static_cast<char>(h);
      s[i + 7] = static_cast<char>(w >> 8);
      s[i + 8] = static_cast<char>(w);
      break;
    }
  }
  return s;
}

void Try(const char* label, const std::string& bytes, std::uint64_t capMiB) {
  std::fflush(stdout);
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = ::fork();
  if (pid == 0) {
    rlimit limit{capMiB << 20, capMiB << 20};
    ::setrlimit(RLIMIT_AS, &limit);
    const image::ArgbImage decoded = image::DecodeImageData(bytes.data(), bytes.size());
    std::printf("    decoded %d x %d\n", decoded.Width(), decoded.Height());
    std::fflush(stdout);
    ::_exit(0);
  }
  int status = 0;
  rusage usage{};
  ::wait4(pid, &status, 0, &usage);
  const double ms = bench::Elapsed(start);
  std::string end = "exit " + std::to_string(WEXITSTATUS(status));
  if (WIFSIGNALED(status)) end = std::string("killed by ") + ::strsignal(WTERMSIG(status));
  std::printf("  %-38s %5zu bytes %9.1f ms  peak %7.1f MiB  %s\n", label, bytes.size(), ms,
              static_cast<double>(usage.ru_maxrss) / 1024.0, end.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  const std::uint64_t cap = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 4096;
  wxInitializer initializer;
  if (!initializer.IsOk()) return 1;
  image::InitImageHandlers();
  bench::ScratchFolder dir("veilmark-bench-hostile");
  std::printf("each file decoded in a child limited to %llu MiB of address space\n",
              static_cast<unsigned long long>(cap));
  Try("BMP declaring 1000 x 1000 (baseline)", Bmp(1000, 1000), cap);
  Try("BMP declaring 21655 x 24768 (fuzz find)", Bmp(21655, 24768), cap);
  Try("PNG declaring 1000 x 1000 (baseline)", Png(1000, 1000), cap);
  Try("PNG declaring 20000 x 20000", Png(20000, 20000), cap);
  Try("GIF declaring 1000 x 1000 (baseline)", Gif(1000, 1000), cap);
  Try("GIF declaring 30000 x 30000", Gif(30000, 30000), cap);
  Try("JPEG declaring 1000 x 1000 (baseline)", Jpeg(1000, 1000, dir / "t.jpg"), cap);
  Try("JPEG declaring 16000 x 16000", Jpeg(16000, 16000, dir / "t.jpg"), cap);
  Try("JPEG declaring 60000 x 60000", Jpeg(60000, 60000, dir / "t.jpg"), cap);
  return 0;
}
