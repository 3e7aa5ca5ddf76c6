// Encrypting every file of a folder, and decrypting every ".cry" file of one: the loops
// shared by the desktop commands and the command-line tool.
#pragma once

#include "core/crypto/cipher.h"
#include "core/crypto/passwords.h"

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace veilmark::crypto {

struct FolderCryptResult {
  int done = 0;     // files encrypted or decrypted
  int skipped = 0;  // left alone because their output name already exists
  int failed = 0;   // could not be processed (stay as they were)
  bool cancelled = false;
  // Of `failed`: inputs that could not be read, and outputs that could not be written
  // (read-only folder, full disk). When decrypting, the rest are those no password opens.
  int unreadable = 0;
  int unwritable = 0;
  // Decryption only.
  int possibly = 0;      // of `done`: decrypted on the weak evidence of a one-byte padding
  int ambiguous = 0;     // left alone: keys of different passwords fit them
  int notTrashed = 0;    // of `done`: the trash refused the .cry file, which stayed
  bool cryKept = false;  // the .cry files were asked to stay where they are
};

// Called before each file with its index in the list; returning false stops the loop
// there (the files done so far stay done).
using FolderProgress =
    std::function<bool(std::size_t index, std::size_t total, const std::filesystem::path& file)>;
// Called for each file that could not be processed or was left alone, with what happened
// (a sentence, without the file name). Decryption calls it for every cause but a wrong
// password.
using FolderFailure =
    std::function<void(const std::filesystem::path& file, const std::string& what)>;

// The ".cry" file a folder encryption makes of `file`: its name lower-cased, ".cry" added.
std::filesystem::path FolderEncryptionOutput(const std::filesystem::path& file);
// Files whose lower-cased full path contains ".cry" anywhere are never encrypted again.
bool SkippedByFolderEncryption(const std::filesystem::path& file);

// What a folder decryption tells about single files that need the user's eye.
enum class DecryptNote {
  kPossibly,    // decrypted, but only a one-byte padding says the password fits
  kAmbiguous,   // left alone: more than one password fits
  kNotTrashed,  // decrypted; the trash refused the .cry file, which stayed (`why` says why)
};
using DecryptNoteSink = std::function<void(const std::filesystem::path& file, DecryptNote note,
                                           const std::string& why)>;

struct DecryptFolderOptions {
  bool keepCry = false;  // leave each .cry file where it is after its decryption
  DecryptNoteSink onNote;
  FolderFailure onFailure;  // a file that could not be read or written
};

// Each output is complete and on disk before its source is deleted; an existing output
// is never replaced. When the existing .cry file already decrypts with `keys` to exactly
// the file's bytes (a run stopped between writing it and deleting the source), the
// source is deleted and the file counts as encrypted; otherwise both stay and the file
// is skipped and reported. A decrypted .cry file goes to the trash, never straight
// away: a wrong password that fits by chance must not cost the only copy.
FolderCryptResult EncryptFolderFiles(const std::vector<std::filesystem::path>& files,
                                     const KeyAndIV& keys, const FolderProgress& progress = {},
                                     const FolderFailure& onFailure = {});
FolderCryptResult DecryptFolderFiles(const std::vector<std::filesystem::path>& files,
                                     const SlotKeyring& slots, const FolderProgress& progress = {},
                                     const DecryptFolderOptions& options = {});

// The closing status texts.
std::string EncryptFolderStatus(const FolderCryptResult& result, const std::string& password);
std::string DecryptFolderStatus(const FolderCryptResult& result);

}  // namespace veilmark::crypto
