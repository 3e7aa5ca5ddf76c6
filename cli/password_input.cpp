#include "cli/password_input.h"

#include "cli/stored_passwords.h"
#include "core/base/text_util.h"
#include "core/document/flows.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <iterator>
#include <sstream>

#ifdef _WIN32
#include <conio.h>
#else
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>
#endif

namespace veilmark::cli {

namespace {

enum class PromptResult { kOk, kNoTerminal, kCancelled };

#ifdef _WIN32
PromptResult PromptHidden(const char* prompt, std::string& line) {
  _cputs(prompt);
  for (;;) {
    const int c = _getch();
    if (c == '\r' || c == '\n') break;
    if (c == 3 || c == 26) {  // Ctrl+C, Ctrl+Z
      _cputs("\r\n");
      return PromptResult::kCancelled;
    }
    if (c == 0 || c == 0xE0) {  // function and arrow keys come as two codes
      _getch();
      continue;
    }
    if (c == '\b') {
      if (!line.empty()) line.pop_back();
      continue;
    }
    line.push_back(static_cast<char>(c));
  }
  _cputs("\r\n");
  return PromptResult::kOk;
}
#else
// Reads one line from the controlling terminal with echo off. Signals are off too, so
// that Ctrl+C arrives as a character and the terminal is always restored.
PromptResult PromptHidden(const char* prompt, std::string& line) {
  const int fd = ::open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return PromptResult::kNoTerminal;
  termios saved{};
  if (::tcgetattr(fd, &saved) != 0) {
    ::close(fd);
    return PromptResult::kNoTerminal;
  }
  termios quiet = saved;
  quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO | ISIG);
  quiet.c_lflag |= ICANON | ECHONL;
  const std::string text(prompt);
  if (::write(fd, text.data(), text.size()) < 0 || ::tcsetattr(fd, TCSANOW, &quiet) != 0) {
    ::close(fd);
    return PromptResult::kNoTerminal;
  }
  bool ended = false;
  char c;
  for (;;) {
    const ssize_t n = ::read(fd, &c, 1);
    if (n <= 0 || c == '\n') {
      ended = n > 0;
      break;
    }
    line.push_back(c);
  }
  ::tcsetattr(fd, TCSANOW, &saved);
  ::close(fd);
  const bool cancelled = !ended || line.find('\x03') != std::string::npos;
  if (cancelled) Wipe(line);
  return cancelled ? PromptResult::kCancelled : PromptResult::kOk;
}
#endif

std::string ReadAll(std::istream& in) {
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

// Read through stdio, which reports read errors that streams hide: a folder opens but
// cannot be read, and must not pass for a file of empty passwords.
bool ReadPasswordFile(const std::string& name, std::string& text, std::string& cause) {
#ifdef _WIN32
  std::FILE* in = _wfopen(std::filesystem::u8path(name).c_str(), L"rb");
#else
  std::FILE* in = std::fopen(name.c_str(), "rb");
#endif
  if (!in) {
    cause = std::strerror(errno);
    return false;
  }
  char buffer[4096];
  std::size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, in)) > 0) text.append(buffer, n);
  const bool failed = std::ferror(in) != 0;
  if (failed) cause = std::strerror(errno);
  std::fclose(in);
  std::fill(std::begin(buffer), std::end(buffer), '\0');
  return !failed;
}

bool FromTerminal(const std::string& command, PasswordUse use, crypto::PasswordSlots& slots,
                  int& exitCode) {
  std::string first;
  PromptResult r = PromptHidden("Password: ", first);
  if (r == PromptResult::kOk && use == PasswordUse::kEncrypt) {
    std::string again;
    r = PromptHidden("Repeat password: ", again);
    if (r == PromptResult::kOk && again != first) {
      Wipe(first);
      Wipe(again);
      PrintError("the passwords do not match");
      exitCode = kExitFailed;
      return false;
    }
    Wipe(again);
  }
  if (r == PromptResult::kNoTerminal) {
    exitCode = UsageError(command,
                          "no terminal to ask for the password: use --password-file FILE "
                          "or --password-stdin");
    return false;
  }
  if (r == PromptResult::kCancelled) {
    PrintError("cancelled");
    exitCode = kExitFailed;
    return false;
  }
  std::string error;
  const bool ok = ParsePasswordLines(first, slots, error);
  Wipe(first);
  if (!ok) exitCode = UsageError(command, error);
  return ok;
}

// The stored slots, when any is defined: the five of them to decrypt, the selected one to
// encrypt. False when none is stored, or (with `exitCode` set) when the selected one is empty.
bool FromStoredSlots(PasswordUse use, crypto::PasswordSlots& slots, int& exitCode,
                     int& encryptingSlot) {
  StoredPasswords stored = LoadStoredPasswords();
  if (!crypto::AnyPasswordDefined(stored.slots)) return false;
  if (use == PasswordUse::kDecrypt) {
    slots = stored.slots;
  } else if (stored.slots[static_cast<std::size_t>(stored.selected)].empty()) {
    PrintError(EmptySlotMessage(stored.selected));
    exitCode = kExitFailed;
  } else {
    slots[0] = stored.slots[static_cast<std::size_t>(stored.selected)];
    encryptingSlot = stored.selected + 1;
  }
  WipeSlots(stored.slots);
  return true;
}

}  // namespace

