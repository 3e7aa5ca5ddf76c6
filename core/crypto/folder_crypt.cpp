#include "core/crypto/folder_crypt.h"

#include "core/crypto/files.h"

#include <system_error>

namespace fs = std::filesystem;

namespace veilmark::crypto {

namespace {
std::string LowerAscii(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

std::string SkippedSuffix(const FolderCryptResult& result) {
  if (result.skipped == 0) return {};
  return " (" + std::to_string(result.skipped) +
         (result.skipped == 1 ? " file skipped: its output already exists)"
                              : " files skipped: their output already exists)");
}

bool Proceed(const FolderProgress& progress, std::size_t i, std::size_t total, const fs::path& f) {
  return !progress || progress(i, total, f);
}
}  // namespace

fs::path FolderEncryptionOutput(const fs::path& file) {
  return file.parent_path() / fs::u8path(LowerAscii(file.filename().u8string()) + kCryExtension);
}

bool SkippedByFolderEncryption(const fs::path& file) {
  return LowerAscii(file.u8string()).find(kCryExtension) != std::string::npos;
}

FolderCryptResult EncryptFolderFiles(const std::vector<fs::path>& files, const KeyAndIV& keys,
                                     const FolderProgress& progress, const FolderFailure& onFailure) {
  FolderCryptResult result;
  for (std::size_t i = 0; i < files.size(); ++i) {
    const fs::path& file = files[i];
    if (SkippedByFolderEncryption(file)) continue;
    if (!Proceed(progress, i, files.size(), file)) {
      result.cancelled = true;
      break;
    }
    const FileStatus status = EncryptFile(file, FolderEncryptionOutput(file), keys,
                                          FileOptions{/*replaceExisting=*/false});
    if (status == FileStatus::kOk) {
      ++result.done;
      std::error_code ec;
      fs::remove(file, ec);
    } else if (status == FileStatus::kOutputExists) {
      ++result.skipped;
    } else {
      ++result.failed;
      if (onFailure) onFailure(file);
    }
  }
  return result;
}

FolderCryptResult DecryptFolderFiles(const std::vector<fs::path>& files, const SlotKeyring& slots,
                                     const FolderProgress& progress) {
  FolderCryptResult result;
  for (std::size_t i = 0; i < files.size(); ++i) {
    const fs::path& file = files[i];
    if (!Proceed(progress, i, files.size(), file)) {
      result.cancelled = true;
      break;
    }
    const SlotDecryption decryption =
        DecryptFileWithSlots(file, DecryptedPath(file), slots, FileOptions{false});
    if (decryption.status == FileStatus::kOk) {
      ++result.done;
      std::error_code ec;
      fs::remove(file, ec);
    } else if (decryption.status == FileStatus::kOutputExists) {
      ++result.skipped;
    } else {
      ++result.failed;
    }
  }
  return result;
}

std::string EncryptFolderStatus(const FolderCryptResult& result, const std::string& password) {
  if (result.done == 0) return "Encrypted files: 0" + SkippedSuffix(result);
  return std::to_string(result.done) + " files successfully encrypted. Password: " + password +
         SkippedSuffix(result);
}

std::string DecryptFolderStatus(const FolderCryptResult& result) {
  if (result.done == 0) return "No files have been decrypted, wrong password" + SkippedSuffix(result);
  return std::to_string(result.done) + " files successfully decrypted" + SkippedSuffix(result);
}

}  // namespace veilmark::crypto
