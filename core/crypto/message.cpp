#include "core/crypto/message.h"

#include "core/base/timestamp.h"

#include <cryptopp/filters.h>
#include <cryptopp/hex.h>

#include <algorithm>

namespace veilmark::crypto {

std::string MessagePlaintext(std::string_view text, std::string_view timestamp) {
  std::string plain;
  plain.reserve(timestamp.size() + 2 + text.size());
  plain.append(timestamp).append("\r\n").append(text);
  return plain;
}

std::string MessagePlaintext(std::string_view text) {
  return MessagePlaintext(text, base::CurrentTimestamp());
}

std::string EncryptMessage(std::string_view plaintext, const KeyAndIV& keys) {
  std::string data = GenerateRandomString(static_cast<int>(kMessagePrefixLength));
  data.append(plaintext);
  const std::string cipher = EncryptBytes(keys, data);
  std::fill(data.begin(), data.end(), '\0');
  std::string block;
  CryptoPP::StringSource(cipher, true,
                         new CryptoPP::HexEncoder(new CryptoPP::StringSink(block), true, 0));
  return block;
}

std::string EncryptMessage(std::string_view plaintext, std::string_view password) {
  return EncryptMessage(plaintext, DerivePasswordKeys(password));
}

std::string DecryptMessage(std::string_view block, const KeyAndIV& keys) {
  std::string cipher;
  CryptoPP::StringSource(reinterpret_cast<const CryptoPP::byte*>(block.data()), block.size(), true,
                         new CryptoPP::HexDecoder(new CryptoPP::StringSink(cipher)));
  std::optional<std::string> plain = TryDecryptBytes(keys, cipher);
  // Shorter than the prefix: only a wrong password or a forged one-block input does that.
  if (!plain || plain->size() < kMessagePrefixLength) return {};
  std::string text = plain->substr(kMessagePrefixLength);
  std::fill(plain->begin(), plain->end(), '\0');
  return text;
}

std::string DecryptMessage(std::string_view block, std::string_view password) {
  return DecryptMessage(block, DerivePasswordKeys(password));
}

BlockShape InspectMessageBlock(std::string_view block) {
  std::size_t digits = 0, others = 0;
  for (const char c : block) {
    if ((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'))
      ++digits;
    else if (std::string_view(" \t\r\n\v\f").find(c) == std::string_view::npos)
      ++others;
  }
  if (digits == 0 || others > digits) return BlockShape::kNotHex;
  // The shortest block is two cipher blocks: the random prefix and the padding.
  constexpr std::size_t kBlockDigits = 2 * kBlockSize;
  const auto whole = [&](std::size_t n) { return n >= 2 * kBlockDigits && n % kBlockDigits == 0; };
  if (whole(digits)) return BlockShape::kBlock;
  if (whole(digits - 1)) return BlockShape::kTrailingDigit;
  return BlockShape::kIncomplete;
}

std::string BlockShapeText(BlockShape shape) {
  switch (shape) {
    case BlockShape::kNotHex:
      return "Message NOT decrypted: the input is not a message block (a block is made of "
             "hexadecimal digits).";
    case BlockShape::kIncomplete:
      return "Message NOT decrypted: the block is incomplete or damaged (digits are missing "
             "or too many).";
    case BlockShape::kTrailingDigit:
      return "The block ends with one hexadecimal digit too many; it was ignored.";
    case BlockShape::kBlock:
      break;
  }
  return {};
}

std::optional<std::string> DecryptMessageWithSlots(std::string_view block,
                                                   const SlotKeyring& slots) {
  for (int slot = 0; slot < kPasswordSlots; ++slot) {
    for (int form = 0; form < slots.FormCount(slot); ++form) {
      std::string text = DecryptMessage(block, slots.Keys(slot, form));
      if (!text.empty()) return text;
    }
  }
  return std::nullopt;
}

}  // namespace veilmark::crypto
