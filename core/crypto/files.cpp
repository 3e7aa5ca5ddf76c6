#include "core/crypto/files.h"

#include "core/base/atomic_file.h"

#include <cryptopp/aes.h>
#include <cryptopp/misc.h>
#include <cryptopp/secblock.h>

#include <algorithm>
#include <cstring>
#include <system_error>

namespace veilmark::crypto {

namespace fs = std::filesystem;
using CryptoPP::byte;

namespace {

// Large enough that the system calls cost nothing beside the cipher, small enough to stay
// in the cache; a multiple of the block size.
constexpr std::size_t kChunk = std::size_t{1} << 20;
static_assert(kChunk % kBlockSize == 0);

bool Exists(const fs::path& path) {
  std::error_code ec;
  return fs::exists(fs::symlink_status(path, ec));
}

// Writing over the input would leave the caller deleting its own result.
bool SameFile(const fs::path& a, const fs::path& b) {
  std::error_code ec;
  return fs::equivalent(a, b, ec);
}

// Number of padding bytes at the end of a decrypted last block; 0 when it is no valid
// PKCS #7 padding.
std::size_t PaddingLength(const byte* lastBlock) {
  const byte pad = lastBlock[kBlockSize - 1];
  if (pad < 1 || pad > kBlockSize) return 0;
  for (std::size_t i = kBlockSize - pad; i < kBlockSize; ++i)
    if (lastBlock[i] != pad) return 0;
  return pad;
}

// Decrypts only the last block (CBC needs just the block before it) and gives its padding
// length (0: none), so that a wrong password is refused without a pass over the whole
// file and without creating any output.
std::size_t LastBlockPadding(base::InputFile& source, const KeyAndIV& keys) {
  const std::uint64_t size = source.Size();
  CryptoPP::SecByteBlock blocks(2 * kBlockSize);
  byte* previous = blocks.begin();
  byte* last = blocks.begin() + kBlockSize;
  if (size == kBlockSize) {
    std::memcpy(previous, keys.iv.begin(), kBlockSize);
    if (!source.ReadAt(0, last, kBlockSize)) return 0;
  } else if (!source.ReadAt(size - 2 * kBlockSize, blocks.begin(), 2 * kBlockSize)) {
    return 0;
  }
  CryptoPP::AES::Decryption aes(keys.key, keys.key.size());
  aes.ProcessAndXorBlock(last, previous, last);
  return PaddingLength(last);
}

FileStatus Commit(base::AtomicFileWriter& writer, const FileOptions& options,
                  unsigned permissions) {
  switch (writer.Commit(options.replaceExisting, permissions)) {
    case base::CommitResult::kOk:
      return FileStatus::kOk;
    case base::CommitResult::kTargetExists:
      return FileStatus::kOutputExists;
    case base::CommitResult::kFailed:
      break;
  }
  return FileStatus::kOutputNotWritable;
}

template <typename Char>
Char AsciiLower(Char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<Char>(c - 'A' + 'a') : c;
}

// Whether `name` ends with `suffix` (ASCII), letter case ignored.
bool EndsWithNoCase(const fs::path::string_type& name, std::string_view suffix) {
  if (name.size() < suffix.size()) return false;
  const std::size_t start = name.size() - suffix.size();
  for (std::size_t i = 0; i < suffix.size(); ++i)
    if (AsciiLower(name[start + i]) != static_cast<fs::path::value_type>(AsciiLower(suffix[i])))
      return false;
  return true;
}

}  // namespace

FileStatus EncryptFile(const fs::path& input, const fs::path& output, const KeyAndIV& keys,
                       const FileOptions& options) {
  base::InputFile source;
  if (!source.Open(input)) return FileStatus::kInputUnreadable;
  if (SameFile(input, output)) return FileStatus::kOutputExists;
  if (!options.replaceExisting && Exists(output)) return FileStatus::kOutputExists;
  base::AtomicFileWriter writer(output);
  if (!writer.Create()) return FileStatus::kOutputNotWritable;

  CbcEncryptor encryptor(keys);
  CryptoPP::SecByteBlock buffer(kChunk + kBlockSize);  // room for the padding block
  for (;;) {
    const std::ptrdiff_t n = source.ReadFull(buffer, kChunk);
    if (n < 0) return FileStatus::kInputUnreadable;
    std::size_t length = static_cast<std::size_t>(n);
    const bool last = length < kChunk;
    if (last) {
      const std::size_t pad = kBlockSize - length % kBlockSize;
      std::fill_n(buffer.begin() + length, pad, static_cast<byte>(pad));
      length += pad;
    }
    encryptor.Mode().ProcessData(buffer, buffer, length);
    if (!writer.Write(buffer, length)) return FileStatus::kOutputNotWritable;
    if (last) break;
  }
  return Commit(writer, options, source.Permissions());
}

namespace {

bool WholeBlocks(base::InputFile& source) {
  return source.Size() != 0 && source.Size() % kBlockSize == 0;
}

// `padding` receives the length of the padding removed.
FileStatus DecryptOpenFile(base::InputFile& source, const fs::path& input, const fs::path& output,
                           const KeyAndIV& keys, const FileOptions& options, std::size_t* padding) {
  if (!WholeBlocks(source)) return FileStatus::kWrongPassword;
  if (SameFile(input, output)) return FileStatus::kOutputExists;
  if (LastBlockPadding(source, keys) == 0) return FileStatus::kWrongPassword;
  if (!options.replaceExisting && Exists(output)) return FileStatus::kOutputExists;
  base::AtomicFileWriter writer(output);
  if (!writer.Create()) return FileStatus::kOutputNotWritable;

  CbcDecryptor decryptor(keys);
  // The first block of the buffer holds back the previous chunk's last block, which is
  // written only once it is known not to carry the padding.
  CryptoPP::SecByteBlock buffer(kBlockSize + kChunk);
  byte* const held = buffer.begin();
  byte* const data = buffer.begin() + kBlockSize;
  std::size_t heldLength = 0;
  for (;;) {
    const std::ptrdiff_t n = source.ReadFull(data, kChunk);
    if (n < 0) return FileStatus::kInputUnreadable;
    const std::size_t length = static_cast<std::size_t>(n);
    if (length % kBlockSize != 0) return FileStatus::kWrongPassword;  // file changed
    decryptor.Mode().ProcessData(data, data, length);
    byte* const start = data - heldLength;
    const std::size_t total = heldLength + length;
    if (length == kChunk) {
      if (!writer.Write(start, total - kBlockSize)) return FileStatus::kOutputNotWritable;
      std::memcpy(held, data + length - kBlockSize, kBlockSize);
      heldLength = kBlockSize;
      continue;
    }
    if (total == 0) return FileStatus::kWrongPassword;
    const std::size_t pad = PaddingLength(start + total - kBlockSize);
    if (pad == 0) return FileStatus::kWrongPassword;
    if (!writer.Write(start, total - pad)) return FileStatus::kOutputNotWritable;
    if (padding) *padding = pad;
    break;
  }
  return Commit(writer, options, source.Permissions());
}

}  // namespace

FileStatus DecryptFile(const fs::path& input, const fs::path& output, const KeyAndIV& keys,
                       const FileOptions& options) {
  base::InputFile source;
  if (!source.Open(input)) return FileStatus::kInputUnreadable;
  return DecryptOpenFile(source, input, output, keys, options, nullptr);
}

SlotDecryption DecryptFileWithSlots(const fs::path& input, const fs::path& output,
                                    const SlotKeyring& slots, const FileOptions& options) {
  base::InputFile source;
  if (!source.Open(input)) return {FileStatus::kInputUnreadable};
  if (!WholeBlocks(source)) return {};
  struct Fit {
    int slot, form;
    const KeyAndIV* keys;
    std::size_t padding;
  };
  std::vector<Fit> fits;
  for (int slot = 0; slot < kPasswordSlots; ++slot) {
    for (int form = 0; form < slots.FormCount(slot); ++form) {
      const KeyAndIV& keys = slots.Keys(slot, form);
      const std::size_t padding = LastBlockPadding(source, keys);
      if (padding == 0) continue;
      // The same password in two slots is one key, not a second opinion.
      const bool seen = std::any_of(fits.begin(), fits.end(), [&keys](const Fit& f) {
        return f.keys->key == keys.key && f.keys->iv == keys.iv;
      });
      if (!seen) fits.push_back({slot, form, &keys, padding});
    }
  }
  if (fits.empty()) return {};
  // Several keys fit: one whose padding is longer than a byte wins over fits of the weak
  // one-byte kind (a wrong key gives a longer one about 1 time in 65536); otherwise the
  // right one cannot be told.
  const auto strong = [](const Fit& f) { return f.padding > 1; };
  auto chosen = fits.begin();
  if (fits.size() > 1) {
    if (std::count_if(fits.begin(), fits.end(), strong) != 1) return {FileStatus::kAmbiguous};
    chosen = std::find_if(fits.begin(), fits.end(), strong);
  }
  SlotDecryption fit;
  fit.slot = chosen->slot;
  fit.form = chosen->form;
  const KeyAndIV* fitKeys = chosen->keys;
  std::size_t padding = 0;
  fit.status = DecryptOpenFile(source, input, output, *fitKeys, options, &padding);
  fit.paddingLength = static_cast<int>(padding);
  if (fit.status != FileStatus::kOk) fit.slot = -1;
  return fit;
}

bool DecryptsToSameBytes(const fs::path& cryFile, const fs::path& plainFile, const KeyAndIV& keys) {
  base::InputFile cry, plain;
  if (!cry.Open(cryFile) || !plain.Open(plainFile) || SameFile(cryFile, plainFile)) return false;
  // PKCS #7 always pads, so the sizes alone settle most mismatches.
  const std::uint64_t plainSize = plain.Size();
  const std::size_t pad = kBlockSize - static_cast<std::size_t>(plainSize % kBlockSize);
  if (cry.Size() != plainSize + pad) return false;

  CbcDecryptor decryptor(keys);
  CryptoPP::SecByteBlock decrypted(kChunk);
  CryptoPP::SecByteBlock original(kChunk);
  std::uint64_t offset = 0;
  while (offset < cry.Size()) {
    const std::ptrdiff_t n = cry.ReadFull(decrypted, kChunk);
    if (n <= 0 || static_cast<std::size_t>(n) % kBlockSize != 0) return false;
    const std::size_t length = static_cast<std::size_t>(n);
    decryptor.Mode().ProcessData(decrypted, decrypted, length);
    const std::size_t plainPart = static_cast<std::size_t>(
        std::min<std::uint64_t>(length, plainSize > offset ? plainSize - offset : 0));
    if (plain.ReadFull(original, plainPart) != static_cast<std::ptrdiff_t>(plainPart) ||
        !CryptoPP::VerifyBufsEqual(decrypted, original, plainPart))
      return false;
    for (std::size_t i = plainPart; i < length; ++i)
      if (decrypted[i] != pad) return false;
    offset += length;
  }
  return true;
}

fs::path DecryptedPath(const fs::path& cryFile) {
  const fs::path::string_type& name = cryFile.native();
  return name.size() < 4 ? fs::path() : fs::path(name.substr(0, name.size() - 4));
}

bool HasCryExtension(const fs::path& file) {
  return EndsWithNoCase(file.filename().native(), kCryExtension);
}

std::vector<fs::path> ListFolderFiles(const fs::path& folder, std::string_view pattern) {
  const bool all = pattern == "*" || pattern == "*.*";
  const bool suffixOnly = !pattern.empty() && pattern[0] == '*';
  const std::string_view tail = suffixOnly ? pattern.substr(1) : pattern;
  std::vector<fs::path> files;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    const fs::path::string_type name = it->path().filename().native();
    if (name.empty() || name[0] == '.') continue;
    std::error_code typeError;
    if (!it->is_regular_file(typeError)) continue;
    if (!all && (!EndsWithNoCase(name, tail) || (!suffixOnly && name.size() != tail.size())))
      continue;
    files.push_back(folder / name);
  }
  std::sort(files.begin(), files.end());
  return files;
}

}  // namespace veilmark::crypto
