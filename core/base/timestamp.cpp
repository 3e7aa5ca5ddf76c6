#include "core/base/timestamp.h"

namespace veilmark::base {

std::string FormatTimestamp(std::time_t when) {
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &when);
#else
  localtime_r(&when, &local);
#endif
  char text[64];
  const std::size_t n = std::strftime(text, sizeof text, "%Y-%m-%d %Hh:%Mm:%Ss", &local);
  return std::string(text, n);
}

}  // namespace veilmark::base
