// A trash of the test's own: decryptions move .cry files there, and the tests look for
// them by their original path.
#pragma once

#include "tests/core/crypto/test_files.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace veilmark::testutil {

#ifdef _WIN32
// Windows puts files into its Recycle Bin, which has no layout to look into: the tests that
// check what the trash received report themselves skipped there.
inline const fs::path& TestDataHome() {
  static const fs::path home = fs::temp_directory_path() / "veilmark-test-data";
  return home;
}
#else
// GLib reads XDG_DATA_HOME once per process, so every test of the process shares this
// folder; each test removes it afterwards (the trash makes its folders again when needed).
inline const fs::path& TestDataHome() {
  static const fs::path home = [] {
    const fs::path path =
        fs::temp_directory_path() / ("veilmark-test-data-" + std::to_string(::getpid()));
    fs::create_directories(path);
    ::setenv("XDG_DATA_HOME", path.c_str(), 1);
    return path;
  }();
  return home;
}
#endif

class TrashFolder : public TempFolder {
 protected:
  void SetUp() override {
    trash_ = TestDataHome() / "Trash";
    TempFolder::SetUp();
#ifdef _WIN32
    GTEST_SKIP() << "looks into the trash by its freedesktop layout; Windows has a Recycle Bin";
#endif
  }
  void TearDown() override {
    std::error_code ec;
    fs::remove_all(TestDataHome(), ec);
    TempFolder::TearDown();
  }

  // The bytes of the trashed file that was at `original`; nullopt when none is there.
  std::optional<std::string> Trashed(const fs::path& original) const {
    std::error_code ec;
    for (fs::directory_iterator it(trash_ / "info", ec), end; !ec && it != end; it.increment(ec)) {
      std::ifstream info(it->path());
      std::string line;
      while (std::getline(info, line)) {
        // Our scratch paths hold nothing that the trash's URI escaping would change.
        if (line != "Path=" + original.string()) continue;
        const fs::path stored = trash_ / "files" / it->path().stem();
        if (!fs::exists(stored)) return std::nullopt;
        return ReadFile(stored);
      }
    }
    return std::nullopt;
  }

  fs::path trash_;
};

}  // namespace veilmark::testutil
