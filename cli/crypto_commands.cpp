// encrypt, decrypt, msg-encrypt and msg-decrypt.
#include "cli/cli.h"
#include "cli/password_input.h"
#include "core/base/atomic_file.h"
#include "core/crypto/files.h"
#include "core/crypto/message.h"
#include "core/crypto/trash.h"

#include <filesystem>
#include <iostream>
#include <memory>
#include <set>
#include <sstream>
#include <system_error>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace veilmark::cli {

namespace {

namespace fs = std::filesystem;
using crypto::FileStatus;

std::string Reason(FileStatus status, const fs::path& input, const fs::path& output) {
  switch (status) {
    case FileStatus::kInputUnreadable:
      return "cannot read " + Quoted(input);
    case FileStatus::kOutputNotWritable:
      return "cannot write " + Quoted(output);
    case FileStatus::kOutputExists:
      return Quoted(output) + " already exists (--force replaces it)";
    case FileStatus::kWrongPassword:
      return "wrong password";
    case FileStatus::kAmbiguous:
      return "more than one password fits it; the file was left as it is (give only its "
             "own password)";
    case FileStatus::kOk:
      break;
  }
  return {};
}

// The source is removed only once its replacement is complete and on disk.
bool RemoveReplaced(const fs::path& source) {
  std::error_code ec;
  fs::remove(source, ec);
  if (!ec) return true;
  PrintError(Quoted(source) + ": written, but the original could not be removed: " + ec.message());
  return false;
}

// Clears the temporary files that killed runs left in each output folder, once per folder.
class StaleTemporaryCleaner {
 public:
  void Clean(const fs::path& output) {
    fs::path folder = output.parent_path();
    if (folder.empty()) folder = ".";
    if (done_.insert(folder.lexically_normal()).second) base::RemoveStaleTemporaryFiles(folder);
  }

 private:
  std::set<fs::path> done_;
};

const Option kKeepOption{"--keep", "", "leave each .cry file where it is after decrypting it"};

int RunEncrypt(const Invocation& inv) {
  int exitCode = kExitOk;
  const auto ring = GetKeyring(inv, PasswordUse::kEncrypt, false, exitCode);
  if (!ring) return exitCode;
  const crypto::FileOptions options{inv.Has(ForceOption().name)};
  StaleTemporaryCleaner cleaner;
  for (const std::string& name : inv.operands) {
    const fs::path input = fs::u8path(name);
    const fs::path output = fs::u8path(name + crypto::kCryExtension);
    cleaner.Clean(output);
    const FileStatus status = crypto::EncryptFile(input, output, ring->Keys(0), options);
    if (status != FileStatus::kOk) {
      PrintError(Quoted(input) + ": File encryption error. " + Reason(status, input, output));
      exitCode = kExitFailed;
      continue;
    }
    if (!RemoveReplaced(input)) {
      exitCode = kExitFailed;
      continue;
    }
    std::cerr << Quoted(input) << " -> " << Quoted(output) << ": File encrypted successfully."
              << std::endl;
  }
  return exitCode;
}

int RunDecrypt(const Invocation& inv) {
  int exitCode = kExitOk;
  const auto ring = GetKeyring(inv, PasswordUse::kDecrypt, false, exitCode);
  if (!ring) return exitCode;
  const crypto::FileOptions options{inv.Has(ForceOption().name)};
  StaleTemporaryCleaner cleaner;
  for (const std::string& name : inv.operands) {
    const fs::path input = fs::u8path(name);
    if (!crypto::HasCryExtension(input)) {
      PrintError(Quoted(input) + ": not a .cry file");
      exitCode = kExitFailed;
      continue;
    }
    const fs::path output = crypto::DecryptedPath(input);
    cleaner.Clean(output);
    const crypto::SlotDecryption result =
        crypto::DecryptFileWithSlots(input, output, *ring, options);
    if (result.status == FileStatus::kWrongPassword) {
      PrintError(Quoted(input) + ": File NOT decrypted, wrong password.");
      exitCode = kExitFailed;
      continue;
    }
    if (result.status != FileStatus::kOk) {
      PrintError(Quoted(input) + ": File NOT decrypted: " + Reason(result.status, input, output));
      exitCode = kExitFailed;
      continue;
    }
    const bool keep = inv.Has(kKeepOption.name);
    std::string why;
    const bool refused = !keep && !crypto::MoveToTrash(input, &why);
    if (refused) {
      PrintError(Quoted(input) + ": decrypted to " + Quoted(output) +
                 ", but the .cry file was kept: the trash could not take it: " + why);
      exitCode = kExitFailed;
    }
    if (result.Possibly()) {
      std::cerr << Quoted(input) << " -> " << Quoted(output)
                << ": File possibly decrypted: a wrong password passes its check 1 time in 256, "
                   "so check it; "
                << (keep || refused ? "the .cry file was kept." : "the .cry file is in the trash.")
                << std::endl;
      continue;
    }
    if (refused) continue;
    std::cerr << Quoted(input) << " -> " << Quoted(output) << ": File decrypted successfully."
              << std::endl;
  }
  return exitCode;
}

std::string ReadStandardInput() {
#ifdef _WIN32
  _setmode(_fileno(stdin), _O_BINARY);
#endif
  std::ostringstream text;
  text << std::cin.rdbuf();
  return text.str();
}

int RunMessageEncrypt(const Invocation& inv) {
  int exitCode = kExitOk;
  const auto ring = GetKeyring(inv, PasswordUse::kEncrypt, true, exitCode);
  if (!ring) return exitCode;
  std::string text = ReadStandardInput();
  // The final line break that every shell tool adds is not part of the message.
  if (!text.empty() && text.back() == '\n') text.pop_back();
  if (!text.empty() && text.back() == '\r') text.pop_back();
  if (text.empty()) {
    PrintError("msg-encrypt: the message to encrypt is empty");
    return kExitFailed;
  }
  std::cout << crypto::EncryptMessage(crypto::MessagePlaintext(text), ring->Keys(0)) << "\n";
  std::fill(text.begin(), text.end(), '\0');
  return std::cout.flush() ? kExitOk : kExitFailed;
}

int RunMessageDecrypt(const Invocation& inv) {
  int exitCode = kExitOk;
  const auto ring = GetKeyring(inv, PasswordUse::kDecrypt, true, exitCode);
  if (!ring) return exitCode;
  const std::string block = ReadStandardInput();
  if (block.find_first_not_of(" \t\r\n") == std::string::npos) {
    PrintError("msg-decrypt: no message block on standard input");
    return kExitFailed;
  }
  const crypto::BlockShape shape = crypto::InspectMessageBlock(block);
  if (shape == crypto::BlockShape::kNotHex || shape == crypto::BlockShape::kIncomplete) {
    PrintError(crypto::BlockShapeText(shape));
    return kExitFailed;
  }
  if (shape == crypto::BlockShape::kTrailingDigit) PrintError(crypto::BlockShapeText(shape));
  std::optional<std::string> text = crypto::DecryptMessageWithSlots(block, *ring);
  if (!text) {
    PrintError("Message NOT decrypted, wrong password.");
    return kExitFailed;
  }
  std::cout << *text;
  if (text->back() != '\n') std::cout << "\n";
  std::fill(text->begin(), text->end(), '\0');
  return std::cout.flush() ? kExitOk : kExitFailed;
}

}  // namespace

