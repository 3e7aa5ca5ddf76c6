#include "core/crypto/folder_crypt.h"

#include "core/crypto/files.h"
#include "core/crypto/trash.h"

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

std::string Count(int n, const char* one, const char* many) {
  return std::to_string(n) + (n == 1 ? one : many);
}

// The notes a decryption adds when its outcome is not the plain one.
std::string DecryptNotes(const FolderCryptResult& result) {
  std::string notes;
  if (result.possibly > 0) {
    notes += " (" + std::to_string(result.possibly) +
             " of them only possibly: a wrong password passes that check 1 time in 256; " +
             (result.cryKept ? "the .cry files were kept)" : "the .cry files are in the trash)");
  }
  if (result.ambiguous > 0) {
    notes += " (" + Count(result.ambiguous, " file left encrypted", " files left encrypted") +
             ": more than one password fits; decrypt with only the right one)";
  }
  if (result.notTrashed > 0) {
    notes += " (" + Count(result.notTrashed, " .cry file kept: the trash could not take it)",
                          " .cry files kept: the trash could not take them)");
  }
  return notes;
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
                                     const FolderProgress& progress,
                                     const FolderFailure& onFailure) {
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
                                     const FolderProgress& progress,
                                     const DecryptFolderOptions& options) {
  const auto note = [&options](const fs::path& file, DecryptNote what, const std::string& why) {
    if (options.onNote) options.onNote(file, what, why);
  };
  FolderCryptResult result;
  result.cryKept = options.keepCry;
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
      if (decryption.Possibly()) {
        ++result.possibly;
        note(file, DecryptNote::kPossibly, {});
      }
      std::string why;
      if (!options.keepCry && !MoveToTrash(file, &why)) {
        ++result.notTrashed;
        note(file, DecryptNote::kNotTrashed, why);
      }
    } else if (decryption.status == FileStatus::kOutputExists) {
      ++result.skipped;
    } else if (decryption.status == FileStatus::kAmbiguous) {
      ++result.ambiguous;
      note(file, DecryptNote::kAmbiguous, {});
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
  if (result.done == 0 && result.ambiguous > 0)
    return "No files have been decrypted" + SkippedSuffix(result) + DecryptNotes(result);
  if (result.done == 0)
    return "No files have been decrypted, wrong password" + SkippedSuffix(result);
  return std::to_string(result.done) + " files successfully decrypted" + SkippedSuffix(result) +
         DecryptNotes(result);
}

}  // namespace veilmark::crypto
