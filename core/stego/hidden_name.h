// Hidden names come from untrusted images; this makes one safe to create in a folder.
#pragma once

#include <string>
#include <string_view>

namespace veilmark::stego {

inline constexpr std::string_view kFallbackHiddenName = "hidden_file";

// Separators, control characters and characters Windows forbids become '_'; leading
// spaces and trailing spaces and dots go; a device name (CON, NUL, COM1...) gets a '_'
// prefix; when nothing usable remains (".", "..", empty) the result is "hidden_file".
std::string SanitizeHiddenName(std::string_view raw);

}  // namespace veilmark::stego
