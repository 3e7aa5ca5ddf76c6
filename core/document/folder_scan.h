// What the thumbnail builder and `veilmark-cli scan` learn about one listed image: its
// hidden content, found with every defined password slot, and its framed thumbnail.
#pragma once

#include "core/crypto/passwords.h"

#include <wx/image.h>

#include <filesystem>
#include <string>

namespace veilmark::image {

struct ScannedImage {
  int kind = 10;           // KIND_PLAIN (10) unless a slot opens a payload
  std::string hiddenName;  // sanitised; empty when nothing was found
  int width = 0;           // 0 x 0 when the file does not decode
  int height = 0;
  wxImage thumbnail;  // 150 x 135, framed by kind; not made unless asked for
};

// Decodes the file, detects (header only: the data block is never read) and, if asked,
// draws the thumbnail. Safe on any thread; the keyring is shared by a whole folder scan.
ScannedImage ScanImageFile(const std::filesystem::path& path, const crypto::SlotKeyring& keyring,
                           bool makeThumbnail = true);

}  // namespace veilmark::image
