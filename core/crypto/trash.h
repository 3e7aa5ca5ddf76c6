// Moving a file to the system's trash, so that a removal can be undone by the user.
#pragma once

#include <filesystem>
#include <string>

namespace veilmark::crypto {

// Moves `file` to the user's trash (freedesktop Trash, or the Recycle Bin on Windows).
// False when the trash cannot take it; the file then stays where it is and `why` (when
// given) says what went wrong. Never removes the file any other way.
bool MoveToTrash(const std::filesystem::path& file, std::string* why = nullptr);

}  // namespace veilmark::crypto
