#include "core/crypto/passwords.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace veilmark::crypto {
namespace {

TEST(Passwords, SlotsAndIndex) {
  PasswordSlots slots;
  EXPECT_FALSE(AnyPasswordDefined(slots));
  slots[4] = "fifth";
  EXPECT_TRUE(AnyPasswordDefined(slots));
  EXPECT_EQ(ValidSlotIndex(3), 3);
  EXPECT_EQ(ValidSlotIndex(5), 0);
  EXPECT_EQ(ValidSlotIndex(-1), 0);
}

TEST(Passwords, KeyringDerivesOnceAndMatchesDirectDerivation) {
  PasswordSlots slots{"alpha", "", "gamma", "", ""};
  SlotKeyring ring(slots);
  const KeyAndIV direct = DeriveKeyAndIV("gamma");
  std::vector<const KeyAndIV*> seen(4);
  std::vector<std::thread> threads;
  for (auto& s : seen) threads.emplace_back([&ring, &s] { s = &ring.Keys(2); });
  for (auto& t : threads) t.join();
  for (const KeyAndIV* k : seen) EXPECT_EQ(k, seen[0]);
  EXPECT_EQ(seen[0]->key, direct.key);
  EXPECT_EQ(seen[0]->iv, direct.iv);
  EXPECT_TRUE(ring.Defined(0));
  EXPECT_FALSE(ring.Defined(1));
}

}  // namespace
}  // namespace veilmark::crypto
