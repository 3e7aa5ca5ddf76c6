#pragma once

#include <ctime>
#include <string>

namespace veilmark::base {

// Local time as "%Y-%m-%d %Hh:%Mm:%Ss" (22 characters), as carried by message blocks and
// payload headers.
std::string FormatTimestamp(std::time_t when);
inline std::string CurrentTimestamp() { return FormatTimestamp(std::time(nullptr)); }

}  // namespace veilmark::base
