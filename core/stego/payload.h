// The hidden payload as it lies in the pixels: a 144-byte encrypted header from pixel 0
// and the encrypted file after it, one bit per pixel in the blue low bit, least
// significant bit first. Red and green low bits may echo the bit; readers ignore them.
#pragma once

#include "core/crypto/cipher.h"
#include "core/crypto/failure_sink.h"
#include "core/stego/channel_sequence.h"
#include "core/stego/kinds.h"
#include "core/stego/pixel_grid.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace veilmark::stego {

inline constexpr std::size_t kHeaderBytes = 144;                    // encrypted header block
inline constexpr std::size_t kHeaderPlainBytes = 137;               // its plaintext
inline constexpr std::uint32_t kDataFirstPixel = 8 * kHeaderBytes;  // 1152
inline constexpr std::string_view kMarker = "marlowe317";
inline constexpr int kFillerLength = 16;          // random characters before header and data
inline constexpr int kNameAndTrailerLength = 80;  // name plus trailing random characters
inline constexpr std::size_t kMarkerOffset = 16;
inline constexpr std::size_t kTimestampOffset = 26;
inline constexpr std::size_t kTimestampLength = 22;
inline constexpr std::size_t kNameLengthOffset = 48;
inline constexpr std::size_t kDataLengthOffset = 50;
inline constexpr std::size_t kNameOffset = 57;
// The header records the data length in seven digits.
inline constexpr std::uint64_t kDataLengthLimit = 10'000'000;

// Length D of the data block for a file of `fileSize` bytes.
constexpr std::uint64_t DataBlockLength(std::uint64_t fileSize) {
  return crypto::PaddedLength(kFillerLength + fileSize);
}

// What a recognised header says.
struct HiddenHeader {
  int kind = KIND_PLAIN;  // KIND_HIDDEN_IMAGE, KIND_HIDDEN_MESSAGE or KIND_HIDDEN_FILE
  int slot = -1;          // password slot 0..4 that opened it (-1: opened with given keys)
  int form = 0;           // byte form of that slot's password (crypto::SlotKeyring::Keys)
  std::string timestamp;  // 22 bytes as recorded
  int nameLength = 0;     // N as recorded; any value a hostile image chooses
  int dataLength = 0;     // D as recorded; any value a hostile image chooses
  std::string name;       // raw bytes from the image: sanitise before using it as a path
};

// The kind named by the 121 header bytes from the marker on (only the name can match).
int ClassifyHeaderTail(std::string_view tail);

// Fields of a decrypted header; nullopt unless it is 137 bytes with the marker at 16.
std::optional<HiddenHeader> ParseHeaderPlaintext(std::string_view plain);

// Decrypts a 144-byte header block with the password's key and IV and parses it.
std::optional<HiddenHeader> OpenHeaderBlock(std::string_view block, const crypto::KeyAndIV& keys,
                                            const crypto::FailureSink& failures = {});

// The 137-byte header text. Empty when the fields cannot make 137 bytes (timestamp not
// 22 bytes, name empty, longer than 80 or holding a NUL, wrong filler lengths, D too big).
std::string FormatHeaderPlaintext(std::string_view filler, std::string_view timestamp,
                                  std::string_view name, std::uint64_t dataLength,
                                  std::string_view trailer);

// Decrypts with a fresh chain; a Crypto++ failure (the only sign of a wrong key) reports
// its text to `failures` and gives nullopt.
std::optional<std::string> DecryptOrReport(const crypto::KeyAndIV& keys, std::string_view cipher,
                                           const crypto::FailureSink& failures = {});

// The two ciphertexts of a payload: data = E(16 random + file) with a fresh chain, then
// header = E(header text) continuing that chain. nullopt when the header fields cannot
// be formatted (see FormatHeaderPlaintext). Throws CryptoPP::Exception on a cipher failure.
struct PayloadBlocks {
  std::string header;
  std::string data;
};
std::optional<PayloadBlocks> EncryptPayload(const crypto::KeyAndIV& keys,
                                            std::string_view fileBytes, std::string_view name,
                                            std::string_view timestamp);

// The `count` bytes carried by the blue low bits from (startX, startY) on in row order
// (from startX on the first row, from 0 on later rows). Bytes the grid has no pixels for,
// and pixels that cannot be read, give 0 bits. Always `count` bytes (none for count <= 0):
// callers bound count by what the grid holds.
std::string ReadHiddenBytes(const PixelGrid& grid, int startX, int startY, int count);

// Counts of one laying run.
struct LayCounts {
  std::uint32_t pixelsProcessed = 0;
  std::uint32_t modifiedPixels = 0;  // red, green or blue changed
};

// Lays `bytes` into the pixels from row-order index `firstPixel` on, drawing one channel
// code per pixel from `channels` (not restarted here). Stops at the end of the grid. A
// pixel that cannot be read counts as 0; counts include pixels whose write failed.
LayCounts WriteHiddenBytes(PixelGrid& grid, std::uint64_t firstPixel, std::string_view bytes,
                           ChannelSequence& channels);

}  // namespace veilmark::stego
