#include "core/crypto/cipher.h"

#include <cryptopp/hex.h>
#include <gtest/gtest.h>

#include <set>

namespace veilmark::crypto {
namespace {

std::string Hex(const CryptoPP::byte* data, std::size_t size) {
  std::string out;
  CryptoPP::StringSource(data, size, true, new CryptoPP::HexEncoder(new CryptoPP::StringSink(out)));
  return out;
}
std::string Hex(std::string_view s) {
  return Hex(reinterpret_cast<const CryptoPP::byte*>(s.data()), s.size());
}

// Reference values computed with an independent PBKDF2/AES implementation.
TEST(Cipher, KnownAnswers) {
  const KeyAndIV keys = DeriveKeyAndIV("quintus4072");
  EXPECT_EQ(Hex(keys.key, keys.key.size()),
            "3057A69A91C99AB726799CC4413C66823FBC59378991A3BEF6CC4A0C18B862DC");
  EXPECT_EQ(Hex(keys.iv, keys.iv.size()), "B00D9253613239350283661BCBC9BE39");
  EXPECT_EQ(Hex(EncryptBytes(keys, "")), "3E8A9CB8B1D75E2C1CA482100B65DC6A");
  EXPECT_EQ(Hex(EncryptBytes(keys, "abcdefghijklmnop")),
            "620188899A608DF088A6F5C8B299AEDA5C879D4896C0A048FFB1C9B76E397075");
}

TEST(Cipher, RoundTripLengthsAndWrongPasswords) {
  const KeyAndIV keys = DeriveKeyAndIV("quintus4072");
  const KeyAndIV other = DeriveKeyAndIV("Quintus4072");
  EXPECT_NE(Hex(keys.key, 32), Hex(other.key, 32));
  for (std::size_t len : {0u, 1u, 15u, 16u, 17u, 1000u}) {
    const std::string plain(len, 'x');
    const std::string cipher = EncryptBytes(keys, plain);
    EXPECT_EQ(cipher.size(), PaddedLength(len));
    EXPECT_EQ(cipher, EncryptBytes(keys, plain));  // deterministic: no salt, fixed IV
    EXPECT_EQ(TryDecryptBytes(keys, cipher), plain);
  }
  EXPECT_FALSE(TryDecryptBytes(keys, std::string(17, 'a')));
  EXPECT_FALSE(TryDecryptBytes(keys, ""));
  int passed = 0;  // a wrong key passes the padding check about once in 256
  for (int i = 0; i < 64; ++i)
    passed += TryDecryptBytes(other, EncryptBytes(keys, std::string(i, 'q'))).has_value();
  EXPECT_LE(passed, 3);
}

TEST(Cipher, ChainContinuesAcrossEncryptCalls) {
  const KeyAndIV keys = DeriveKeyAndIV("pw-chain");
  CbcEncryptor enc(keys);
  const std::string first = enc.Encrypt("data");
  const std::string second = enc.Encrypt(std::string(137, 'h'));
  ASSERT_EQ(second.size(), 144u);
  // Decrypting the second run with the IV spoils only its first block.
  CbcDecryptor dec(keys);
  const std::string plain = dec.Decrypt(second);
  EXPECT_EQ(plain.substr(16), std::string(121, 'h'));
}

TEST(RandomString, AlphabetAndLength) {
  EXPECT_EQ(RandomAlphabetChar(0), 'a');
  EXPECT_EQ(RandomAlphabetChar(61), '0');
  EXPECT_EQ(RandomAlphabetChar(62), 'a');
  EXPECT_EQ(RandomAlphabetChar(247), '0');
  EXPECT_EQ(RandomAlphabetChar(248), 'a');
  EXPECT_EQ(RandomAlphabetChar(255), 'h');
  EXPECT_EQ(GenerateRandomString(0), "");
  std::set<std::string> seen;
  for (int i = 0; i < 20; ++i) {
    const std::string s = GenerateRandomString(16);
    ASSERT_EQ(s.size(), 16u);
    for (char c : s) EXPECT_TRUE(std::isalnum(static_cast<unsigned char>(c))) << c;
    seen.insert(s);
  }
  EXPECT_EQ(seen.size(), 20u);
}

}  // namespace
}  // namespace veilmark::crypto
