// The password slots the desktop program keeps in the user's settings. veilmark-cli only
// reads them: the first-run set-up and every change belong to the desktop program.
#pragma once

#include "core/crypto/passwords.h"

namespace veilmark::cli {

struct StoredPasswords {
  crypto::PasswordSlots slots;  // empty strings when nothing is stored
  int selected = 0;             // the slot that encrypts, 0..4 (a stored index outside means 0)
  bool stored = false;          // the settings exist at all
};

StoredPasswords LoadStoredPasswords();

}  // namespace veilmark::cli
