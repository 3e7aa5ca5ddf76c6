#include "core/document/folder_scan.h"

#include "core/image/imaging.h"
#include "core/image/thumbnail.h"
#include "core/stego/detect.h"
#include "core/stego/hidden_name.h"
#include "core/stego/kinds.h"

namespace veilmark::image {

ScannedImage ScanImageFile(const std::filesystem::path& path, const crypto::SlotKeyring& keyring,
                           bool makeThumbnail) {
  ScannedImage result;
  result.kind = stego::KIND_PLAIN;
  const ArgbImage image = DecodeImageFile(path);
  result.width = image.Width();
  result.height = image.Height();
  if (const auto header = stego::DetectHiddenPayload(image, keyring)) {
    result.kind = header->kind;
    result.hiddenName = stego::SanitizeHiddenName(header->name);
  }
  if (makeThumbnail) result.thumbnail = MakeThumbnail(image, result.kind);
  return result;
}

}  // namespace veilmark::image
