// Password-based key derivation and the AES-256-CBC construction shared by every
// encrypted format of Veilmark (".cry" files, message blocks, hidden payloads).
#pragma once

#include <cryptopp/aes.h>
#include <cryptopp/modes.h>
#include <cryptopp/secblock.h>

#include <optional>
#include <string>
#include <string_view>

namespace veilmark::crypto {

inline constexpr std::size_t kKeyLength = 32;
inline constexpr std::size_t kIvLength = 16;
inline constexpr std::size_t kBlockSize = 16;
inline constexpr unsigned kPbkdf2Iterations = 8000;

// Key and IV of one password. Secure blocks: zeroed when released.
struct KeyAndIV {
  CryptoPP::SecByteBlock key{kKeyLength};
  CryptoPP::SecByteBlock iv{kIvLength};
};

// PBKDF2-HMAC-SHA512, empty salt, 8000 iterations, one 64-byte block: key is bytes
// 0..keyLength-1, IV the ivLength bytes after it. keyLength + ivLength <= 64.
void DeriveKeyAndIV(std::string_view password, CryptoPP::byte* key, std::size_t keyLength,
                    CryptoPP::byte* iv, std::size_t ivLength);
KeyAndIV DeriveKeyAndIV(std::string_view password);

// AES-256-CBC encryption with PKCS #7 padding. The CBC chain continues across calls
// of Encrypt, which the hidden-payload header relies on.
class CbcEncryptor {
 public:
  explicit CbcEncryptor(const KeyAndIV& keys);
  CbcEncryptor(const CbcEncryptor&) = delete;
  CbcEncryptor& operator=(const CbcEncryptor&) = delete;

  std::string Encrypt(std::string_view plain);
  CryptoPP::CBC_Mode_ExternalCipher::Encryption& Mode() { return cbc_; }

 private:
  CryptoPP::AES::Encryption aes_;
  CryptoPP::CBC_Mode_ExternalCipher::Encryption cbc_;
};

class CbcDecryptor {
 public:
  explicit CbcDecryptor(const KeyAndIV& keys);
  CbcDecryptor(const CbcDecryptor&) = delete;
  CbcDecryptor& operator=(const CbcDecryptor&) = delete;

  // Throws CryptoPP::Exception (InvalidCiphertext) on a bad length or padding.
  std::string Decrypt(std::string_view cipher);
  CryptoPP::CBC_Mode_ExternalCipher::Decryption& Mode() { return cbc_; }

 private:
  CryptoPP::AES::Decryption aes_;
  CryptoPP::CBC_Mode_ExternalCipher::Decryption cbc_;
};

std::string EncryptBytes(const KeyAndIV& keys, std::string_view plain);
// nullopt when the padding or the length check fails (the only sign of a wrong password).
std::optional<std::string> TryDecryptBytes(const KeyAndIV& keys, std::string_view cipher);

// Length of the PKCS #7 padded ciphertext of `plainLength` bytes.
constexpr std::uint64_t PaddedLength(std::uint64_t plainLength) {
  return kBlockSize * (plainLength / kBlockSize + 1);
}

// `length` characters of [a-zA-Z0-9], one whole random byte per character looked up
// in a 256-entry table (so a..h are slightly more likely; the formats expect this).
std::string GenerateRandomString(int length);
char RandomAlphabetChar(unsigned char value);

}  // namespace veilmark::crypto
