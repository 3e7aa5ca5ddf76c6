// Whole-file helpers for the file engine tests; scratch folders come from tests/support.
#pragma once

#include "tests/support/scratch_folder.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace veilmark::testutil {

namespace fs = std::filesystem;

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
