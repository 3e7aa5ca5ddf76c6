// The five password slots and a per-operation keyring that derives each slot's key once.
#pragma once

#include "core/crypto/cipher.h"
#include "core/crypto/failure_sink.h"

#include <array>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace veilmark::crypto {

inline constexpr int kPasswordSlots = 5;
using PasswordSlots = std::array<std::string, kPasswordSlots>;

// True when at least one slot holds a password.
bool AnyPasswordDefined(const PasswordSlots& slots);

// The slot index used for encryption; a stored index outside 0..4 means slot 1.
int ValidSlotIndex(int index);

// Passwords are held as UTF-8. Keys come from the password's bytes in the system's narrow
// code page: UTF-8 here, the ANSI code page on Windows (UTF-8 there too when the code page
// cannot hold every character). This is the form that encrypts.
std::string NarrowPassword(std::string_view utf8);
// Key and IV of a UTF-8 password in its narrow form: what every encryption uses.
KeyAndIV DerivePasswordKeys(std::string_view utf8);

// The Windows-1252 bytes of a UTF-8 text; nullopt when it is not valid UTF-8 or holds a
// character that Windows-1252 has no byte for.
std::optional<std::string> Utf8ToWindows1252(std::string_view utf8);

// Every byte form a password may have been encrypted under, without repeats: the narrow
// form first, then UTF-8 and Windows-1252, so that files move between systems.
std::vector<std::string> PasswordForms(std::string_view utf8);
inline constexpr int kMaxPasswordForms = 3;

// Holds a copy of the slots and derives each slot's key and IV on first use, once, for
// the lifetime of one operation (a folder scan, a folder decryption). Safe to share
// between threads. Key material is wiped when the keyring is destroyed. The cipher failures
// of the operations that try its keys go to `failures`.
class SlotKeyring {
 public:
  explicit SlotKeyring(const PasswordSlots& slots, FailureSink failures = {});
  ~SlotKeyring();
  SlotKeyring(const SlotKeyring&) = delete;
  SlotKeyring& operator=(const SlotKeyring&) = delete;

  const std::string& Password(int slot) const { return slots_[static_cast<std::size_t>(slot)]; }
  bool Defined(int slot) const { return !Password(slot).empty(); }
  // Number of byte forms of a slot (see PasswordForms); 0 for an undefined slot.
  int FormCount(int slot) const;
  // Key and IV of a defined slot (0..4) in one of its forms; derived on the first call.
  // Form 0 is the narrow form, the one that encrypts.
  const KeyAndIV& Keys(int slot, int form = 0) const;
  const FailureSink& Failures() const { return failures_; }

 private:
  using FormArray = std::array<std::string, kMaxPasswordForms>;
  PasswordSlots slots_;
  FailureSink failures_;
  std::array<FormArray, kPasswordSlots> forms_;
  std::array<int, kPasswordSlots> formCount_{};
  mutable std::array<std::array<std::once_flag, kMaxPasswordForms>, kPasswordSlots> once_;
  mutable std::array<std::array<std::unique_ptr<KeyAndIV>, kMaxPasswordForms>, kPasswordSlots>
      keys_;
};

}  // namespace veilmark::crypto
