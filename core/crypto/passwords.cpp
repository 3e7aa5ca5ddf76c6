#include "core/crypto/passwords.h"

#include <algorithm>

namespace veilmark::crypto {

bool AnyPasswordDefined(const PasswordSlots& slots) {
  return std::any_of(slots.begin(), slots.end(), [](const std::string& p) { return !p.empty(); });
}

int ValidSlotIndex(int index) { return index >= 0 && index < kPasswordSlots ? index : 0; }

SlotKeyring::SlotKeyring(const PasswordSlots& slots) : slots_(slots) {}

SlotKeyring::~SlotKeyring() {
  // The passwords are copies; wipe them with the keys.
  for (std::string& p : slots_) std::fill(p.begin(), p.end(), '\0');
}

const KeyAndIV& SlotKeyring::Keys(int slot) const {
  const auto i = static_cast<std::size_t>(slot);
  std::call_once(once_[i],
                 [&] { keys_[i] = std::make_unique<KeyAndIV>(DeriveKeyAndIV(slots_[i])); });
  return *keys_[i];
}

}  // namespace veilmark::crypto
