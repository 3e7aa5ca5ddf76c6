// Encrypting and decrypting single files and whole folders.
#include "core/base/atomic_file.h"
#include "core/base/text_util.h"
#include "core/crypto/files.h"
#include "core/crypto/folder_crypt.h"
#include "core/crypto/trash.h"
#include "core/document/dialog_logic.h"
#include "core/document/document.h"
#include "core/document/flows.h"
#include "core/image/imaging.h"

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace veilmark {

namespace {
void RemoveIfPresent(const fs::path& path) {
  std::error_code ec;
  fs::remove(path, ec);
}

// Puts a decrypted .cry into the trash rather than deleting it, and says what happened: a
// wrong password that fits by chance must never cost the only copy.
std::string DecryptFileStatus(const crypto::SlotDecryption& result, const fs::path& input,
                              const fs::path& output) {
  if (result.status == crypto::FileStatus::kAmbiguous) {
    return Format(
        "File NOT decrypted: more than one password fits %s, so the right one cannot "
        "be told. The file was left as it is: decrypt it with only its own password defined.",
        input.filename().u8string().c_str());
  }
  if (result.status == crypto::FileStatus::kOutputNotWritable)
    return "File NOT decrypted: cannot write " + output.u8string() + ".";
  if (result.status != crypto::FileStatus::kOk) return "File NOT decrypted, wrong password.";
  std::string why;
  const bool trashed = crypto::MoveToTrash(input, &why);
  std::string text = result.Possibly()
                         ? Format(
                               "File possibly decrypted: a wrong password passes its check 1 "
                               "time in 256, so check %s.",
                               output.filename().u8string().c_str())
                         : std::string("File decrypted successfully.");
  if (!trashed) {
    text += " The .cry file was kept: the trash could not take it (" + why + ").";
  } else if (result.Possibly()) {
    text += " The .cry file is in the trash.";
  }
  return text;
}
}  // namespace

bool CLumicraftDoc::ConfirmReplaceOutput(const std::string& output) {
  if (!PathExists(output)) return true;
  return m_ui.AskYesNo(
      Format("The file %s already exists.\n\nDo you want to replace it?", output.c_str()),
      "File exists", MessageIcon::Question);
}

void CLumicraftDoc::OnEncryptFile() {
  const std::string* slotPassword = EncryptionPasswordOrWarn();
  if (!slotPassword) return;
  const std::string password = *slotPassword;
  ScopedToolWindowsHidden hidden(m_ui);
  const auto input = m_ui.PickFile(FileDialogMode::kEncrypt, "Select file to encrypt",
                                   image::BuildAllFilesFilter());
  if (!input || !PathExists(*input)) return;
  const std::string output = *input + crypto::kCryExtension;
  if (!ConfirmReplaceOutput(output)) return;

  crypto::FileStatus status;
  {
    BusyScope busy(*this);
    base::RemoveStaleTemporaryFiles(fs::u8path(output).parent_path());
    status = crypto::EncryptFile(fs::u8path(*input), fs::u8path(output),
                                 crypto::DerivePasswordKeys(password));
  }
  if (status != crypto::FileStatus::kOk) {
    m_ui.ShowMessage("File encryption error.", {}, MessageIcon::Question);
    return;
  }
  RemoveIfPresent(fs::u8path(*input));
  const std::string done = "File encrypted successfully. Password: " + password;
  if (IsInCurrentFolder(*input))
    RefreshCurrentFolder(done);
  else
    m_ui.SetStatusText(done);
}

void CLumicraftDoc::OnDecryptFile() {
  if (!CheckPasswordsDefined()) return;
  ScopedToolWindowsHidden hidden(m_ui);
  const auto input = m_ui.PickFile(FileDialogMode::kDecrypt, "Select file to decrypt",
                                   image::BuildEncryptedFilter());
  if (!input || !PathExists(*input)) return;
  const fs::path output = crypto::DecryptedPath(fs::u8path(*input));
  if (!ConfirmReplaceOutput(output.u8string())) return;

  crypto::SlotDecryption result;
  {
    BusyScope busy(*this);
    const crypto::SlotKeyring keyring(m_crypto.m_arrPasswords);
    base::RemoveStaleTemporaryFiles(output.parent_path());
    result = crypto::DecryptFileWithSlots(fs::u8path(*input), output, keyring);
  }
  const std::string status = DecryptFileStatus(result, fs::u8path(*input), output);
  if (result.status == crypto::FileStatus::kOk && IsInCurrentFolder(*input))
    RefreshCurrentFolder(status);
  else
    m_ui.SetStatusText(status);
}

void CLumicraftDoc::OnEncryptFolder() {
  if (!IsDirectory(m_folder.m_strFolder)) {
    m_ui.ShowMessage(FolderNotFoundText(FolderCrypt::kEncrypt), "Folder not found",
                     MessageIcon::Exclamation);
    return;
  }
  const std::string* slotPassword = EncryptionPasswordOrWarn();
  if (!slotPassword) return;
  const std::string password = *slotPassword;
  const auto files = FolderCryptFiles(m_folder.m_strFolder, FolderCrypt::kEncrypt);
  if (files.empty()) {
    m_ui.ShowMessage(NothingInFolderText(m_folder.m_strFolder, FolderCrypt::kEncrypt), {},
                     MessageIcon::Question);
    return;
  }
  if (!m_ui.AskYesNo(EncryptFolderQuestion(m_folder.m_strFolder, password), {}, MessageIcon::None))
    return;

  crypto::FolderCryptResult result;
  {
    BusyScope busy(*this);
    const crypto::KeyAndIV keys = crypto::DerivePasswordKeys(password);
    m_ui.BeginProgress("Encrypt folder", "Encrypting files ...", static_cast<int>(files.size()));
    result = crypto::EncryptFolderFiles(
        files, keys, FolderProgressCallback(),
        [this](const fs::path& file, const std::string& what) {
          m_ui.ShowMessage(Format("%s\n\nFile: %s", what.c_str(), file.u8string().c_str()), {},
                           MessageIcon::Question);
        });
    m_ui.EndProgress();
  }
  RefreshCurrentFolder(crypto::EncryptFolderStatus(result, password));
}

void CLumicraftDoc::OnDecryptFolder() {
  if (!IsDirectory(m_folder.m_strFolder)) {
    m_ui.ShowMessage(FolderNotFoundText(FolderCrypt::kDecrypt), "Folder not found",
                     MessageIcon::Exclamation);
    return;
  }
  if (!CheckPasswordsDefined()) return;
  const auto files = FolderCryptFiles(m_folder.m_strFolder, FolderCrypt::kDecrypt);
  if (files.empty()) {
    m_ui.ShowMessage(NothingInFolderText(m_folder.m_strFolder, FolderCrypt::kDecrypt), {},
                     MessageIcon::Question);
    return;
  }
  crypto::FolderCryptResult result;
  {
    BusyScope busy(*this);
    const crypto::SlotKeyring keyring(m_crypto.m_arrPasswords);
    m_ui.BeginProgress("Decrypt folder", "Decrypting files ...", static_cast<int>(files.size()));
    result = crypto::DecryptFolderFiles(files, keyring, FolderProgressCallback());
    m_ui.EndProgress();
  }
  RefreshCurrentFolder(crypto::DecryptFolderStatus(result));
}

std::function<bool(std::size_t, std::size_t, const fs::path&)>
CLumicraftDoc::FolderProgressCallback() {
  return [this](std::size_t index, std::size_t, const fs::path& file) {
    return m_ui.UpdateProgress(static_cast<int>(index), file.filename().u8string());
  };
}

}  // namespace veilmark
