#include "core/stego/payload.h"

#include "core/stego/detect.h"
#include "core/stego/embed.h"
#include "stego_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace veilmark::stego {
namespace {

using testing::kPassword;
using testing::kTimestamp;
using testing::PasswordKeys;

TEST(ChannelSequence, ReproducesTheCRuntimeGenerator) {
  EXPECT_EQ(ChannelSequence::SeedFromPassword(kPassword), 664020u);
  ChannelSequence seq;
  seq.SetChannelSeed(kPassword);
  seq.Srand(seq.Seed());
  const std::vector<int> expected = {5760, 31984, 8533, 28024, 23503, 23672, 27553, 28207, 27672};
  for (int value : expected) EXPECT_EQ(seq.Rand(), value);
  // The restart drops the first value; both regions start with the same codes.
  for (int round = 0; round < 2; ++round) {
    seq.RestartChannelSequence();
    std::vector<int> codes;
    for (int i = 0; i < 8; ++i) codes.push_back(seq.NextChannelCode());
    EXPECT_EQ(codes, (std::vector<int>{1, 1, 1, 1, 2, 1, 1, 0}));
  }
}

// Embeds on a black grid with alpha 0x7F and checks every pixel against the layout: the blue
// bit carries the payload, red/green echo it by channel code, alpha and the rest stay.
TEST(PayloadLayout, ChannelsAlphaAndExtentOnTheWrittenPixels) {
  constexpr Argb kFill = 0x7F000000u;
  MemoryGrid grid(60, 40, kFill);
  const EmbedResult r = EmbedPayload(grid, PasswordKeys(), kPassword, "hello", "h.bin", kTimestamp);
  ASSERT_EQ(r.status, EmbedStatus::kEmbedded);
  const std::uint32_t used = 8 * (144 + r.stats.dataLength);
  ASSERT_EQ(r.stats.pixelsProcessed, used);

  const std::vector<int> knownCodes = {1, 1, 1, 1, 2, 1, 1, 0};
  ChannelSequence seq;
  seq.SetChannelSeed(kPassword);
  std::uint32_t ones = 0;
  for (std::uint32_t k = 0; k < grid.Pixels().size(); ++k) {
    const Argb p = grid.Pixels()[k];
    ASSERT_EQ(p & 0xFF000000u, kFill) << k;
    if (k >= used) {
      ASSERT_EQ(p, kFill) << k;
      continue;
    }
    if (k == 0 || k == kDataFirstPixel) seq.RestartChannelSequence();
    const int code = seq.NextChannelCode();
    const std::uint32_t offset = k < kDataFirstPixel ? k : k - kDataFirstPixel;
    if (offset < knownCodes.size()) {
      ASSERT_EQ(code, knownCodes[offset]) << k;
    }
    const Argb bit = p & 1u;
    ones += bit;
    ASSERT_EQ(p & 0x00FFFFFFu, bit * ChannelMask(code)) << k;
  }
  // From black, exactly the pixels carrying a 1 change.
  EXPECT_EQ(r.stats.modifiedPixels, ones);
}

struct RoundTripCase {
  std::size_t fileSize;
  const char* name;
  int width;
  int height;
  std::uint32_t dataLength;
  const char* lengthFields;  // header bytes 48..56
  int dataX, dataY;          // where the data block starts
};

class PayloadRoundTrip : public ::testing::TestWithParam<RoundTripCase> {};

TEST_P(PayloadRoundTrip, EmbedsAndReadsBackOnBothGridPaths) {
  const RoundTripCase& c = GetParam();
  const std::string file = testing::RandomBytes(c.fileSize);
  for (bool callOnly : {false, true}) {
    SCOPED_TRACE(callOnly ? "per-pixel calls" : "fast path");
    MemoryGrid memory = testing::NoiseGrid(c.width, c.height);
    const MemoryGrid original = memory;
    testing::CallOnlyGrid calls(memory);
    PixelGrid& grid = callOnly ? static_cast<PixelGrid&>(calls) : memory;

    const EmbedResult r = EmbedPayload(grid, PasswordKeys(), kPassword, file, c.name, kTimestamp);
    ASSERT_EQ(r.status, EmbedStatus::kEmbedded);
    EXPECT_EQ(r.stats.dataLength, c.dataLength);
    EXPECT_EQ(r.stats.pixelsProcessed, 8 * (144 + c.dataLength));
    const std::size_t end = kDataFirstPixel + 8 * c.dataLength;
    EXPECT_TRUE(std::equal(memory.Pixels().begin() + static_cast<std::ptrdiff_t>(end),
                           memory.Pixels().end(),
                           original.Pixels().begin() + static_cast<std::ptrdiff_t>(end)));

    const auto plain = DecryptOrReport(PasswordKeys(), ReadHiddenBytes(grid, 0, 0, 144));
    ASSERT_TRUE(plain);
    ASSERT_EQ(plain->size(), 137u);
    EXPECT_EQ(plain->substr(16, 10), "marlowe317");
    EXPECT_EQ(plain->substr(26, 22), kTimestamp);
    EXPECT_EQ(plain->substr(48, 9), c.lengthFields);
    EXPECT_EQ(plain->substr(57, std::strlen(c.name)), c.name);

    // The data block read from its documented start point decrypts to filler + file.
    const auto data = DecryptOrReport(
        PasswordKeys(), ReadHiddenBytes(grid, c.dataX, c.dataY, static_cast<int>(c.dataLength)));
    ASSERT_TRUE(data);
    EXPECT_EQ(data->substr(16), file);

    crypto::SlotKeyring ring({"", kPassword, "", "", ""});
    const auto payload = ExtractHiddenPayload(grid, ring);
    ASSERT_TRUE(payload);
    EXPECT_EQ(payload->header.slot, 1);
    EXPECT_EQ(payload->header.name, c.name);
    EXPECT_EQ(payload->header.nameLength, static_cast<int>(std::strlen(c.name)));
    EXPECT_EQ(payload->header.dataLength, static_cast<int>(c.dataLength));
    EXPECT_EQ(payload->header.timestamp, kTimestamp);
    EXPECT_EQ(payload->content, file);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, PayloadRoundTrip,
    ::testing::Values(
        RoundTripCase{0, "empty.dat", 40, 39, 32, "090000032", 1152 % 40, 1152 / 40},
        RoundTripCase{1000, "a.bin", 1000, 12, 1024, "050001024", 152, 1},
        RoundTripCase{32, "b.bin", 2000, 2, 64, "050000064", 1152, 0},
        RoundTripCase{
            5000,
            "nnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnnn.bin", 300,
            200, 5024, "800005024", 252, 3}));

TEST(PayloadLayout, HeaderEncryptedWithTheIvStillReads) {
  const crypto::KeyAndIV& keys = PasswordKeys();
  const std::string file = "content of a file";
  const std::string data = crypto::EncryptBytes(keys, std::string(16, 'f') + file);
  const std::string header =
      crypto::EncryptBytes(keys, FormatHeaderPlaintext(std::string(16, 'a'), kTimestamp, "x.bin",
                                                       data.size(), std::string(75, 'z')));
  ASSERT_EQ(header.size(), 144u);
  MemoryGrid grid = testing::NoiseGrid(64, 64);
  ChannelSequence seq;
  seq.SetChannelSeed(kPassword);
  seq.RestartChannelSequence();
  WriteHiddenBytes(grid, 0, header, seq);
  seq.RestartChannelSequence();
  WriteHiddenBytes(grid, kDataFirstPixel, data, seq);

  crypto::SlotKeyring ring({kPassword, "", "", "", ""});
  const auto payload = ExtractHiddenPayload(grid, ring);
  ASSERT_TRUE(payload);
  EXPECT_EQ(payload->header.name, "x.bin");
  EXPECT_EQ(payload->content, file);
}

TEST(PayloadLayout, OnlyBlueLowBitsCarryThePayload) {
  const std::string file = testing::RandomBytes(1000);  // 1016 bytes pad with 8 bytes of 8
  MemoryGrid grid = testing::NoiseGrid(120, 100);
  ASSERT_EQ(EmbedPayload(grid, PasswordKeys(), kPassword, file, "n.bin", kTimestamp).status,
            EmbedStatus::kEmbedded);
  crypto::SlotKeyring ring({kPassword, "", "", "", ""});

  MemoryGrid scrambled = grid;
  std::mt19937 gen(11);
  for (Argb& p : scrambled.Pixels()) p ^= gen() & 0x00010100u;
  const auto same = ExtractHiddenPayload(scrambled, ring);
  ASSERT_TRUE(same);
  EXPECT_EQ(same->content, file);

  // Data byte 0 is in cipher block 0: its bit flips the same bit of content byte 0.
  MemoryGrid firstBlock = grid;
  firstBlock.Pixels()[kDataFirstPixel] ^= 1u;
  const auto altered = ExtractHiddenPayload(firstBlock, ring);
  ASSERT_TRUE(altered);
  EXPECT_EQ(altered->content.substr(1), file.substr(1));
  EXPECT_EQ(altered->content[0], static_cast<char>(file[0] ^ 1));

  // The last byte of the next-to-last block flips the padding byte 8 to 9: unreadable,
  // while the header still classifies the image.
  MemoryGrid padding = grid;
  padding.Pixels()[kDataFirstPixel + 8 * (1024 - 17)] ^= 1u;
  EXPECT_EQ(DetectKind(padding, ring), KIND_HIDDEN_FILE);
  EXPECT_FALSE(ExtractHiddenPayload(padding, ring));

  // A blue bit of the header makes the image plain.
  MemoryGrid header = grid;
  header.Pixels()[1100] ^= 1u;
  EXPECT_EQ(DetectKind(header, ring), KIND_PLAIN);
}

TEST(PayloadLayout, ClassificationByName) {
  const struct {
    const char* name;
    int kind;
  } cases[] = {
      {"report.TXT", KIND_HIDDEN_MESSAGE},      {"notes.txt.bak", KIND_HIDDEN_MESSAGE},
      {"archive.tiff.7z", KIND_HIDDEN_IMAGE},   {"photo.png.zip", KIND_HIDDEN_IMAGE},
      {"PIC.JPEG", KIND_HIDDEN_IMAGE},          {"icon.ico", KIND_HIDDEN_IMAGE},
      {"clip.wmf", KIND_HIDDEN_IMAGE},          {"data.bin", KIND_HIDDEN_FILE},
      {"noextension", KIND_HIDDEN_FILE},        {"txt", KIND_HIDDEN_FILE},
      {"picture.png.txt", KIND_HIDDEN_MESSAGE},
  };
  for (const auto& c : cases) {
    const std::string name = c.name;
    const std::string text = FormatHeaderPlaintext(std::string(16, 'a'), kTimestamp, name, 32,
                                                   std::string(80 - name.size(), 'b'));
    const auto header = ParseHeaderPlaintext(text);
    ASSERT_TRUE(header) << c.name;
    EXPECT_EQ(header->kind, c.kind) << c.name;
    EXPECT_EQ(header->name, name);
  }
}

// Headers that decrypt and carry the marker but whose fields are hostile: the parser takes
// atoi of each fixed field only, and reading never leaves the grid.
TEST(PayloadLayout, HostileHeaderFields) {
  const struct {
    std::string lengths;  // bytes 48..56
    int nameLength;
    int dataLength;
    std::size_t nameSize;
  } cases[] = {
      {"-50000032", -5, 32, 0},
      {"990000032", 99, 32, 80},
      {"ab-abcdef", 0, 0, 0},
      {"-9-999999", -9, -999999, 0},
      {"059999999", 5, 9999999, 5},
      {"05 000064", 5, 64, 5},   // atoi skips leading blanks
      {"0500640zz", 5, 640, 5},  // and stops at the first non-digit
      {std::string("\0"
                   "5"
                   "\0"
                   "000064",
                   9),
       0, 0, 0},
      {"050000016", 5, 16, 5},  // decrypts to fewer than 16 bytes
      {"050000017", 5, 17, 5},  // not a whole number of blocks
      {"050000048", 5, 48, 5},  // ends just past the 60x25 grid's pixels
  };
  const crypto::KeyAndIV& keys = PasswordKeys();
  crypto::SlotKeyring ring({kPassword, "", "", "", ""});
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.lengths));
    std::string text = std::string(16, 'a') + "marlowe317" + kTimestamp + c.lengths;
    text += "n.png" + std::string(75, 'c');
    ASSERT_EQ(text.size(), 137u);
    MemoryGrid grid = testing::NoiseGrid(60, 25);  // 1500 pixels: room for 43 data bytes
    ChannelSequence seq;
    seq.SetChannelSeed(kPassword);
    seq.RestartChannelSequence();
    WriteHiddenBytes(grid, 0, crypto::EncryptBytes(keys, text), seq);
    const auto header = DetectHiddenPayload(grid, ring);
    ASSERT_TRUE(header);
    EXPECT_EQ(header->nameLength, c.nameLength);
    EXPECT_EQ(header->dataLength, c.dataLength);
    EXPECT_EQ(header->name.size(), c.nameSize);
    EXPECT_FALSE(ReadHiddenContent(grid, ring, *header));
  }
}

