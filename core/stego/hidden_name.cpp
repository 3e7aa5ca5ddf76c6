#include "core/stego/hidden_name.h"

#include "core/base/text_util.h"

#include <array>

namespace veilmark::stego {

namespace {

bool IsDeviceName(std::string_view name) {
  // Windows reserves these with any extension and any letter case.
  std::string_view base = name.substr(0, name.find('.'));
  while (!base.empty() && base.back() == ' ') base.remove_suffix(1);
  std::string upper(base);
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  static constexpr std::array<std::string_view, 4> kPlain = {"CON", "PRN", "AUX", "NUL"};
  for (std::string_view device : kPlain) {
    if (upper == device) return true;
  }
  return upper.size() == 4 &&
         (upper.compare(0, 3, "COM") == 0 || upper.compare(0, 3, "LPT") == 0) && upper[3] >= '0' &&
         upper[3] <= '9';
}

}  // namespace

std::string SanitizeHiddenName(std::string_view raw) {
  static constexpr std::string_view kForbidden = "/\\:*?\"<>|";
  std::string name;
  name.reserve(raw.size() + 1);
  // A name that is not UTF-8 was written by a program of the code-page era; read so, it is
  // also one that Windows can create (it refuses file names that are not Unicode).
  for (char c : Utf8OrWindows1252(raw)) {
    const auto u = static_cast<unsigned char>(c);
    const bool bad = u < 0x20 || u == 0x7F || kForbidden.find(c) != std::string_view::npos;
    name += bad ? '_' : c;
  }
  const std::size_t first = name.find_first_not_of(' ');
  if (first == std::string::npos) return std::string(kFallbackHiddenName);
  name.erase(0, first);
  const std::size_t last = name.find_last_not_of(" .");
  if (last == std::string::npos) return std::string(kFallbackHiddenName);
  name.erase(last + 1);
  if (IsDeviceName(name)) name.insert(0, 1, '_');
  return name;
}

}  // namespace veilmark::stego
