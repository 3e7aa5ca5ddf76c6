// Where veilmark-cli takes its passwords from: never the command line, but a file, standard
// input, the desktop program's stored slots, or the terminal without echo.
#pragma once

#include "cli/cli.h"
#include "core/crypto/passwords.h"

#include <memory>
#include <optional>
#include <string>

namespace veilmark::cli {

enum class PasswordUse {
  kEncrypt,  // the first password encrypts; typed twice on the terminal
  kDecrypt,  // every password is tried in order
};

// The help paragraph on where passwords come from.
extern const char kPasswordNote[];

// The password slots for this invocation, from --password-file or --password-stdin; else
// from the stored slots (for encryption the selected slot alone, as slot 1); else from
// the terminal. `stdinHoldsData`: the command reads its input from standard input, so
// --password-stdin is refused. On failure the message is printed, `exitCode` is set and
// nothing is returned.
// `encryptingSlot`, when given, receives the number (1 to 5) of the slot that encrypts.
std::optional<crypto::PasswordSlots> GetPasswords(const Invocation& inv, PasswordUse use,
                                                  bool stdinHoldsData, int& exitCode,
                                                  int* encryptingSlot = nullptr);

// Parses "one password per line" text into slots (lines end in LF or CR LF; an empty line
// is an empty slot). False with a message when there are more than five lines or a
// password is too short or too long.
bool ParsePasswordLines(const std::string& text, crypto::PasswordSlots& slots, std::string& error);

void WipeSlots(crypto::PasswordSlots& slots);

// The keyring of a command: the slots of GetPasswords are copied into it and wiped. On
// failure as GetPasswords (null).
std::unique_ptr<crypto::SlotKeyring> GetKeyring(const Invocation& inv, PasswordUse use,
                                                bool stdinHoldsData, int& exitCode);

// The one password that encrypts (slot 1 of GetPasswords with PasswordUse::kEncrypt);
// the other slots are wiped. On failure as GetPasswords.
std::optional<std::string> GetEncryptionPassword(const Invocation& inv, int& exitCode,
                                                 int* slot = nullptr);

// How texts name the password of slot `number` (1 to 5): "slot 1". The CLI never prints a
// password itself.
std::string SlotName(int number);

}  // namespace veilmark::cli
