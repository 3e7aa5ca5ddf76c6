// The progress of a folder command on standard error. On a terminal it is one line
// rewritten in place (file k of n, bytes, rate, time left); elsewhere it is one plain
// line per file, "[k/n] name", for logs and scripts.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace veilmark::cli {

bool StderrIsTerminal();

class ProgressLine {
 public:
  // `files` are measured once, for the byte counts of the terminal line.
  explicit ProgressLine(const std::vector<std::filesystem::path>& files,
                        bool terminal = StderrIsTerminal());
  ~ProgressLine() { Clear(); }
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;

  // Called before file `index` of `total` starts; the files before it are done.
  void Next(std::size_t index, std::size_t total, const std::filesystem::path& file);
  // Takes the terminal line away so that a message can take its place; the next call of
  // Next draws it again.
  void Clear();

  // The terminal line for the state after `doneBytes` of `totalBytes` in `elapsed`,
  // at most `columns` characters wide.
  static std::string Line(std::size_t index, std::size_t total, const std::string& name,
                          std::uintmax_t doneBytes, std::uintmax_t totalBytes,
                          std::chrono::steady_clock::duration elapsed, std::size_t columns);

 private:
  bool terminal_;
  bool shown_ = false;
  std::vector<std::uintmax_t> sizes_;
  std::uintmax_t totalBytes_ = 0;
  std::chrono::steady_clock::time_point start_;
};

}  // namespace veilmark::cli
