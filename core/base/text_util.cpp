#include "core/base/text_util.h"

#include <cstdarg>
#include <cstdio>
#include <filesystem>
#include <random>
#include <system_error>

namespace fs = std::filesystem;

namespace veilmark {

std::string Format(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  const int length = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  std::string out(length > 0 ? static_cast<std::size_t>(length) : 0, '\0');
  if (length > 0) std::vsnprintf(out.data(), out.size() + 1, format, args);
  va_end(args);
  return out;
}

void Wipe(std::string& text) {
  // Through a volatile pointer so that the stores survive even when the string dies next;
  // this floor has no cipher library to lend its wipe.
  volatile char* p = text.data();
  for (std::size_t i = 0; i < text.size(); ++i) p[i] = '\0';
}

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

std::size_t Utf8SequenceAt(std::string_view text, std::size_t i, char32_t& codePoint) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  if (i >= text.size()) return 0;
  const unsigned char c = byte(i);
  std::size_t length = 0;
  unsigned lowest = 0x80, highest = 0xBF;  // allowed range of the second byte
  if (c < 0x80) {
    length = 1;
  } else if (c >= 0xC2 && c <= 0xDF) {
    length = 2;
  } else if (c >= 0xE0 && c <= 0xEF) {
    length = 3;
    if (c == 0xE0) lowest = 0xA0;   // overlong
    if (c == 0xED) highest = 0x9F;  // surrogates
  } else if (c >= 0xF0 && c <= 0xF4) {
    length = 4;
    if (c == 0xF0) lowest = 0x90;   // overlong
    if (c == 0xF4) highest = 0x8F;  // beyond U+10FFFF
  }
  if (length == 0 || i + length > text.size()) return 0;
  if (length > 1 && (byte(i + 1) < lowest || byte(i + 1) > highest)) return 0;
  for (std::size_t k = 2; k < length; ++k)
    if (byte(i + k) < 0x80 || byte(i + k) > 0xBF) return 0;
  codePoint = length == 1 ? c : c & (0xFFu >> (length + 1));
  for (std::size_t k = 1; k < length; ++k) codePoint = (codePoint << 6) | (byte(i + k) & 0x3Fu);
  return length;
}

char32_t Windows1252CodePoint(unsigned char byte) {
  static constexpr char16_t kHigh[32] = {
      0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
      0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
      0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
  return byte >= 0x80 && byte <= 0x9F ? kHigh[byte - 0x80] : byte;
}

std::string Utf8OrWindows1252(std::string_view bytes) {
  char32_t ignored = 0;
  std::size_t i = 0;
  while (i < bytes.size()) {
    const std::size_t length = Utf8SequenceAt(bytes, i, ignored);
    if (length == 0) break;
    i += length;
  }
  if (i == bytes.size()) return std::string(bytes);
  std::string out;
  out.reserve(bytes.size() * 2);
  for (const char c : bytes) {
    const char32_t cp = Windows1252CodePoint(static_cast<unsigned char>(c));
    if (cp < 0x80) {
      out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
      out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
  }
  return out;
}

bool IsFormattingControl(char32_t c) {
  return (c >= 0x80 && c <= 0x9F) || c == 0x061C || c == 0x200E || c == 0x200F ||
         (c >= 0x2028 && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

std::string VisibleText(std::string_view text, bool keepLineBreaks) {
  std::string out;
  out.reserve(text.size());
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  for (std::size_t i = 0; i < text.size();) {
    const unsigned char c = byte(i);
    if (c < 0x80) {
      const bool lineBreak =
          c == '\n' || c == '\t' || (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n');
      if ((c >= 0x20 && c != 0x7F) || (keepLineBreaks && lineBreak))
        out += static_cast<char>(c);
      else
        out += Format("\\x%02X", static_cast<unsigned>(c));
      ++i;
      continue;
    }
    char32_t codePoint = 0;
    const std::size_t length = Utf8SequenceAt(text, i, codePoint);
    if (length == 0) {
      out += Format("\\x%02X", static_cast<unsigned>(c));
      ++i;
      continue;
    }
    if (IsFormattingControl(codePoint))
      out += Format("<U+%04X>", static_cast<unsigned>(codePoint));
    else
      out.append(text, i, length);
    i += length;
  }
  return out;
}

std::string MakePrivateTempFolder() {
  std::error_code ec;
  const fs::path base = fs::temp_directory_path(ec);
  for (int attempt = 0; attempt < 16; ++attempt) {
    const fs::path candidate = base / ("veilmark-" + RandomName(10));
    if (fs::create_directory(candidate, ec)) {
      fs::permissions(candidate, fs::perms::owner_all, fs::perm_options::replace, ec);
      return candidate.u8string();
    }
  }
  return base.u8string();
}

std::string RandomName(std::size_t length) {
  static constexpr char kAlphabet[] =
      "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  std::random_device device;
  std::uniform_int_distribution<std::size_t> pick(0, sizeof kAlphabet - 2);
  std::string name(length, '\0');
  for (char& c : name) c = kAlphabet[pick(device)];
  return name;
}

}  // namespace veilmark
