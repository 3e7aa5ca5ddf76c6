// encrypt-folder and decrypt-folder: the desktop's folder commands, with a question on the
// terminal (or --yes), progress on standard error, and Ctrl+C stopping between files.
#include "cli/cli.h"
#include "cli/password_input.h"
#include "cli/progress.h"
#include "core/base/atomic_file.h"
#include "core/base/text_util.h"
#include "core/crypto/files.h"
#include "core/crypto/folder_crypt.h"
#include "core/document/flows.h"

#include <csignal>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

namespace veilmark::cli {

namespace {

namespace fs = std::filesystem;

const Option kYesOption{"--yes", "", "encrypt without asking for confirmation"};
const Option kKeepOption{"--keep", "", "leave each .cry file where it is after decrypting it"};

// A signal handler can reach nothing but a flag of static storage.
volatile std::sig_atomic_t g_stopRequested = 0;
extern "C" void RequestStop(int) { g_stopRequested = 1; }

// While it lives, SIGINT and SIGTERM ask the folder loop to stop after the current file.
class StopBetweenFiles {
 public:
  StopBetweenFiles() {
    g_stopRequested = 0;
#ifdef _WIN32
    previousInt_ = std::signal(SIGINT, RequestStop);
    previousTerm_ = std::signal(SIGTERM, RequestStop);
#else
    struct sigaction action {};
    action.sa_handler = RequestStop;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;  // an interrupted write of a progress line goes on
    sigaction(SIGINT, &action, &previousInt_);
    sigaction(SIGTERM, &action, &previousTerm_);
#endif
  }
  ~StopBetweenFiles() {
#ifdef _WIN32
    std::signal(SIGINT, previousInt_);
    std::signal(SIGTERM, previousTerm_);
#else
    sigaction(SIGINT, &previousInt_, nullptr);
    sigaction(SIGTERM, &previousTerm_, nullptr);
#endif
  }
  StopBetweenFiles(const StopBetweenFiles&) = delete;
  StopBetweenFiles& operator=(const StopBetweenFiles&) = delete;

  // The progress callback of the folder loops: shows the file, false once stopped.
  static crypto::FolderProgress Progress(ProgressLine& progress) {
    return [&progress](std::size_t index, std::size_t total, const fs::path& file) {
      if (g_stopRequested) return false;
      progress.Next(index, total, file);
      return true;
    };
  }

