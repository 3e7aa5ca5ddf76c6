// What the thumbnail builder and `veilmark-cli scan` learn about one listed image: its
// hidden content, found with every defined password slot, and its framed thumbnail.
#pragma once

#include "core/crypto/passwords.h"
#include "core/image/argb_image.h"
#include "core/image/thumbnail.h"

#include <wx/image.h>

#include <filesystem>
#include <string>
#include <vector>

namespace veilmark::image {

struct ScannedImage {
  int kind = 10;           // KIND_PLAIN (10) unless a slot opens a payload
  std::string hiddenName;  // sanitised; empty when nothing was found
  int width = 0;           // 0 x 0 when the file does not decode
  int height = 0;
  wxImage thumbnail;  // 150 x 135, framed by kind; not made unless asked for
};

// Scratch space a scanning thread reuses from picture to picture, so that a folder scan
// does not allocate per picture. A copy starts empty: a thumbnail maker copied into each
// worker thereby gets buffers of its own.
struct ScanBuffers {
  ScanBuffers() = default;
  ScanBuffers(const ScanBuffers&) {}
  ScanBuffers& operator=(const ScanBuffers&) { return *this; }

  ArgbImage firstRows;       // the rows holding the pixels detection reads
  std::vector<Argb> rows;    // rows on their way to the thumbnail
  ThumbnailReducer reducer;  // the thumbnail being built
};

// Detects (header only: only the first rows that hold it are decoded, the data block is
// never read) and, if asked, draws the thumbnail from the picture's rows as they are decoded
// (from a reduced decode where the format has one), without holding the picture whole.
// A picture whose data turns out broken while its thumbnail is drawn counts as not
// decoded. Safe on any thread; the keyring is shared by a whole folder scan.
ScannedImage ScanImageFile(const std::filesystem::path& path, const crypto::SlotKeyring& keyring,
                           bool makeThumbnail, ScanBuffers& buffers);
ScannedImage ScanImageFile(const std::filesystem::path& path, const crypto::SlotKeyring& keyring,
                           bool makeThumbnail = true);

}  // namespace veilmark::image
