#include "core/stego/embed.h"

#include "core/base/text_util.h"
#include "core/stego/channel_sequence.h"
#include "core/stego/payload.h"

#include <cryptopp/cryptlib.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>

namespace veilmark::stego {

std::uint32_t StorageCapacity(int width, int height) {
  if (width <= 0 || height <= 0) return 0;
  return (static_cast<std::uint32_t>(width) * static_cast<std::uint32_t>(height)) >> 3;
}

std::uint32_t EntropyPixelCount(const PixelGrid& grid) {
  const int width = grid.Width();
  const int height = grid.Height();
  if (width <= 0 || height <= 0) return 0;
  return static_cast<std::uint32_t>(width) * static_cast<std::uint32_t>(height);
}

ColourHistogram ComputeColourHistogram(const PixelGrid& grid) {
  ColourHistogram h{};
  const int width = grid.Width();
  const int height = grid.Height();
  if (width <= 0 || height <= 0) return h;
  auto& red = h[0];
  auto& green = h[1];
  auto& blue = h[2];
  if (const Argb* p = grid.Data()) {
    const Argb* end = p + std::uint64_t(width) * std::uint64_t(height);
    for (; p != end; ++p) {
      const Argb v = *p;
      ++red[(v >> 16) & 0xFFu];
      ++green[(v >> 8) & 0xFFu];
      ++blue[v & 0xFFu];
    }
    return h;
  }
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      Argb v = 0;
      if (!grid.GetPixel(x, y, v)) v = 0;
      ++red[(v >> 16) & 0xFFu];
      ++green[(v >> 8) & 0xFFu];
      ++blue[v & 0xFFu];
    }
  }
  return h;
}

std::int32_t HistogramDelta(const ColourHistogram& reference, const ColourHistogram& current) {
  std::uint32_t sum = 0;  // wraps like the 32-bit sum it reports
  for (std::size_t c = 0; c < 3; ++c) {
    for (std::size_t v = 0; v < 256; ++v) {
      const std::int64_t d = std::int64_t{reference[c][v]} - std::int64_t{current[c][v]};
      sum += static_cast<std::uint32_t>(d < 0 ? -d : d);
    }
  }
  return static_cast<std::int32_t>(sum);
}

double HistogramEntropy(const ColourHistogram& histogram, std::uint32_t pixelCount) {
  if (pixelCount == 0) return 0.0;
  const float total = static_cast<float>(pixelCount);
  double entropy = 0.0;
  for (const auto& channel : histogram) {
    double channelEntropy = 0.0;
    for (std::uint32_t count : channel) {
      if (count == 0) continue;
      const float p = static_cast<float>(count) / total;
      channelEntropy -= static_cast<double>(p * std::log(p)) / std::log(2.0);
    }
    entropy += channelEntropy;
  }
  return entropy;
}

