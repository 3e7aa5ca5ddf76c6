#include "core/crypto/cipher.h"

#include <cryptopp/filters.h>
#include <cryptopp/osrng.h>
#include <cryptopp/pwdbased.h>
#include <cryptopp/sha.h>

#include <algorithm>
#include <cassert>

namespace veilmark::crypto {

namespace {
constexpr std::size_t kDerivedLength = 64;
}

void DeriveKeyAndIV(std::string_view password, CryptoPP::byte* key, std::size_t keyLength,
                    CryptoPP::byte* iv, std::size_t ivLength) {
  assert(keyLength + ivLength <= kDerivedLength);
  std::fill_n(key, keyLength, CryptoPP::byte{0});
  std::fill_n(iv, ivLength, CryptoPP::byte{0});
  CryptoPP::SecByteBlock derived(kDerivedLength);  // zeroed on release
  CryptoPP::PKCS5_PBKDF2_HMAC<CryptoPP::SHA512> pbkdf2;
  pbkdf2.DeriveKey(derived, derived.size(), 0,
                   reinterpret_cast<const CryptoPP::byte*>(password.data()), password.size(),
                   nullptr, 0, kPbkdf2Iterations, 0.0);
  std::copy_n(derived.begin(), keyLength, key);
  std::copy_n(derived.begin() + keyLength, ivLength, iv);
}

KeyAndIV DeriveKeyAndIV(std::string_view password) {
  KeyAndIV keys;
  DeriveKeyAndIV(password, keys.key, keys.key.size(), keys.iv, keys.iv.size());
  return keys;
}

CbcEncryptor::CbcEncryptor(const KeyAndIV& keys)
    : aes_(keys.key, keys.key.size()), cbc_(aes_, keys.iv) {}

std::string CbcEncryptor::Encrypt(std::string_view plain) {
  std::string out;
  out.reserve(PaddedLength(plain.size()));
  CryptoPP::StringSource(
      reinterpret_cast<const CryptoPP::byte*>(plain.data()), plain.size(), true,
      new CryptoPP::StreamTransformationFilter(cbc_, new CryptoPP::StringSink(out),
                                               CryptoPP::BlockPaddingSchemeDef::PKCS_PADDING));
  return out;
}

CbcDecryptor::CbcDecryptor(const KeyAndIV& keys)
    : aes_(keys.key, keys.key.size()), cbc_(aes_, keys.iv) {}

std::string CbcDecryptor::Decrypt(std::string_view cipher) {
  std::string out;
  out.reserve(cipher.size());
  CryptoPP::StringSource(
      reinterpret_cast<const CryptoPP::byte*>(cipher.data()), cipher.size(), true,
      new CryptoPP::StreamTransformationFilter(cbc_, new CryptoPP::StringSink(out),
                                               CryptoPP::BlockPaddingSchemeDef::PKCS_PADDING));
  return out;
}

std::string EncryptBytes(const KeyAndIV& keys, std::string_view plain) {
  return CbcEncryptor(keys).Encrypt(plain);
}

std::optional<std::string> TryDecryptBytes(const KeyAndIV& keys, std::string_view cipher) {
  // Checked up front so the common wrong-length case costs no exception.
  if (cipher.empty() || cipher.size() % kBlockSize != 0) return std::nullopt;
  try {
    return CbcDecryptor(keys).Decrypt(cipher);
  } catch (const CryptoPP::Exception&) {
    return std::nullopt;
  }
}

char RandomAlphabetChar(unsigned char value) {
  static constexpr char kAlphabet[] =
      "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ1234567890"
      "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ1234567890"
      "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ1234567890"
      "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ1234567890"
      "abcdefgh";
  static_assert(sizeof(kAlphabet) == 257);
  return kAlphabet[value];
}

std::string GenerateRandomString(int length) {
  if (length <= 0) return {};
  std::string out(static_cast<std::size_t>(length), '\0');
  CryptoPP::AutoSeededRandomPool pool;
  CryptoPP::SecByteBlock bytes(out.size());
  pool.GenerateBlock(bytes, bytes.size());
  for (std::size_t i = 0; i < out.size(); ++i) out[i] = RandomAlphabetChar(bytes[i]);
  return out;
}

}  // namespace veilmark::crypto
