#include "core/stego/detect.h"

#include "core/stego/embed.h"
#include "stego_test_support.h"

#include <gtest/gtest.h>

#include <sstream>
#include <thread>

namespace veilmark::stego {
namespace {

using testing::kPassword;
using testing::kTimestamp;
using testing::PasswordKeys;

MemoryGrid CarrierOf(const std::string& name, const std::string& content, unsigned seed = 7) {
  MemoryGrid grid = testing::NoiseGrid(100, 60, seed);
  EXPECT_EQ(EmbedPayload(grid, PasswordKeys(), kPassword, content, name, kTimestamp).status,
            EmbedStatus::kEmbedded);
  return grid;
}

TEST(Detect, FirstSlotHoldingThePasswordWins) {
  const MemoryGrid grid = CarrierOf("data.bin", "payload");
  for (int slot = 0; slot < crypto::kPasswordSlots; ++slot) {
    crypto::PasswordSlots slots{"other-1", "", "other-3", "", ""};
    slots[static_cast<std::size_t>(slot)] = kPassword;
    crypto::SlotKeyring ring(slots);
    const auto header = DetectHiddenPayload(grid, ring);
    ASSERT_TRUE(header) << slot;
    EXPECT_EQ(header->slot, slot);
    EXPECT_EQ(header->kind, KIND_HIDDEN_FILE);
  }
  crypto::SlotKeyring twice({"", "", kPassword, "x-other", kPassword});
  EXPECT_EQ(DetectHiddenPayload(grid, twice)->slot, 2);
}

// A payload hidden where the password became Windows-1252 bytes is found with the password
// as typed here (UTF-8), and its content read with the same form.
TEST(Detect, Windows1252PayloadIsFoundWithTheTypedPassword) {
  MemoryGrid grid = testing::NoiseGrid(100, 60, 11);
  ASSERT_EQ(EmbedPayload(grid, crypto::DeriveKeyAndIV("P\xE4sswort1"), "P\xE4sswort1", "Hallo",
                         "gruss.txt", kTimestamp)
                .status,
            EmbedStatus::kEmbedded);
  const crypto::SlotKeyring ring({"other-one", "", "P\xC3\xA4sswort1", "", ""});
  const auto payload = ExtractHiddenPayload(grid, ring);
  ASSERT_TRUE(payload);
  EXPECT_EQ(payload->header.slot, 2);
  EXPECT_EQ(payload->header.kind, KIND_HIDDEN_MESSAGE);
  EXPECT_EQ(payload->content, "Hallo");
}

// A slot that does not fit makes the cipher fail; its text goes where the keyring's owner
// said: standard output unless told otherwise, nowhere for a silent sink.
TEST(Detect, CipherFailuresGoToTheKeyringsSink) {
  const MemoryGrid grid = CarrierOf("data.bin", "payload");
  std::ostringstream own;
  const struct {
    const char* what;
    crypto::FailureSink sink;
    bool toStdout, toOwn;
  } cases[] = {{"default", {}, true, false},
               {"silent", crypto::FailureSink::Silent(), false, false},
               {"own stream", crypto::FailureSink(own), false, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    own.str("");
    ::testing::internal::CaptureStdout();
    const crypto::SlotKeyring wrong({"not-it", "", "", "", ""}, c.sink);
    EXPECT_FALSE(DetectHiddenPayload(grid, wrong));
    EXPECT_FALSE(ReadHiddenContent(grid, wrong.Keys(0), 64, wrong.Failures()));
    EXPECT_EQ(!::testing::internal::GetCapturedStdout().empty(), c.toStdout);
    EXPECT_EQ(!own.str().empty(), c.toOwn);
  }
}

TEST(Detect, NothingFoundIsPlain) {
  crypto::SlotKeyring ring({kPassword, "", "", "", ""});
  crypto::SlotKeyring wrong({"not-it", "", "", "", ""});
  crypto::SlotKeyring none({"", "", "", "", ""});
  const MemoryGrid carrier = CarrierOf("m.txt", "hi");
  EXPECT_EQ(DetectKind(testing::NoiseGrid(100, 60), ring), KIND_PLAIN);
  EXPECT_EQ(DetectKind(MemoryGrid(), ring), KIND_PLAIN);        // undecodable image: 0 x 0
  EXPECT_EQ(DetectKind(MemoryGrid(30, 30), ring), KIND_PLAIN);  // fewer pixels than a header
  EXPECT_EQ(DetectKind(carrier, wrong), KIND_PLAIN);
  EXPECT_EQ(DetectKind(carrier, none), KIND_PLAIN);
  EXPECT_EQ(DetectKind(carrier, ring), KIND_HIDDEN_MESSAGE);
  // A header from a slot that is no longer defined reads nothing.
  HiddenHeader header = *DetectHiddenPayload(carrier, ring);
  header.slot = 3;
  EXPECT_FALSE(ReadHiddenContent(carrier, ring, header));
}

TEST(Detect, MessageText) {
  const MemoryGrid grid = CarrierOf("holiday.txt", "Hello\r\n");
  crypto::SlotKeyring ring({kPassword, "", "", "", ""});
  const auto payload = ExtractHiddenPayload(grid, ring);
  ASSERT_TRUE(payload);
  EXPECT_EQ(payload->header.kind, KIND_HIDDEN_MESSAGE);
  EXPECT_EQ(HiddenMessageText(payload->header.timestamp, payload->content),
            "2026-12-08 20h:53m:38s\r\n\r\nHello\r\n");
}

// Two scans at once share one keyring and nothing else.
TEST(Detect, ConcurrentDetectionsDoNotInterfere) {
  const MemoryGrid image = CarrierOf("pic.png", "image bytes", 1);
  const MemoryGrid file = CarrierOf("doc.pdf", "file bytes", 2);
  crypto::SlotKeyring ring({"other", kPassword, "", "", ""});
  auto scan = [&](const MemoryGrid& grid, int kind, const char* content, bool& ok) {
    ok = true;
    for (int i = 0; i < 20; ++i) {
      const auto payload = ExtractHiddenPayload(grid, ring);
      ok = ok && payload && payload->header.kind == kind && payload->content == content;
    }
  };
  bool okImage = false, okFile = false;
  std::thread a(scan, std::cref(image), KIND_HIDDEN_IMAGE, "image bytes", std::ref(okImage));
  std::thread b(scan, std::cref(file), KIND_HIDDEN_FILE, "file bytes", std::ref(okFile));
  a.join();
  b.join();
  EXPECT_TRUE(okImage);
  EXPECT_TRUE(okFile);
}

}  // namespace
}  // namespace veilmark::stego
