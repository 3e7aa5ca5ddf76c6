// Scratch folders and whole-file helpers for the file engine tests.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace veilmark::testutil {

namespace fs = std::filesystem;

// A fresh folder per test, removed with everything in it afterwards.
class TempFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    std::random_device rd;
    dir_ = fs::temp_directory_path() / ("veilmark-test-" + std::to_string(rd()));
    fs::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }
  fs::path Path(const std::string& name) const { return dir_ / name; }
  // Every name in the folder, dot files included: shows stray temporary files.
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir_))
      names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  fs::path dir_;
};

inline void WriteFile(const fs::path& path, const std::string& content) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
}

inline std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary | std::ios::ate);
  if (!in) return {};
  std::string content(static_cast<std::size_t>(in.tellg()), '\0');
  in.seekg(0);
  in.read(content.data(), static_cast<std::streamsize>(content.size()));
  return content;
}

// Bytes that differ from block to block, so that misplaced blocks show.
inline std::string PatternBytes(std::size_t size, unsigned seed = 1) {
  std::string s(size, '\0');
  std::minstd_rand gen(seed);
  for (char& c : s) c = static_cast<char>(gen() & 0xFF);
  return s;
}

inline bool HaveOpenssl() { return std::system("command -v openssl >/dev/null 2>&1") == 0; }

// The openssl command line that matches the ".cry" construction.
inline std::string OpensslEnc(const std::string& direction, const std::string& password,
                              const fs::path& in, const fs::path& out) {
  return "openssl enc " + direction +
         " -aes-256-cbc -pbkdf2 -iter 8000 -md sha512 -nosalt -pass pass:" + password + " -in '" +
         in.string() + "' -out '" + out.string() + "' 2>/dev/null";
}

}  // namespace veilmark::testutil
