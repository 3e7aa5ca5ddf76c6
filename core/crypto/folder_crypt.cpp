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

void Report(const FolderFailure& onFailure, const fs::path& file, const std::string& what) {
  if (onFailure) onFailure(file, what);
}

// Counts a failure by its cause and says what happened; `action` is the system's own
// failure text of the command.
void CountFailure(FolderCryptResult& result, FileStatus status, const char* action,
                  const char* output, const FolderFailure& onFailure, const fs::path& file) {
  ++result.failed;
  std::string what = action;
  if (status == FileStatus::kInputUnreadable) {
    ++result.unreadable;
    what += " The file cannot be read.";
  } else if (status == FileStatus::kOutputNotWritable) {
    ++result.unwritable;
    what += std::string(" The ") + output +
            " cannot be written: the folder is read-only or the disk is full.";
  }
  Report(onFailure, file, what);
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
    const fs::path output = FolderEncryptionOutput(file);
    const FileStatus status =
        EncryptFile(file, output, keys, FileOptions{/*replaceExisting=*/false});
    if (status == FileStatus::kOk) {
      ++result.done;
      std::error_code ec;
      fs::remove(file, ec);
    } else if (status != FileStatus::kOutputExists) {
      CountFailure(result, status, "File encryption error.", "encrypted file", onFailure, file);
    } else if (DecryptsToSameBytes(output, file, keys)) {
      // Only the deletion of the source was missing.
      std::error_code ec;
      if (fs::remove(file, ec)) {
        ++result.done;
      } else {
        ++result.failed;
        Report(onFailure, file,
               "Encrypted, but the original file cannot be removed: " + ec.message() + ".");
      }
    } else {
      ++result.skipped;
      Report(onFailure, file,
             "Not encrypted: " + output.filename().u8string() +
                 " already exists and is not this file encrypted with this password; both "
                 "files are kept.");
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
    } else if (decryption.status == FileStatus::kWrongPassword) {
      ++result.failed;
    } else {
      CountFailure(result, decryption.status, "File NOT decrypted.", "decrypted file",
                   options.onFailure, file);
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
  // "wrong password" only where no other cause is known.
  if (result.done == 0 && result.unreadable == 0 && result.unwritable == 0)
    return "No files have been decrypted, wrong password" + SkippedSuffix(result);
  std::string text = result.done == 0
                         ? std::string("No files have been decrypted")
                         : std::to_string(result.done) + " files successfully decrypted";
  if (result.unwritable > 0)
    text += "; " + Count(result.unwritable, " file", " files") +
            " not written: the folder is read-only or the disk is full";
  if (result.unreadable > 0)
    text += "; " + Count(result.unreadable, " file cannot", " files cannot") + " be read";
  return text + SkippedSuffix(result) + DecryptNotes(result);
}

}  // namespace veilmark::crypto
