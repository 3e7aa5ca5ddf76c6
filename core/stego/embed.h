// Hiding a file in a pixel grid, with the statistics that tell the user how visible the
// change is. No user interface: the caller shows messages and keeps its window alive
// through the progress callback.
#pragma once

#include "core/crypto/cipher.h"
#include "core/stego/payload.h"
#include "core/stego/pixel_grid.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace veilmark::stego {

// Bytes of capacity a file needs beyond its own size (header, filler, padding).
inline constexpr std::int64_t kCapacityOverhead = 194;

// floor(W*H / 8), W*H taken as an unsigned 32-bit product.
std::uint32_t StorageCapacity(int width, int height);
inline std::uint32_t StorageCapacity(const PixelGrid& grid) {
  return StorageCapacity(grid.Width(), grid.Height());
}
constexpr std::int64_t RequiredCapacity(std::uint64_t fileSize) {
  return static_cast<std::int64_t>(fileSize) + kCapacityOverhead;
}
// The largest file whose data block stays below the header's seven-digit length field.
inline constexpr std::int64_t kLargestHiddenFile =
    static_cast<std::int64_t>(((kDataLengthLimit - 1) / 16 - 1) * 16 + 15) - kFillerLength;
// The size of the largest file EmbedPayload accepts for a grid of this capacity; -1 when
// not even an empty file fits.
constexpr std::int64_t LargestHiddenFile(std::uint32_t capacity) {
  const std::int64_t byCapacity = std::int64_t{capacity} - kCapacityOverhead;
  if (byCapacity < 0) return -1;
  return byCapacity < kLargestHiddenFile ? byCapacity : kLargestHiddenFile;
}

// Counts of each value 0..255 in red, green and blue (in this order).
using ColourHistogram = std::array<std::array<std::uint32_t, 256>, 3>;

// A pixel that cannot be read counts as red = green = blue = 0.
ColourHistogram ComputeColourHistogram(const PixelGrid& grid);
// Sum over all values and channels of |reference - current|, as a 32-bit signed value.
std::int32_t HistogramDelta(const ColourHistogram& reference, const ColourHistogram& current);
// Sum over the channels of -sum(p log2 p), p = count / pixelCount in single precision,
// p * logf(p) in single precision, divided by log(2.0) in double. 0 for no pixels.
double HistogramEntropy(const ColourHistogram& histogram, std::uint32_t pixelCount);
// W*H as an unsigned 32-bit product: the pixel count the entropy divides by.
std::uint32_t EntropyPixelCount(const PixelGrid& grid);
inline double MeasureImageEntropy(const PixelGrid& grid) {
  return HistogramEntropy(ComputeColourHistogram(grid), EntropyPixelCount(grid));
}

enum class EmbedStatus {
  kEmbedded,
  kNotEnoughCapacity,  // capacity < need; FormatCapacityMessage explains it
  kPayloadTooLarge,    // the data block would reach 10,000,000 bytes (seven header digits)
  kInvalidName,        // empty, longer than 80 bytes or holding a NUL
  kInvalidTimestamp,   // not 22 bytes
  kEncryptionError,    // Crypto++ failed; its text went to standard output
};

struct EmbedStatistics {
  std::int64_t need = 0;         // file size + 194
  std::uint32_t capacity = 0;    // StorageCapacity of the grid
  std::uint32_t dataLength = 0;  // D, bytes of the data block
  std::uint32_t pixelsProcessed = 0;
  std::uint32_t modifiedPixels = 0;
  ColourHistogram before{};  // histogram of the grid before embedding
  std::int32_t histogramDelta = 0;
  double entropyBefore = 0.0;
  double entropyAfter = 0.0;
};

struct EmbedResult {
  EmbedStatus status = EmbedStatus::kEmbedded;
  EmbedStatistics stats;  // need and capacity always; the rest once embedded
};

// Called with (pixels done, pixels to do) about every `progressInterval` pixels and once
// at the end.
using EmbedProgress = std::function<void(std::uint32_t done, std::uint32_t total)>;

// Encrypts `fileBytes` under `keys` and lays header and data into the grid; `password`
// seeds the channel spreading. The grid is changed only when the result is kEmbedded.
// `timestamp` is the 22-character local time text (base::CurrentTimestamp()). A cipher
// failure reports its text to `failures`.
inline constexpr std::uint32_t kEmbedProgressInterval = 1u << 18;
EmbedResult EmbedPayload(PixelGrid& grid, const crypto::KeyAndIV& keys, std::string_view password,
                         std::string_view fileBytes, std::string_view hiddenName,
                         std::string_view timestamp, const EmbedProgress& progress = {},
                         std::uint32_t progressInterval = kEmbedProgressInterval,
                         const crypto::FailureSink& failures = {});

// The report shown after a successful embedding.
std::string FormatEmbedReport(std::string_view password, const EmbedStatistics& stats);

// The refusal shown when the image is too small for a file needing `need` bytes.
std::string FormatCapacityMessage(std::string_view filePath, std::int64_t need);

}  // namespace veilmark::stego