EmbedResult EmbedPayload(PixelGrid& grid, const crypto::KeyAndIV& keys, std::string_view password,
                         std::string_view fileBytes, std::string_view hiddenName,
                         std::string_view timestamp, const EmbedProgress& progress,
                         std::uint32_t progressInterval, const crypto::FailureSink& failures) {
  EmbedResult result;
  EmbedStatistics& stats = result.stats;
  stats.capacity = StorageCapacity(grid);
  stats.need = RequiredCapacity(fileBytes.size());
  if (std::int64_t{stats.capacity} < stats.need) {
    result.status = EmbedStatus::kNotEnoughCapacity;
    return result;
  }
  if (DataBlockLength(fileBytes.size()) >= kDataLengthLimit) {
    result.status = EmbedStatus::kPayloadTooLarge;
    return result;
  }
  if (hiddenName.empty() || hiddenName.size() > kNameAndTrailerLength ||
      hiddenName.find('\0') != std::string_view::npos) {
    result.status = EmbedStatus::kInvalidName;
    return result;
  }
  if (timestamp.size() != kTimestampLength || timestamp.find('\0') != std::string_view::npos) {
    result.status = EmbedStatus::kInvalidTimestamp;
    return result;
  }

  std::optional<PayloadBlocks> blocks;
  try {
    blocks = EncryptPayload(keys, fileBytes, hiddenName, timestamp);
  } catch (const CryptoPP::Exception& e) {
    failures.Report(e.what());
  }
  if (!blocks || blocks->header.size() != kHeaderBytes) {
    result.status = EmbedStatus::kEncryptionError;
    return result;
  }
  stats.dataLength = static_cast<std::uint32_t>(blocks->data.size());

  ChannelSequence channels;
  channels.SetChannelSeed(password);
  channels.RestartChannelSequence();

  const std::uint32_t pixelCount = EntropyPixelCount(grid);
  stats.before = ComputeColourHistogram(grid);
  stats.entropyBefore = HistogramEntropy(stats.before, pixelCount);

  const std::uint32_t total = 8 * (static_cast<std::uint32_t>(kHeaderBytes) + stats.dataLength);
  const std::size_t sliceBytes = std::max<std::size_t>(1, progressInterval / 8);
  auto add = [&stats](const LayCounts& c) {
    stats.pixelsProcessed += c.pixelsProcessed;
    stats.modifiedPixels += c.modifiedPixels;
  };
  add(WriteHiddenBytes(grid, 0, blocks->header, channels));
  channels.RestartChannelSequence();
  const std::string_view data = blocks->data;
  for (std::size_t offset = 0; offset < data.size(); offset += sliceBytes) {
    if (progress) progress(stats.pixelsProcessed, total);
    add(WriteHiddenBytes(grid, kDataFirstPixel + 8 * std::uint64_t{offset},
                         data.substr(offset, sliceBytes), channels));
  }
  if (progress) progress(stats.pixelsProcessed, total);

  const ColourHistogram after = ComputeColourHistogram(grid);
  stats.histogramDelta = HistogramDelta(stats.before, after);
  stats.entropyAfter = HistogramEntropy(after, pixelCount);
  return result;
}

std::string FormatEmbedReport(std::string_view password, const EmbedStatistics& stats) {
  const std::int64_t modifiedPercent =
      stats.pixelsProcessed == 0
          ? 0
          : std::int64_t{stats.modifiedPixels} * 100 / std::int64_t{stats.pixelsProcessed};
  const std::int64_t usedPercent =
      stats.capacity == 0 ? 0 : stats.need * 100 / std::int64_t{stats.capacity};
  const double difference = std::fabs(stats.entropyAfter - stats.entropyBefore);
  // A zero entropy before prints as inf or nan, as the C library prints the division.
  const double differencePercent = difference * 100.0 / stats.entropyBefore;
  const std::string pw(password);
  return Format(
      ">>>> Steganography image generated <<<<\n\nPassword used: %s\nPixels processed: "
      "%d\nModified pixels: %d (%d%%)\n(Lower percentage is better)\n\nUsed storage "
      "capacity: %d%%\nAbove 8%% some steganalysis tools could detect that the image "
      "contains hidden information.\n\nColor histogram difference: %d\n\nOriginal image "
      "entropy: %.3lf\nSteganograpy image entropy: %.3lf\nEntropy difference: %.3lf (%.3lf "
      "%%)\n\nNow you can save this image in PNG, BMP or TIFF format.",
      pw.c_str(), static_cast<int>(stats.pixelsProcessed), static_cast<int>(stats.modifiedPixels),
      static_cast<int>(modifiedPercent), static_cast<int>(usedPercent), stats.histogramDelta,
      stats.entropyBefore, stats.entropyAfter, difference, differencePercent);
}

std::string FormatCapacityMessage(std::string_view filePath, std::int64_t need) {
  const int side = static_cast<int>(std::sqrt(static_cast<double>(8 * need))) + 1;
  const std::string path(filePath);
  return Format(
      "There isn't enough storage capacity on the image to hide this file:\n%s\n\nYou need at "
      "least a image with a storage capacity of %lld Ks (%lld bytes)\nMinimum resolution: %d x "
      "%d pixels",
      path.c_str(), static_cast<long long>(need / 1024), static_cast<long long>(need), side, side);
}

}  // namespace veilmark::stego
