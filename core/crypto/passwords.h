// The five password slots and a per-operation keyring that derives each slot's key once.
#pragma once

#include "core/crypto/cipher.h"

#include <array>
#include <memory>
#include <mutex>
#include <string>

namespace veilmark::crypto {

inline constexpr int kPasswordSlots = 5;
using PasswordSlots = std::array<std::string, kPasswordSlots>;

// True when at least one slot holds a password.
bool AnyPasswordDefined(const PasswordSlots& slots);

// The slot index used for encryption; a stored index outside 0..4 means slot 1.
int ValidSlotIndex(int index);

// Holds a copy of the slots and derives each slot's key and IV on first use, once, for
// the lifetime of one operation (a folder scan, a folder decryption). Safe to share
// between threads. Key material is wiped when the keyring is destroyed.
class SlotKeyring {
 public:
  explicit SlotKeyring(const PasswordSlots& slots);
  ~SlotKeyring();
  SlotKeyring(const SlotKeyring&) = delete;
  SlotKeyring& operator=(const SlotKeyring&) = delete;

  const std::string& Password(int slot) const { return slots_[static_cast<std::size_t>(slot)]; }
  bool Defined(int slot) const { return !Password(slot).empty(); }
  // Key and IV of a defined slot (0..4); derived on the first call.
  const KeyAndIV& Keys(int slot) const;

 private:
  PasswordSlots slots_;
  mutable std::array<std::once_flag, kPasswordSlots> once_;
  mutable std::array<std::unique_ptr<KeyAndIV>, kPasswordSlots> keys_;
};

}  // namespace veilmark::crypto
