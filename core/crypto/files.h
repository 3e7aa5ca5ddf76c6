// ".cry" files: the raw AES-256-CBC ciphertext (PKCS #7 padded) of the whole plain file,
// nothing else. The engines stream the file, write the output beside its target under a
// temporary name and move it into place only after it is complete and flushed to disk.
// Deleting the source is left to the caller, after success.
#pragma once

#include "core/crypto/cipher.h"
#include "core/crypto/passwords.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

// <windows.h> maps these names to its own file-encryption calls.
#ifdef EncryptFile
#undef EncryptFile
#endif
#ifdef DecryptFile
#undef DecryptFile
#endif

namespace veilmark::crypto {

inline constexpr char kCryExtension[] = ".cry";

enum class FileStatus {
  kOk,
  kInputUnreadable,    // missing, unreadable, or not a regular file
  kOutputNotWritable,  // folder missing or not writable, disk full, flush failed
  kWrongPassword,      // padding or length check failed; also a damaged file
  kOutputExists,       // refused: the target exists and may not be replaced
  kAmbiguous,          // more than one different password passes the check: nothing written
};

struct FileOptions {
  // False: leave an existing target alone and report kOutputExists.
  bool replaceExisting = true;
};

FileStatus EncryptFile(const std::filesystem::path& input, const std::filesystem::path& output,
                       const KeyAndIV& keys, const FileOptions& options = {});
FileStatus DecryptFile(const std::filesystem::path& input, const std::filesystem::path& output,
                       const KeyAndIV& keys, const FileOptions& options = {});

// The format has no check value: a key "fits" when the last block decrypts to valid
// PKCS #7 padding. A wrong key ends in the one-byte padding 0x01 about 1 time in 256 and in
// a longer one about 1 time in 65536 or less, so a fit whose padding is a single byte is
// weak evidence: the file is only "possibly" decrypted and its .cry must stay recoverable.
struct SlotDecryption {
  FileStatus status = FileStatus::kWrongPassword;
  int slot = -1;          // 0..4, the slot whose password fitted
  int form = 0;           // which byte form of that password (SlotKeyring::Keys)
  int paddingLength = 0;  // 1..16 once decrypted
  bool Possibly() const { return status == FileStatus::kOk && paddingLength == 1; }
};

// Checks every form of every defined slot on the last block (a wrong one costs its key
// derivation, once per keyring, and one block of the file). Exactly one fitting key
// decrypts. Among several keys that differ, the one fit with a padding longer than a byte
// decrypts when all others are one-byte fits; any other mix gives kAmbiguous and writes
// nothing, since the right one cannot be told apart.
SlotDecryption DecryptFileWithSlots(const std::filesystem::path& input,
                                    const std::filesystem::path& output, const SlotKeyring& slots,
                                    const FileOptions& options = {});

// Whether `cryFile` decrypts with `keys` to exactly the bytes of `plainFile`. Both are
// streamed side by side; nothing is written.
bool DecryptsToSameBytes(const std::filesystem::path& cryFile,
                         const std::filesystem::path& plainFile, const KeyAndIV& keys);

// Name of the decrypted file: the name without its last four characters.
std::filesystem::path DecryptedPath(const std::filesystem::path& cryFile);
bool HasCryExtension(const std::filesystem::path& file);  // letter case ignored

// The files directly in `folder`, as full paths, sorted by name. Names starting with "."
// and everything that is not a regular file (folders, pipes, devices) are left out.
// `pattern` "*.*" (or "*") takes every file, "*.ext" the files ending in ".ext" in any
// letter case. A missing folder gives an empty list.
std::vector<std::filesystem::path> ListFolderFiles(const std::filesystem::path& folder,
                                                   std::string_view pattern);

}  // namespace veilmark::crypto