const char kPasswordNote[] =
    "Passwords come from --password-file or --password-stdin: one password per line,\n"
    "up to five, tried in order when decrypting; the first one encrypts. Without\n"
    "them the desktop program's stored passwords are used (the selected one\n"
    "encrypts, all are tried to decrypt), or, when none is stored, the terminal asks\n"
    "for one without echo.\n";

bool ParsePasswordLines(const std::string& text, crypto::PasswordSlots& slots, std::string& error) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(std::move(line));
    start = end + 1;
  }
  while (!lines.empty() && lines.back().empty()) lines.pop_back();
  bool ok = true;
  if (lines.size() > slots.size()) {
    error = "at most five passwords, one per line";
    ok = false;
  }
  // The desktop's slots take the same lengths: files written here stay readable there.
  for (std::size_t i = 0; ok && i < lines.size(); ++i) {
    error = PasswordLengthRefusal(lines[i]);
    ok = error.empty();
  }
  for (std::size_t i = 0; i < slots.size(); ++i)
    slots[i] = ok && i < lines.size() ? lines[i] : std::string();
  for (std::string& line : lines) Wipe(line);
  return ok;
}

void WipeSlots(crypto::PasswordSlots& slots) {
  for (std::string& s : slots) Wipe(s);
}

std::string SlotName(int number) { return "slot " + std::to_string(number); }

std::optional<std::string> GetEncryptionPassword(const Invocation& inv, int& exitCode, int* slot) {
  std::optional<crypto::PasswordSlots> slots =
      GetPasswords(inv, PasswordUse::kEncrypt, false, exitCode, slot);
  if (!slots) return std::nullopt;
  std::string password = (*slots)[0];
  WipeSlots(*slots);
  return password;
}

std::optional<crypto::PasswordSlots> GetPasswords(const Invocation& inv, PasswordUse use,
                                                  bool stdinHoldsData, int& exitCode,
                                                  int* encryptingSlot) {
  int slot = 1;
  const std::string* file = inv.Value(PasswordFileOption().name);
  const bool fromStdin = inv.Has(PasswordStdinOption().name);
  if (file && fromStdin) {
    exitCode = UsageError(inv.command, "--password-file and --password-stdin exclude each other");
    return std::nullopt;
  }
  if (fromStdin && stdinHoldsData) {
    exitCode = UsageError(inv.command,
                          "--password-stdin cannot be used: this command reads "
                          "its input from standard input");
    return std::nullopt;
  }
  crypto::PasswordSlots slots;
  if (file || fromStdin) {
    std::string text;
    if (file) {
      std::string cause;
      if (!ReadPasswordFile(*file, text, cause)) {
        Wipe(text);
        exitCode =
            UsageError(inv.command, "cannot read the password file '" + *file + "': " + cause);
        return std::nullopt;
      }
    } else {
      text = ReadAll(std::cin);
    }
    std::string error;
    const bool ok = ParsePasswordLines(text, slots, error);
    Wipe(text);
    if (!ok) {
      exitCode = UsageError(inv.command, error);
      return std::nullopt;
    }
  } else if (FromStoredSlots(use, slots, exitCode, slot)) {
    if (exitCode != kExitOk) return std::nullopt;
  } else if (!FromTerminal(inv.command, use, slots, exitCode)) {
    return std::nullopt;
  }
  if (use == PasswordUse::kEncrypt && slots[0].empty()) {
    WipeSlots(slots);
    exitCode = UsageError(inv.command, "the first password, which encrypts, is empty");
    return std::nullopt;
  }
  if (use == PasswordUse::kDecrypt && !crypto::AnyPasswordDefined(slots)) {
    exitCode = UsageError(inv.command, "There are no defined passwords to decrypt.");
    return std::nullopt;
  }
  if (encryptingSlot) *encryptingSlot = slot;
  return slots;
}

std::unique_ptr<crypto::SlotKeyring> GetKeyring(const Invocation& inv, PasswordUse use,
                                                bool stdinHoldsData, int& exitCode) {
  std::optional<crypto::PasswordSlots> slots = GetPasswords(inv, use, stdinHoldsData, exitCode);
  if (!slots) return nullptr;
  // The commands say themselves what no slot opened; Crypto++'s text would mix into their
  // results on standard output.
  auto ring = std::make_unique<crypto::SlotKeyring>(*slots, crypto::FailureSink::Silent());
  WipeSlots(*slots);
  return ring;
}

}  // namespace veilmark::cli
