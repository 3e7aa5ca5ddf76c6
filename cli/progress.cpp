#include "cli/progress.h"

#include "core/base/text_util.h"

#include <iostream>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#else
#include <sys/ioctl.h>
#include <unistd.h>
#endif

namespace veilmark::cli {

namespace {

namespace fs = std::filesystem;

std::size_t TerminalColumns() {
#ifndef _WIN32
  winsize size{};
  if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
#endif
  return 80;
}

std::string Bytes(std::uintmax_t n) {
  const char* units[] = {"B", "KB", "MB", "GB", "TB"};
  double value = static_cast<double>(n);
  std::size_t unit = 0;
  while (value >= 1024 && unit + 1 < std::size(units)) {
    value /= 1024;
    ++unit;
  }
  return unit == 0 ? Format("%ju B", n) : Format("%.1f %s", value, units[unit]);
}

std::string Duration(long long seconds) {
  if (seconds >= 3600)
    return Format("%lld:%02lld:%02lld", seconds / 3600, seconds / 60 % 60, seconds % 60);
  return Format("%lld:%02lld", seconds / 60, seconds % 60);
}

// Characters, not bytes, decide the width a terminal gives a text.
std::size_t Columns(const std::string& text) {
  std::size_t n = 0;
  for (const char c : text)
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++n;
  return n;
}

// The first `columns` characters of `text`.
std::string CutToColumns(const std::string& text, std::size_t columns) {
  std::size_t n = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80 && n++ == columns)
      return text.substr(0, i);
  }
  return text;
}

}  // namespace

bool StderrIsTerminal() {
#ifdef _WIN32
  return _isatty(_fileno(stderr)) != 0;
#else
  return ::isatty(STDERR_FILENO) == 1;
#endif
}

ProgressLine::ProgressLine(const std::vector<fs::path>& files, bool terminal)
    : terminal_(terminal), start_(std::chrono::steady_clock::now()) {
  if (!terminal_) return;
  sizes_.reserve(files.size());
  for (const fs::path& file : files) {
    std::error_code ec;
    const std::uintmax_t size = fs::file_size(file, ec);
    sizes_.push_back(ec ? 0 : size);
    totalBytes_ += sizes_.back();
  }
}

void ProgressLine::Next(std::size_t index, std::size_t total, const fs::path& file) {
  if (!terminal_) {
    std::cerr << "[" << index + 1 << "/" << total << "] " << file.filename().u8string()
              << std::endl;
    return;
  }
  std::uintmax_t done = 0;
  for (std::size_t i = 0; i < index && i < sizes_.size(); ++i) done += sizes_[i];
  // The last column stays free: writing into it makes some terminals wrap the line.
  std::cerr << "\r"
            << Line(index, total, VisibleText(file.filename().u8string()), done, totalBytes_,
                    std::chrono::steady_clock::now() - start_, TerminalColumns() - 1)
            << "\x1b[K" << std::flush;
  shown_ = true;
}

void ProgressLine::Clear() {
  if (!shown_) return;
  std::cerr << "\r\x1b[K" << std::flush;
  shown_ = false;
}

std::string ProgressLine::Line(std::size_t index, std::size_t total, const std::string& name,
                               std::uintmax_t doneBytes, std::uintmax_t totalBytes,
                               std::chrono::steady_clock::duration elapsed, std::size_t columns) {
  const double seconds = std::chrono::duration<double>(elapsed).count();
  std::string counts = "  " + Bytes(doneBytes) + " of " + Bytes(totalBytes);
  // A rate needs some time and some bytes behind it to mean anything.
  if (doneBytes > 0 && seconds >= 0.5) {
    const double rate = static_cast<double>(doneBytes) / seconds;
    const auto left = static_cast<long long>(static_cast<double>(totalBytes - doneBytes) / rate);
    counts += "  " + Bytes(static_cast<std::uintmax_t>(rate)) + "/s  " + Duration(left) + " left";
  }
  const std::string head = Format("File %zu of %zu: ", index + 1, total);
  const std::size_t fixed = Columns(head) + Columns(counts);
  if (fixed >= columns) return CutToColumns(head + counts, columns);
  return head + CutToColumns(name, columns - fixed) + counts;
}

}  // namespace veilmark::cli