void AddCryptoCommands(std::vector<Command>& commands) {
  const std::vector<Option> fileOptions{PasswordFileOption(), PasswordStdinOption(), ForceOption()};
  // Listed so that asking for it gets an explanation rather than "unknown option".
  const Option noPasswordStdin{PasswordStdinOption().name, "",
                               "not available: standard input carries the message"};
  const std::vector<Option> messageOptions{PasswordFileOption(), noPasswordStdin};
  commands.push_back(
      {"encrypt", "FILE...", "Encrypt files into .cry files",
       "Each FILE becomes FILE.cry, encrypted with the first password. The plain file is\n"
       "deleted once the .cry file is complete and flushed to disk; on any failure it\n"
       "stays as it was. An existing FILE.cry is left alone unless --force is given.\n\n" +
           std::string(kPasswordNote),
       fileOptions, 1, -1, RunEncrypt});
  commands.push_back(
      {"decrypt",
       "FILE.cry...",
       "Decrypt .cry files",
       "Each FILE.cry becomes FILE, trying every password. Once FILE is complete and\n"
       "flushed to disk the .cry file goes to the trash (--keep leaves it in place): a\n"
       "wrong password passes the check by chance 1 time in 256, and such a file is\n"
       "reported as only \"possibly\" decrypted. When more than one password fits, or\n"
       "none, nothing is written. An existing FILE is left alone unless --force is given.\n\n" +
           std::string(kPasswordNote),
       {PasswordFileOption(), PasswordStdinOption(), ForceOption(), kKeepOption},
       1,
       -1,
       RunDecrypt});
  commands.push_back(
      {"msg-encrypt", "", "Encrypt a message from standard input into a hexadecimal block",
       "Reads the message from standard input (a final line break is dropped), stamps it\n"
       "with the local time and writes the encrypted block, one line of hexadecimal\n"
       "digits, to standard output.\n\n" +
           std::string(kPasswordNote),
       messageOptions, 0, 0, RunMessageEncrypt});
  commands.push_back(
      {"msg-decrypt", "", "Decrypt a hexadecimal block from standard input",
       "Reads a message block from standard input (spaces, line breaks and lower-case\n"
       "digits are fine) and writes the time it was encrypted and the message to standard\n"
       "output, trying every password in order.\n\n" +
           std::string(kPasswordNote),
       messageOptions, 0, 0, RunMessageDecrypt});
}

}  // namespace veilmark::cli
