// Feeds whole image files to the imaging layer and everything after it, as a folder scan
// and a selection do: header probe, decode, detection with a fixed keyring, extraction of
// what a header promises, and the framed thumbnail. Seeds: make_image_seeds writes small
// PNG, BMP, GIF, TIFF and JPEG files with and without payloads.
// Run with -close_fd_mask=1 (each slot that does not open a header says so on stdout) and
// memory limits: decoders believe the sizes that headers declare.
#include "core/crypto/passwords.h"
#include "core/image/imaging.h"
#include "core/image/thumbnail.h"
#include "core/stego/detect.h"
#include "core/stego/hidden_name.h"
#include "core/stego/kinds.h"

#include <wx/init.h>
#include <wx/log.h>

#include <cstdint>
#include <cstdlib>

namespace {

using namespace veilmark;

constexpr const char* kPassword = "quintus4072";

const crypto::SlotKeyring& Keyring() {
  static const crypto::SlotKeyring ring({"fuzz-other", "", kPassword, "", ""});
  return ring;
}

void Check(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  static wxInitializer initializer;
  if (!initializer.IsOk()) std::abort();
  image::InitImageHandlers();
  wxLog::EnableLogging(false);
  Keyring().Keys(0);  // derive once, outside the timed runs
  Keyring().Keys(2);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  image::SniffFormat(data, size);  // the folder listing's test
  const image::ArgbImage decoded = image::DecodeImageData(data, size);
  Check(decoded.Empty() == (decoded.Width() == 0));
  Check(decoded.PixelCount() ==
        static_cast<std::size_t>(decoded.Width()) * static_cast<std::size_t>(decoded.Height()));

  int kind = stego::KIND_PLAIN;
  if (const auto header = stego::DetectHiddenPayload(decoded, Keyring())) {
    kind = header->kind;
    Check(kind == stego::KIND_HIDDEN_IMAGE || kind == stego::KIND_HIDDEN_MESSAGE ||
          kind == stego::KIND_HIDDEN_FILE);
    Check(!stego::SanitizeHiddenName(header->name).empty());
    stego::ReadHiddenContent(decoded, Keyring(), *header);
  }
  const wxImage thumbnail = image::MakeThumbnail(decoded, kind);
  Check(thumbnail.IsOk() && thumbnail.GetWidth() == image::kThumbnailWidth &&
        thumbnail.GetHeight() == image::kThumbnailHeight);
  return 0;
}
