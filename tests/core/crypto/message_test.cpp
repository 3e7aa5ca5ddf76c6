#include "core/crypto/message.h"

#include "core/base/timestamp.h"
#include "tests/core/crypto/test_files.h"

#include <cryptopp/filters.h>
#include <cryptopp/hex.h>
#include <gtest/gtest.h>

#include <cctype>

namespace veilmark::crypto {
namespace {

namespace fs = std::filesystem;

std::string HexDecode(const std::string& hex) {
  std::string out;
  CryptoPP::StringSource(hex, true, new CryptoPP::HexDecoder(new CryptoPP::StringSink(out)));
  return out;
}

std::string HexEncode(const std::string& bytes) {
  std::string out;
  CryptoPP::StringSource(bytes, true, new CryptoPP::HexEncoder(new CryptoPP::StringSink(out)));
  return out;
}

TEST(Message, PlaintextCarriesTimeLine) {
  EXPECT_EQ(MessagePlaintext("hi", "2026-03-05 14h:07m:09s"), "2026-03-05 14h:07m:09s\r\nhi");
  EXPECT_EQ(MessagePlaintext("x").size(), 22u + 2u + 1u);
}

TEST(Message, BlockLengthsAndRoundTrip) {
  const KeyAndIV keys = DeriveKeyAndIV("quintus4072");
  // prefix 16 + time 22 + CR LF 2 + text, padded to whole blocks, two digits per byte
  for (const auto& [text, digits] : {std::pair<std::string, std::size_t>{"a", 96},
                                     {"12345678", 128},
                                     {"", 96},
                                     {std::string(100, 'm'), 288}}) {
    SCOPED_TRACE(text);
    const std::string plain = MessagePlaintext(text);
    const std::string block = EncryptMessage(plain, keys);
    EXPECT_EQ(block.size(), digits);
    for (char c : block) EXPECT_TRUE(std::isdigit(c) || (c >= 'A' && c <= 'F')) << c;
    EXPECT_EQ(DecryptMessage(block, keys), plain);
    EXPECT_NE(block, EncryptMessage(plain, keys));  // random prefix
  }
}

TEST(Message, DecoratedBlockDecryptsLikeTheCleanOne) {
  const std::string plain = MessagePlaintext("meet at noon");
  const std::string block = EncryptMessage(plain, "quintus4072");
  std::string lower = block;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  std::string spaced;
  for (std::size_t i = 0; i < block.size(); ++i)
    spaced += block.substr(i, 1) + (i % 32 == 31 ? "\r\n" : i % 4 == 3 ? " " : "");
  for (const std::string& variant :
       {lower, spaced, "  " + block + "\n", block + "7" /* odd final digit */, "<" + block + ">"})
    EXPECT_EQ(DecryptMessage(variant, "quintus4072"), plain) << variant;
}

TEST(Message, FailuresGiveEmptyText) {
  const KeyAndIV keys = DeriveKeyAndIV("quintus4072");
  const std::string block = EncryptMessage(MessagePlaintext("text"), keys);
  // One block whose padding is valid but that is shorter than the prefix: a failure,
  // not a crash or a piece of the prefix.
  const std::string shortBlock = HexEncode(EncryptBytes(keys, "only nine"));
  ASSERT_EQ(shortBlock.size(), 32u);
  // Fixed bytes under another password, so the padding outcome does not vary by run.
  const std::string wrongKey =
      HexEncode(EncryptBytes(DeriveKeyAndIV("another-password"), std::string(45, 'w')));
  for (const std::string& bad : {wrongKey, block.substr(0, block.size() - 2), std::string(),
                                 std::string("not hex at all"), shortBlock})
    EXPECT_EQ(DecryptMessage(bad, keys), "") << bad;
}

// What a pasted text looks like decides what the user is told: only a real block can
// have a wrong password.
TEST(Message, BlockShapes) {
  const std::string block = EncryptMessage(MessagePlaintext("hello"), "quintus4072");
  ASSERT_EQ(block.size(), 96u);
  std::string mailed;  // lower case, broken into lines, with quote marks
  for (std::size_t i = 0; i < block.size(); i += 20) mailed += "> " + block.substr(i, 20) + "\r\n";
  for (char& c : mailed) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  const struct {
    std::string input;
    BlockShape shape;
  } cases[] = {
      {block, BlockShape::kBlock},
      {"  " + block + "\n", BlockShape::kBlock},
      {mailed, BlockShape::kBlock},
      {block + "7", BlockShape::kTrailingDigit},
      {block.substr(0, 95), BlockShape::kIncomplete},  // one digit lost
      {block.substr(0, 64), BlockShape::kBlock},       // whole blocks: only the password can tell
      {block.substr(0, 32), BlockShape::kIncomplete},  // shorter than any message
      {block.substr(0, 90), BlockShape::kIncomplete},
      {"", BlockShape::kNotHex},
      {" \r\n\t", BlockShape::kNotHex},
      {"Hello, this is the message itself, not its block.", BlockShape::kNotHex},
      {"Grüße aus München", BlockShape::kNotHex},
      {"xyz-" + std::string(40, 'q'), BlockShape::kNotHex},
  };
  for (const auto& c : cases) EXPECT_EQ(InspectMessageBlock(c.input), c.shape) << c.input;
  // The block with one digit more still decrypts: the decoder drops the digit.
  EXPECT_EQ(DecryptMessage(block + "7", "quintus4072").substr(24), "hello");
}

TEST(Message, SlotsAreTriedInOrder) {
  const std::string plain = MessagePlaintext("slot four");
  const std::string block = EncryptMessage(plain, "slot-four");
  const SlotKeyring slots(PasswordSlots{"slot-one", "", "slot-three", "slot-four", ""});
  EXPECT_EQ(DecryptMessageWithSlots(block, slots), plain);
  const SlotKeyring none(PasswordSlots{"slot-one", "", "", "", "slot-five"});
  EXPECT_FALSE(DecryptMessageWithSlots(block, none));
}

class MessageOpensslTest : public testutil::TempFolder {};

TEST_F(MessageOpensslTest, BlocksInteroperateWithOpenssl) {
  if (!testutil::HaveOpenssl()) GTEST_SKIP() << "openssl not installed";
  const std::string plain = MessagePlaintext("interchange");
  testutil::WriteFile(Path("ours.bin"), HexDecode(EncryptMessage(plain, "quintus4072")));
  ASSERT_EQ(
      std::system(
          testutil::OpensslEnc("-d", "quintus4072", Path("ours.bin"), Path("ours.txt")).c_str()),
      0);
  const std::string decrypted = testutil::ReadFile(Path("ours.txt"));
  ASSERT_EQ(decrypted.size(), 16 + plain.size());
  EXPECT_EQ(decrypted.substr(16), plain);

  testutil::WriteFile(Path("theirs.txt"), "0123456789abcdef" + plain);
  ASSERT_EQ(
      std::system(testutil::OpensslEnc("-e", "quintus4072", Path("theirs.txt"), Path("theirs.bin"))
                      .c_str()),
      0);
  EXPECT_EQ(DecryptMessage(HexEncode(testutil::ReadFile(Path("theirs.bin"))), "quintus4072"),
            plain);
}

}  // namespace
}  // namespace veilmark::crypto
