// Reading the stored password slots, and the `slots` subcommand that shows them.
#include "cli/stored_passwords.h"

#include "cli/cli.h"
#include "cli/password_input.h"
#include "core/document/settings.h"

#include <filesystem>
#include <iostream>
#include <memory>
#include <system_error>

namespace veilmark::cli {

namespace {

int RunSlots(const Invocation&) {
  StoredPasswords stored = LoadStoredPasswords();
  if (!stored.stored) {
    const std::string path = UserSettingsPath();
    PrintError("no stored passwords" + (path.empty() ? std::string() : " (" + path + ")"));
  }
  for (int i = 0; i < crypto::kPasswordSlots; ++i) {
    std::cout << "slot " << i + 1 << ": "
              << (stored.slots[static_cast<std::size_t>(i)].empty() ? "empty" : "defined")
              << (i == stored.selected ? " (selected)" : "") << "\n";
  }
  WipeSlots(stored.slots);
  return std::cout.flush() ? kExitOk : kExitFailed;
}

}  // namespace

StoredPasswords LoadStoredPasswords() {
  StoredPasswords result;
  // Opening a settings file that does not exist would create its folder: look first.
  const std::string path = UserSettingsPath();
  std::error_code ec;
  if (!path.empty() && !std::filesystem::is_regular_file(std::filesystem::u8path(path), ec))
    return result;
  const std::unique_ptr<SettingsStore> settings = OpenUserSettings();
  result.stored = true;
  for (int i = 0; i < crypto::kPasswordSlots; ++i)
    result.slots[static_cast<std::size_t>(i)] = settings->GetString(kPasswordValueNames[i]);
  const long selected = settings->GetInt(kSelectedPasswordValueName, 0);
  result.selected = selected >= 0 && selected < crypto::kPasswordSlots
                        ? crypto::ValidSlotIndex(static_cast<int>(selected))
                        : 0;
  return result;
}

void AddSlotsCommand(std::vector<Command>& commands) {
  commands.push_back(
      {"slots",
       "",
       "Show which stored password slots are defined",
       "Shows which of the five password slots stored by the desktop program hold a\n"
       "password and which one is selected for encryption. Passwords are never shown.\n",
       {},
       0,
       0,
       RunSlots});
}

}  // namespace veilmark::cli
