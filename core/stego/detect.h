// Finding a payload with the user's password slots and getting its content back. No user
// interface and no file writing: the caller shows and writes what it gets.
#pragma once

#include "core/crypto/passwords.h"
#include "core/stego/payload.h"
#include "core/stego/pixel_grid.h"

#include <optional>
#include <string>
#include <string_view>

namespace veilmark::stego {

// Tries the defined slots 0..4 in order, each in every byte form of its password, on the
// header carried by pixels 0..1151; the first that opens it wins. Reads no pixel of the data block.
std::optional<HiddenHeader> DetectHiddenPayload(const PixelGrid& grid,
                                                const crypto::SlotKeyring& keyring);
// The kind found, KIND_PLAIN when none.
int DetectKind(const PixelGrid& grid, const crypto::SlotKeyring& keyring);

// The hidden file: `dataLength` bytes from pixel 1152 on, decrypted with a fresh chain,
// without the 16 filler bytes. nullopt when the block does not lie within the grid or does
// not decrypt (Crypto++'s text then goes to `failures`; the keyring's own for the second form).
std::optional<std::string> ReadHiddenContent(const PixelGrid& grid, const crypto::KeyAndIV& keys,
                                             int dataLength,
                                             const crypto::FailureSink& failures = {});
std::optional<std::string> ReadHiddenContent(const PixelGrid& grid,
                                             const crypto::SlotKeyring& keyring,
                                             const HiddenHeader& header);

struct HiddenPayload {
  HiddenHeader header;
  std::string content;
};
// Detection and content together; nullopt when nothing is found or the data is unreadable.
std::optional<HiddenPayload> ExtractHiddenPayload(const PixelGrid& grid,
                                                  const crypto::SlotKeyring& keyring);

// A hidden message as shown: timestamp, two line breaks, the message file's bytes.
std::string HiddenMessageText(std::string_view timestamp, std::string_view content);

}  // namespace veilmark::stego
