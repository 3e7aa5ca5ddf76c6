#include "core/stego/detect.h"

namespace veilmark::stego {

std::optional<HiddenHeader> DetectHiddenPayload(const PixelGrid& grid,
                                                const crypto::SlotKeyring& keyring) {
  // The bits do not depend on the password, so the block is read once for all slots.
  const std::string block = ReadHiddenBytes(grid, 0, 0, static_cast<int>(kHeaderBytes));
  for (int slot = 0; slot < crypto::kPasswordSlots; ++slot) {
    for (int form = 0; form < keyring.FormCount(slot); ++form) {
      std::optional<HiddenHeader> header =
          OpenHeaderBlock(block, keyring.Keys(slot, form), keyring.Failures());
      if (header) {
        header->slot = slot;
        header->form = form;
        return header;
      }
    }
  }
  return std::nullopt;
}

int DetectKind(const PixelGrid& grid, const crypto::SlotKeyring& keyring) {
  const std::optional<HiddenHeader> header = DetectHiddenPayload(grid, keyring);
  return header ? header->kind : KIND_PLAIN;
}

std::optional<std::string> ReadHiddenContent(const PixelGrid& grid, const crypto::KeyAndIV& keys,
                                             int dataLength, const crypto::FailureSink& failures) {
  const int width = grid.Width();
  const int height = grid.Height();
  if (dataLength <= 0 || width <= 0 || height <= 0) return std::nullopt;
  // A header may claim any length: read only a block the grid really holds.
  const std::uint64_t pixels = std::uint64_t(width) * std::uint64_t(height);
  if (kDataFirstPixel + 8 * std::uint64_t(dataLength) > pixels) return std::nullopt;
  const int first = static_cast<int>(kDataFirstPixel);
  const std::string cipher = ReadHiddenBytes(grid, first % width, first / width, dataLength);
  std::optional<std::string> plain = DecryptOrReport(keys, cipher, failures);
  if (!plain || plain->size() < static_cast<std::size_t>(kFillerLength)) return std::nullopt;
  plain->erase(0, kFillerLength);
  return plain;
}

std::optional<std::string> ReadHiddenContent(const PixelGrid& grid,
                                             const crypto::SlotKeyring& keyring,
                                             const HiddenHeader& header) {
  if (header.slot < 0 || header.slot >= crypto::kPasswordSlots || !keyring.Defined(header.slot)) {
    return std::nullopt;
  }
  return ReadHiddenContent(grid, keyring.Keys(header.slot, header.form), header.dataLength,
                           keyring.Failures());
}

std::optional<HiddenPayload> ExtractHiddenPayload(const PixelGrid& grid,
                                                  const crypto::SlotKeyring& keyring) {
  std::optional<HiddenHeader> header = DetectHiddenPayload(grid, keyring);
  if (!header) return std::nullopt;
  std::optional<std::string> content = ReadHiddenContent(grid, keyring, *header);
  if (!content) return std::nullopt;
  return HiddenPayload{std::move(*header), std::move(*content)};
}

std::string HiddenMessageText(std::string_view timestamp, std::string_view content) {
  std::string text(timestamp);
  text += "\r\n\r\n";
  text += content;
  return text;
}

}  // namespace veilmark::stego
