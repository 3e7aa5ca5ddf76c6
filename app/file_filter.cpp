#include "app/file_filter.h"

#include <vector>

namespace veilmark::app {

std::string FilterToWildcard(const std::string& filter) {
  std::vector<std::string> parts;
  std::string::size_type start = 0;
  while (start < filter.size()) {
    const auto bar = filter.find('|', start);
    const auto end = bar == std::string::npos ? filter.size() : bar;
    parts.push_back(filter.substr(start, end - start));
    start = end + 1;
  }
  std::string wildcard;
  for (std::size_t i = 0; i + 1 < parts.size(); i += 2) {
    if (parts[i].empty() || parts[i + 1].empty()) break;
    if (!wildcard.empty()) wildcard += '|';
    wildcard += parts[i] + '|' + parts[i + 1];
  }
  return wildcard;
}

}  // namespace veilmark::app
