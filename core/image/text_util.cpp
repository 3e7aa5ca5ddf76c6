#include "core/image/text_util.h"

#include <cryptopp/osrng.h>

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace veilmark {

std::string AsciiLower(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  return (fs::u8path(folder) / fs::u8path(name)).u8string();
}

std::string FileNameFromPath(const std::string& path) {
  return fs::u8path(path).filename().u8string();
}

long long FileSizeOf(const std::string& path) {
  std::error_code ec;
  const auto size = fs::file_size(fs::u8path(path), ec);
  return ec ? -1 : static_cast<long long>(size);
}

bool PathExists(const std::string& path) {
  std::error_code ec;
  return !path.empty() && fs::exists(fs::u8path(path), ec);
}

bool IsDirectory(const std::string& path) {
  std::error_code ec;
  return !path.empty() && fs::is_directory(fs::u8path(path), ec);
}

std::string MakePrivateTempFolder() {
  std::error_code ec;
  const fs::path base = fs::temp_directory_path(ec);
  CryptoPP::AutoSeededRandomPool rng;
  for (int attempt = 0; attempt < 16; ++attempt) {
    const fs::path candidate = base / ("veilmark-" + std::to_string(rng.GenerateWord32()));
    if (fs::create_directory(candidate, ec)) {
      fs::permissions(candidate, fs::perms::owner_all, fs::perm_options::replace, ec);
      return candidate.u8string();
    }
  }
  return base.u8string();
}

}  // namespace veilmark
