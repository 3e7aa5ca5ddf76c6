// Message blocks: the uppercase hexadecimal AES-256-CBC ciphertext of 16 random
// characters followed by the message plaintext ("<local time>\r\n<text>").
#pragma once

#include "core/crypto/cipher.h"
#include "core/crypto/passwords.h"

#include <optional>
#include <string>
#include <string_view>

namespace veilmark::crypto {

// Random characters put before the plaintext so that equal messages give different
// blocks although key and IV depend on the password only.
inline constexpr std::size_t kMessagePrefixLength = 16;

// "<timestamp>\r\n<text>", the plaintext of a message encrypted at `timestamp`.
std::string MessagePlaintext(std::string_view text, std::string_view timestamp);
// The same, stamped with the current local time.
std::string MessagePlaintext(std::string_view text);

// The message block of `plaintext`: one line of uppercase hexadecimal digits.
std::string EncryptMessage(std::string_view plaintext, std::string_view password);
std::string EncryptMessage(std::string_view plaintext, const KeyAndIV& keys);

// The plaintext of a message block without its random prefix; empty when the password
// does not fit. Every character that is not a hexadecimal digit (either case) is
// ignored, and an odd final digit is dropped.
std::string DecryptMessage(std::string_view block, std::string_view password);
std::string DecryptMessage(std::string_view block, const KeyAndIV& keys);

// What a text given as a message block looks like, judged before any password is tried.
// Blocks pasted from mail keep working: white space and a little other text (quote
// marks, say) are ignored as the decoder ignores them.
enum class BlockShape {
  kBlock,          // whole cipher blocks of hexadecimal digits
  kNotHex,         // no hexadecimal digits, or fewer than other characters: not a block
  kIncomplete,     // the digits make no whole number of cipher blocks: cut short or damaged
  kTrailingDigit,  // whole blocks and one digit more, which the decoder drops
};
BlockShape InspectMessageBlock(std::string_view block);
// Why a block of this shape is not decrypted (a complete sentence), or, for
// kTrailingDigit, the notice that goes with its result; empty for kBlock.
std::string BlockShapeText(BlockShape shape);

// The first non-empty decryption over the defined slots, in slot order, each slot in every
// byte form of its password.
std::optional<std::string> DecryptMessageWithSlots(std::string_view block,
                                                   const SlotKeyring& slots);

}  // namespace veilmark::crypto