// The fast path and the per-pixel path must leave the same pixels and read the same bytes.
TEST(PayloadLayout, FastPathMatchesPerPixelCalls) {
  const std::string bytes = testing::RandomBytes(300);
  MemoryGrid fast = testing::NoiseGrid(37, 70);
  MemoryGrid slowPixels = fast;
  testing::CallOnlyGrid slow(slowPixels);
  for (std::uint64_t first : {0u, 5u, 1152u, 2500u}) {
    ChannelSequence a, b;
    a.SetSeed(99);
    b.SetSeed(99);
    a.RestartChannelSequence();
    b.RestartChannelSequence();
    const LayCounts ca = WriteHiddenBytes(fast, first, bytes, a);
    const LayCounts cb = WriteHiddenBytes(slow, first, bytes, b);
    EXPECT_EQ(ca.pixelsProcessed, cb.pixelsProcessed);
    EXPECT_EQ(ca.modifiedPixels, cb.modifiedPixels);
    EXPECT_EQ(ca.pixelsProcessed, std::min<std::uint64_t>(2400, 37 * 70 - first));
  }
  EXPECT_EQ(fast.Pixels(), slowPixels.Pixels());

  const struct {
    int x, y, count;
  } reads[] = {{0, 0, 144}, {5, 31, 300}, {36, 69, 4}, {0, 0, 0}, {-3, 0, 10},
               {40, 2, 10}, {0, -1, 10},  {3, 70, 5},  {0, 0, -4}};
  for (const auto& r : reads) {
    const std::string a = ReadHiddenBytes(fast, r.x, r.y, r.count);
    EXPECT_EQ(a, ReadHiddenBytes(slow, r.x, r.y, r.count)) << r.x << "," << r.y;
    EXPECT_EQ(a.size(), static_cast<std::size_t>(std::max(r.count, 0)));
  }
  // Bytes without pixels are zero: one pixel left gives at most bit 0 of the first byte.
  const std::string tail = ReadHiddenBytes(fast, 36, 69, 4);
  EXPECT_EQ(tail.substr(1), std::string(3, '\0'));
  EXPECT_EQ(static_cast<unsigned char>(tail[0]), fast.Pixels().back() & 1u);
  EXPECT_EQ(ReadHiddenBytes(MemoryGrid(), 0, 0, 3), std::string(3, '\0'));
}

}  // namespace
}  // namespace veilmark::stego
