#include "core/document/folder_scan.h"

#include "core/image/decoder.h"
#include "core/stego/detect.h"
#include "core/stego/hidden_name.h"
#include "core/stego/kinds.h"
#include "core/stego/payload.h"

#include <algorithm>
#include <cstdint>
#include <memory>

namespace veilmark::image {
namespace {

// Rows go to the thumbnail in batches of about 1 MiB: few decoder calls, little memory.
constexpr std::uint64_t kBatchPixels = std::uint64_t{1} << 18;

ScannedImage NotDecoded(bool makeThumbnail) {
  ScannedImage result;
  result.kind = stego::KIND_PLAIN;
  if (makeThumbnail) result.thumbnail = MakeThumbnail(ArgbImage(), result.kind);
  return result;
}

// Feeds the reader's remaining rows to the reducer; false when the data is broken.
bool ReduceRest(ImageReader& reader, ScanBuffers& buffers) {
  const int width = reader.Width();
  const int batch =
      static_cast<int>(std::clamp<std::uint64_t>(kBatchPixels / static_cast<std::uint64_t>(width),
                                                 1, static_cast<std::uint64_t>(reader.Height())));
  buffers.rows.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(batch));
  while (reader.RowsRead() < reader.Height()) {
    const int wanted = std::min(batch, reader.Height() - reader.RowsRead());
    if (reader.ReadRows(buffers.rows.data(), wanted) != wanted || reader.Failed()) return false;
    buffers.reducer.AddRows(buffers.rows.data(), wanted);
  }
  return !reader.Failed();
}

}  // namespace

ScannedImage ScanImageFile(const std::filesystem::path& path, const crypto::SlotKeyring& keyring,
                           bool makeThumbnail, ScanBuffers& buffers) {
  // The thumbnail's reader: a format that decodes reduced (JPEG at 1/2 to 1/8) reads the
  // picture small, and detection then takes its first rows from a second reader at full
  // size, since the hidden bits live in exact full-size pixels.
  ImageReader reader;
  if (!reader.Open(path)) return NotDecoded(makeThumbnail);
  const int width = reader.Width();
  const int height = reader.Height();
  std::unique_ptr<ImageReader> fullSize;
  if (makeThumbnail && reader.ReduceFor(kThumbnailWidth, kThumbnailHeight) > 1) {
    fullSize = std::make_unique<ImageReader>();
    if (!fullSize->Open(path) || fullSize->Width() != width || fullSize->Height() != height)
      return NotDecoded(makeThumbnail);
  }
  ImageReader& detectionReader = fullSize ? *fullSize : reader;

  const auto rows = static_cast<int>(
      std::min<std::uint64_t>(static_cast<std::uint64_t>(height),
                              (stego::kDataFirstPixel + static_cast<std::uint64_t>(width) - 1) /
                                  static_cast<std::uint64_t>(width)));
  ArgbImage& first = buffers.firstRows;
  first.Resize(width, rows);
  if (detectionReader.ReadRows(first.Data(), rows) != rows || detectionReader.Failed())
    return NotDecoded(makeThumbnail);
  fullSize.reset();  // a full-size decoder may hold much; the thumbnail no longer needs it

  if (makeThumbnail) {
    buffers.reducer.Start(reader.Width(), reader.Height(), width, height);
    if (reader.RowsRead() > 0) buffers.reducer.AddRows(first.Data(), reader.RowsRead());
    if (!ReduceRest(reader, buffers)) return NotDecoded(makeThumbnail);
  }

  // Detection last: the keys it needs may still be being derived by another worker.
  ScannedImage result;
  result.kind = stego::KIND_PLAIN;
  result.width = width;
  result.height = height;
  if (const auto header = stego::DetectHiddenPayload(first, keyring)) {
    result.kind = header->kind;
    result.hiddenName = stego::SanitizeHiddenName(header->name);
  }
  if (makeThumbnail) result.thumbnail = buffers.reducer.Finish(result.kind);
  return result;
}

ScannedImage ScanImageFile(const std::filesystem::path& path, const crypto::SlotKeyring& keyring,
                           bool makeThumbnail) {
  ScanBuffers buffers;
  return ScanImageFile(path, keyring, makeThumbnail, buffers);
}

}  // namespace veilmark::image
