// The tests' scratch folders (a fresh folder under the system's temporary folder, removed
// with everything in it when the test is done) and whole-file helpers.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <system_error>
#include <vector>

namespace veilmark::testutil {

class ScratchFolder {
 public:
  // `prefix` starts the folder's name; tests whose paths must stay short pass a short one.
  explicit ScratchFolder(const std::string& prefix = "veilmark-test-") {
    std::random_device random;
    path_ = std::filesystem::temp_directory_path() / (prefix + std::to_string(random()));
    std::filesystem::create_directories(path_);
  }
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::string str() const { return path_.u8string(); }
  // Names are UTF-8, as everywhere in the program (a narrow path is the ANSI code page on Windows).
  std::filesystem::path operator/(const std::string& name) const {
    return path_ / std::filesystem::u8path(name);
  }

  // Every name in the folder, dot files included: shows stray temporary files.
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(path_))
      names.push_back(e.path().filename().u8string());
    std::sort(names.begin(), names.end());
    return names;
  }

 private:
  std::filesystem::path path_;
};

// A test with a scratch folder of its own: `dir_`, and `Path(name)` in it.
class TempFolder : public ::testing::Test {
 protected:
  std::filesystem::path Path(const std::string& name) const {
    return dir_ / std::filesystem::u8path(name);
  }
  std::vector<std::string> Names() const { return scratch_.Names(); }

  ScratchFolder scratch_;
  const std::filesystem::path dir_ = scratch_.path();
};

inline void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// The whole file; empty when it cannot be read.
inline std::string ReadFile(const std::filesystem::path& path) {
  std::error_code ec;
  const auto size = std::filesystem::file_size(path, ec);
  if (ec) return {};
  std::string bytes(static_cast<std::size_t>(size), '\0');
  std::ifstream in(path, std::ios::binary);
  in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  return bytes;
}

}  // namespace veilmark::testutil
