#include "core/stego/payload.h"

#include <cryptopp/cryptlib.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>

namespace veilmark::stego {

namespace {

constexpr std::array<std::string_view, 10> kImageExtensions = {
    ".jpg", ".jpeg", ".png", ".bmp", ".gif", ".tif", ".tiff", ".emf", ".wmf", ".ico"};

// atoi over exactly one fixed-width field, never past it.
template <std::size_t Width>
int FieldValue(std::string_view plain, std::size_t offset) {
  std::array<char, Width + 1> field{};
  std::copy_n(plain.data() + offset, Width, field.begin());
  return std::atoi(field.data());
}

bool HasNul(std::string_view s) { return s.find('\0') != std::string_view::npos; }

}  // namespace

int ClassifyHeaderTail(std::string_view tail) {
  // ASCII lowering, as in the C locale; the extensions are ASCII.
  std::string lower(tail);
  for (char& c : lower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  if (lower.find(".txt") != std::string::npos) return KIND_HIDDEN_MESSAGE;
  for (std::string_view ext : kImageExtensions) {
    if (lower.find(ext) != std::string::npos) return KIND_HIDDEN_IMAGE;
  }
  return KIND_HIDDEN_FILE;
}

std::optional<HiddenHeader> ParseHeaderPlaintext(std::string_view plain) {
  if (plain.size() != kHeaderPlainBytes) return std::nullopt;
  if (plain.substr(kMarkerOffset, kMarker.size()) != kMarker) return std::nullopt;
  HiddenHeader header;
  header.kind = ClassifyHeaderTail(plain.substr(kMarkerOffset));
  header.timestamp = std::string(plain.substr(kTimestampOffset, kTimestampLength));
  header.nameLength = FieldValue<2>(plain, kNameLengthOffset);
  header.dataLength = FieldValue<7>(plain, kDataLengthOffset);
  if (header.nameLength > 0) {
    header.name =
        std::string(plain.substr(kNameOffset, static_cast<std::size_t>(header.nameLength)));
  }
  return header;
}

std::optional<std::string> DecryptOrReport(const crypto::KeyAndIV& keys, std::string_view cipher,
                                           const crypto::FailureSink& failures) {
  try {
    return crypto::CbcDecryptor(keys).Decrypt(cipher);
  } catch (const CryptoPP::Exception& e) {
    failures.Report(e.what());
    return std::nullopt;
  }
}

std::optional<HiddenHeader> OpenHeaderBlock(std::string_view block, const crypto::KeyAndIV& keys,
                                            const crypto::FailureSink& failures) {
  if (block.size() != kHeaderBytes) return std::nullopt;
  const std::optional<std::string> plain = DecryptOrReport(keys, block, failures);
  if (!plain) return std::nullopt;
  return ParseHeaderPlaintext(*plain);
}

std::string FormatHeaderPlaintext(std::string_view filler, std::string_view timestamp,
                                  std::string_view name, std::uint64_t dataLength,
                                  std::string_view trailer) {
  if (filler.size() != kFillerLength || timestamp.size() != kTimestampLength || name.empty() ||
      name.size() > kNameAndTrailerLength ||
      trailer.size() != kNameAndTrailerLength - name.size() || dataLength >= kDataLengthLimit ||
      HasNul(filler) || HasNul(timestamp) || HasNul(name) || HasNul(trailer)) {
    return {};
  }
  const std::string f(filler), t(timestamp), n(name), r(trailer);
  std::array<char, kHeaderPlainBytes + 1> text{};
  const int written = std::snprintf(
      text.data(), text.size(), "%s%s%s%02d%07d%s%s", f.c_str(), std::string(kMarker).c_str(),
      t.c_str(), static_cast<int>(n.size()), static_cast<int>(dataLength), n.c_str(), r.c_str());
  if (written != static_cast<int>(kHeaderPlainBytes)) return {};
  return std::string(text.data(), kHeaderPlainBytes);
}

std::optional<PayloadBlocks> EncryptPayload(const crypto::KeyAndIV& keys,
                                            std::string_view fileBytes, std::string_view name,
                                            std::string_view timestamp) {
  if (name.size() > kNameAndTrailerLength) return std::nullopt;
  // One encryptor for both: the header continues the data's CBC chain.
  crypto::CbcEncryptor encryptor(keys);
  std::string plain = crypto::GenerateRandomString(kFillerLength);
  plain.append(fileBytes);
  PayloadBlocks blocks;
  blocks.data = encryptor.Encrypt(plain);
  const std::string headerText = FormatHeaderPlaintext(
      crypto::GenerateRandomString(kFillerLength), timestamp, name, blocks.data.size(),
      crypto::GenerateRandomString(kNameAndTrailerLength - static_cast<int>(name.size())));
  if (headerText.empty()) return std::nullopt;
  blocks.header = encryptor.Encrypt(headerText);
  return blocks;
}

std::string ReadHiddenBytes(const PixelGrid& grid, int startX, int startY, int count) {
  if (count <= 0) return {};
  std::string out(static_cast<std::size_t>(count), '\0');
  const std::uint64_t wantedBits = 8 * out.size();
  const int width = grid.Width();
  const int height = grid.Height();
  if (width <= 0 || height <= 0) return out;
  const Argb* pixels = grid.Data();
  if (pixels != nullptr && startX >= 0 && startY >= 0 && startX < width && startY < height) {
    const std::uint64_t total = std::uint64_t(width) * std::uint64_t(height);
    const std::uint64_t first =
        std::uint64_t(startY) * std::uint64_t(width) + std::uint64_t(startX);
    const std::uint64_t bits = std::min(wantedBits, total - first);
    const Argb* p = pixels + first;
    std::uint64_t i = 0;
    for (; i + 8 <= bits; i += 8, p += 8) {
      unsigned byte = 0;
      for (unsigned j = 0; j < 8; ++j) byte |= (p[j] & 1u) << j;
      out[i / 8] = static_cast<char>(byte);
    }
    for (unsigned j = 0; i < bits; ++i, ++j, ++p) {
      out[i / 8] = static_cast<char>(static_cast<unsigned char>(out[i / 8]) | ((*p & 1u) << j));
    }
    return out;
  }
  std::uint64_t bit = 0;
  for (int y = startY; y < height && bit < wantedBits; ++y) {
    for (int x = (y == startY ? startX : 0); x < width && bit < wantedBits; ++x, ++bit) {
      Argb value = 0;
      if (!grid.GetPixel(x, y, value)) value = 0;
      if (value & 1u)
        out[bit / 8] =
            static_cast<char>(static_cast<unsigned char>(out[bit / 8]) | (1u << (bit % 8)));
    }
  }
  return out;
}

LayCounts WriteHiddenBytes(PixelGrid& grid, std::uint64_t firstPixel, std::string_view bytes,
                           ChannelSequence& channels) {
  LayCounts counts;
  const int width = grid.Width();
  const int height = grid.Height();
  if (width <= 0 || height <= 0) return counts;
  const std::uint64_t total = std::uint64_t(width) * std::uint64_t(height);
  if (firstPixel >= total) return counts;
  const std::uint64_t bits =
      std::min<std::uint64_t>(8 * std::uint64_t(bytes.size()), total - firstPixel);
  const auto* source = reinterpret_cast<const unsigned char*>(bytes.data());
  // A local copy of the generator: pixel stores cannot alias it, so it stays in registers.
  ChannelSequence sequence = channels;
  auto lay = [&](Argb value, std::uint64_t i) {
    const std::uint32_t mask = ChannelMask(sequence.NextChannelCode());
    const std::uint32_t bit = (source[i / 8] >> (i % 8)) & 1u;
    return (value & ~mask) | (mask & (0u - bit));
  };
  if (Argb* pixels = grid.MutableData()) {
    Argb* p = pixels + firstPixel;
    std::uint32_t modified = 0;
    for (std::uint64_t i = 0; i < bits; ++i) {
      const Argb value = p[i];
      const Argb changed = lay(value, i);
      modified += changed != value;
      p[i] = changed;
    }
    channels = sequence;
    counts.pixelsProcessed = static_cast<std::uint32_t>(bits);
    counts.modifiedPixels = modified;
    return counts;
  }
  int x = static_cast<int>(firstPixel % std::uint64_t(width));
  int y = static_cast<int>(firstPixel / std::uint64_t(width));
  for (std::uint64_t i = 0; i < bits; ++i) {
    Argb value = 0;
    const bool readable = grid.GetPixel(x, y, value);
    if (!readable) value = 0;
    const Argb changed = lay(value, i);
    // An unreadable pixel is left alone rather than overwritten from a zero value.
    if (readable) grid.SetPixel(x, y, changed);
    ++counts.pixelsProcessed;
    counts.modifiedPixels += changed != value;
    if (++x == width) {
      x = 0;
      ++y;
    }
  }
  channels = sequence;
  return counts;
}

}  // namespace veilmark::stego
