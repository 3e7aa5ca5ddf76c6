// Small text and path helpers shared by the document's commands.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace veilmark {

// printf-style formatting into a std::string; the program's texts are printf formats.
template <typename... Args>
std::string Format(const char* format, Args... args) {
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
#pragma GCC diagnostic ignored "-Wformat-security"
#endif
  const int n = std::snprintf(nullptr, 0, format, args...);
  if (n <= 0) return {};
  std::vector<char> buffer(static_cast<std::size_t>(n) + 1);
  std::snprintf(buffer.data(), buffer.size(), format, args...);
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
  return std::string(buffer.data(), static_cast<std::size_t>(n));
}

// Lower-cases ASCII letters only, so UTF-8 names stay intact.
std::string AsciiLower(std::string text);

// folder + separator + name, by the platform's rules ("C:\" + "a" has one separator).
std::string JoinPath(const std::string& folder, const std::string& name);
// The part of a path after its last separator.
std::string FileNameFromPath(const std::string& path);
// Size of a file in bytes, or -1 when it cannot be read.
long long FileSizeOf(const std::string& path);
bool PathExists(const std::string& path);
bool IsDirectory(const std::string& path);

// Creates a new folder, readable by its owner only, in the system's temporary folder.
std::string MakePrivateTempFolder();

}  // namespace veilmark