 private:
#ifdef _WIN32
  void (*previousInt_)(int) = SIG_DFL;
  void (*previousTerm_)(int) = SIG_DFL;
#else
  struct sigaction previousInt_ {};
  struct sigaction previousTerm_ {};
#endif
};

bool StdinIsTerminal() {
#ifdef _WIN32
  return _isatty(_fileno(stdin)) != 0;
#else
  return ::isatty(STDIN_FILENO) == 1;
#endif
}

// Asks on the terminal; only "y" or "yes" (any case) agrees.
bool Confirm(const std::string& question) {
  std::cerr << question << " [y/N] " << std::flush;
  std::string answer;
  if (!std::getline(std::cin, answer)) return false;
  answer = AsciiLower(answer);
  if (!answer.empty() && answer.back() == '\r') answer.pop_back();
  return answer == "y" || answer == "yes";
}

// `skippedFails`: a skipped file is a conflict the user must settle, not a success.
int Finish(const crypto::FolderCryptResult& result, const std::string& status,
           bool skippedFails = false) {
  if (result.cancelled) PrintError("interrupted: the files done so far stay done");
  PrintError(status);
  return result.cancelled || result.failed > 0 || result.ambiguous > 0 || result.notTrashed > 0 ||
                 (skippedFails && result.skipped > 0)
             ? kExitFailed
             : kExitOk;
}

// A message about one file, in place of the progress line.
crypto::FolderFailure ReportFile(ProgressLine& progress) {
  return [&progress](const fs::path& file, const std::string& what) {
    progress.Clear();
    PrintError(Quoted(file.filename()) + ": " + what);
  };
}

int RunEncryptFolder(const Invocation& inv) {
  if (!inv.Has(kYesOption.name) && !StdinIsTerminal()) {
    return UsageError(inv.command, "no terminal to ask for confirmation: add --yes");
  }
  const std::string& folder = inv.operands[0];
  std::error_code ec;
  if (!fs::is_directory(fs::u8path(folder), ec)) {
    PrintError(FolderNotFoundText(FolderCrypt::kEncrypt));
    return kExitFailed;
  }
  const auto files = FolderCryptFiles(folder, FolderCrypt::kEncrypt);
  if (files.empty()) {
    PrintError(NothingInFolderText(folder, FolderCrypt::kEncrypt));
    return kExitOk;
  }
  int exitCode = kExitOk;
  int slot = 1;
  const std::optional<std::string> encryption = GetEncryptionPassword(inv, exitCode, &slot);
  if (!encryption) return exitCode;
  const std::string& password = *encryption;
  // A terminal's scrollback is no place for a secret: the texts name the slot instead.
  const std::string shown = SlotName(slot);
  if (!inv.Has(kYesOption.name) && !Confirm(EncryptFolderQuestion(folder, shown))) {
    PrintError("cancelled: nothing was encrypted");
    return kExitFailed;
  }
  const crypto::KeyAndIV keys = crypto::DerivePasswordKeys(password);
  crypto::FolderCryptResult result;
  {
    StopBetweenFiles stop;
    ProgressLine progress(files);
    result = crypto::EncryptFolderFiles(files, keys, StopBetweenFiles::Progress(progress),
                                        ReportFile(progress));
  }
  return Finish(result, crypto::EncryptFolderStatus(result, shown), true);
}

int RunDecryptFolder(const Invocation& inv) {
  const std::string& folder = inv.operands[0];
  std::error_code ec;
  if (!fs::is_directory(fs::u8path(folder), ec)) {
    PrintError(FolderNotFoundText(FolderCrypt::kDecrypt));
    return kExitFailed;
  }
  const auto files = FolderCryptFiles(folder, FolderCrypt::kDecrypt);
  if (files.empty()) {
    PrintError(NothingInFolderText(folder, FolderCrypt::kDecrypt));
    return kExitOk;
  }
  int exitCode = kExitOk;
  const auto keyring = GetKeyring(inv, PasswordUse::kDecrypt, false, exitCode);
  if (!keyring) return exitCode;
  ProgressLine progress(files);
  crypto::DecryptFolderOptions options;
  options.keepCry = inv.Has(kKeepOption.name);
  options.onFailure = ReportFile(progress);
  options.onNote = [&progress](const fs::path& file, crypto::DecryptNote note,
                               const std::string& why) {
    progress.Clear();
    switch (note) {
      case crypto::DecryptNote::kPossibly:
        PrintError(Quoted(file.filename()) +
                   ": possibly decrypted: a wrong password passes its check 1 time in 256");
        break;
      case crypto::DecryptNote::kAmbiguous:
        PrintError(Quoted(file.filename()) +
                   ": NOT decrypted: more than one password fits it; left as it is "
                   "(give only its own password)");
        break;
      case crypto::DecryptNote::kNotTrashed:
        PrintError(Quoted(file.filename()) +
                   ": decrypted, but the .cry file was kept: the trash could not take it: " + why);
        break;
    }
  };
  crypto::FolderCryptResult result;
  {
    StopBetweenFiles stop;
    result =
        crypto::DecryptFolderFiles(files, *keyring, StopBetweenFiles::Progress(progress), options);
  }
  progress.Clear();
  return Finish(result, crypto::DecryptFolderStatus(result));
}

}  // namespace

void AddFolderCommands(std::vector<Command>& commands) {
  commands.push_back(
      {"encrypt-folder",
       "DIR",
       "Encrypt every file of a folder",
       "Encrypts every file directly in DIR (not its subfolders, not names starting with\n"
       "\".\", not files whose path contains \".cry\") with the encryption password: each\n"
       "file becomes its lower-cased name with \".cry\" added, and the plain file is\n"
       "deleted once its .cry file is complete and on disk. A file whose .cry file\n"
       "already exists is deleted when that .cry file decrypts to exactly its bytes (a\n"
       "run stopped before the deletion); otherwise both are kept, the file is reported\n"
       "and the exit status is 1. The question before starting is answered on the\n"
       "terminal, or by --yes. Ctrl+C stops after the current file.\n\n" +
           std::string(kPasswordNote),
       {PasswordFileOption(), PasswordStdinOption(), kYesOption},
       1,
       1,
       RunEncryptFolder});
  commands.push_back(
      {"decrypt-folder",
       "DIR",
       "Decrypt every .cry file of a folder",
       "Decrypts every .cry file directly in DIR, trying every password; each loses its\n"
       "\".cry\", and the .cry file goes to the trash once the plain file is complete and\n"
       "on disk (--keep leaves it in place). A file whose plain name already exists is\n"
       "skipped; one that no password opens, or more than one, stays as it is. Files a\n"
       "wrong password could have opened by chance (1 in 256) are named as \"possibly\"\n"
       "decrypted. Ctrl+C stops after the current file.\n\n" +
           std::string(kPasswordNote),
       {PasswordFileOption(), PasswordStdinOption(), kKeepOption},
       1,
       1,
       RunDecryptFolder});
}

}  // namespace veilmark::cli
