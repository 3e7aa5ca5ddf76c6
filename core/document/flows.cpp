#include "core/document/flows.h"

#include "core/base/text_util.h"
#include "core/crypto/files.h"
#include "core/crypto/folder_crypt.h"
#include "core/image/imaging.h"
#include "core/stego/embed.h"
#include "core/stego/hidden_name.h"
#include "core/stego/payload.h"

#include <algorithm>

namespace fs = std::filesystem;

namespace veilmark {

FolderListing ListImageFolder(const fs::path& folder, std::error_code& error) {
  FolderListing listing;
  error.clear();
  base::RemoveStaleTemporaryFiles(folder);
  std::vector<std::string> names;
  for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    std::error_code typeError;
    // A writer's temporary file is no user file, also while it is being written.
    if (it->is_directory(typeError) || base::IsTemporaryFileName(it->path().filename())) continue;
    names.push_back(it->path().filename().u8string());
  }
  std::stable_sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    return AsciiLower(a) < AsciiLower(b);
  });
  for (const std::string& name : names) {
    ++listing.fileCount;
    if (const auto dot = name.rfind('.');
        dot != std::string::npos && AsciiLower(name.substr(dot)) == crypto::kCryExtension)
      ++listing.cryCount;
    if (image::IsImageFile(folder / fs::u8path(name))) {
      listing.imageNames.push_back(AsciiLower(name));
      listing.diskNames.push_back(name);
    }
  }
  return listing;
}

std::string FolderStatisticsText(int files, int images, int encrypted) {
  return Format("Files: %d (Images: %d  Encrypted: %d)", files, images, encrypted);
}

std::string CapacityText(int width, int height) {
  const std::uint32_t capacity = stego::StorageCapacity(width, height);
  return Format("%ux%u Storage capacity: %u Ks (%u bytes)", static_cast<unsigned>(width),
                static_cast<unsigned>(height), capacity / 1024, capacity);
}

HideCheck CheckHide(std::uint32_t capacity, std::uint64_t size, const std::string& name) {
  HideCheck check;
  check.need = stego::RequiredCapacity(size);
  if (std::int64_t{capacity} < check.need)
    check.refusal = HideRefusal::kNotEnoughCapacity;
  else if (stego::DataBlockLength(size) >= stego::kDataLengthLimit)
    check.refusal = HideRefusal::kTooLarge;
  else if (name.empty() || name.size() > stego::kNameAndTrailerLength)
    check.refusal = HideRefusal::kInvalidName;
  return check;
}

std::string MessageFileName(const std::string& imageName) {
  constexpr std::size_t kNameLimit = 58;
  std::string base = imageName;
  if (const auto dot = base.rfind('.'); dot != std::string::npos) base.resize(dot);
  if (base.size() > kNameLimit) {
    std::size_t end = kNameLimit;
    while (end > 0 && (static_cast<unsigned char>(base[end]) & 0xC0) == 0x80) --end;
    base.resize(end);
  }
  return base + ".txt";
}

std::string MessageFileBytes(const std::string& message) {
  std::string bytes;
  bytes.reserve(message.size() + message.size() / 16 + 2);
  for (char c : message) {
    if (c == '\n') bytes += '\r';
    bytes += c;
  }
  bytes += "\r\n";
  return bytes;
}

fs::path ExtractTargetPath(const fs::path& folder, const std::string& hiddenName) {
  return folder / fs::u8path(stego::SanitizeHiddenName(hiddenName));
}

ExtractTarget ClassifyExtractTarget(const fs::path& target, const fs::path& carrier) {
  std::error_code ec;
  if (!fs::exists(fs::symlink_status(target, ec))) return ExtractTarget::kFree;
  if (!carrier.empty() && fs::equivalent(target, carrier, ec)) return ExtractTarget::kIsCarrier;
  return ExtractTarget::kExists;
}

std::string CarrierNameClashText(const fs::path& target) {
  return Format(
      "The hidden file has the name of the image that carries it:\n%s\n\nIt was not extracted.",
      VisibleText(target.filename().u8string()).c_str());
}

base::CommitResult WriteExtractedFile(const fs::path& target, const std::string& bytes,
                                      bool replace) {
  base::AtomicFileWriter writer(target);
  if (!writer.Create() || !writer.Write(bytes.data(), bytes.size()))
    return base::CommitResult::kFailed;
  return writer.Commit(replace, 0644);
}

std::string FolderNotFoundText(FolderCrypt direction) {
  return direction == FolderCrypt::kEncrypt
             ? "Folder to encrypt not found.\r\nPlease select a valid folder."
             : "Folder to decrypt not found.\r\nPlease select a valid folder.";
}

std::vector<fs::path> FolderCryptFiles(const std::string& folder, FolderCrypt direction) {
  const fs::path path = fs::u8path(folder);
  base::RemoveStaleTemporaryFiles(path);
  return crypto::ListFolderFiles(path, direction == FolderCrypt::kEncrypt ? "*.*" : "*.cry");
}

std::string NothingInFolderText(const std::string& folder, FolderCrypt direction) {
  if (direction == FolderCrypt::kEncrypt)
    return Format("The selected folder to encrypt is empty.\n\nFolder: %s", folder.c_str());
  return Format("The selected folder doesn't contain encrypted files.\n\nFolder: %s",
                folder.c_str());
}

std::string EncryptFolderQuestion(const std::string& folder, const std::string& password) {
  return Format(
      "All files in the folder will be encrypted and the original files will be removed after "
      "encryption.\n\nFolder: %s\nPassword: %s\n\nDo you want to continue with the "
      "encryption process ?",
      folder.c_str(), password.c_str());
}

std::size_t CharacterCount(std::string_view utf8) {
  std::size_t count = 0;
  for (std::size_t i = 0; i < utf8.size(); ++count) {
    char32_t c = 0;
    i += std::max<std::size_t>(Utf8SequenceAt(utf8, i, c), 1);
  }
  return count;
}

std::string CutToCharacters(std::string_view utf8, std::size_t limit) {
  std::size_t i = 0;
  for (std::size_t count = 0; i < utf8.size() && count < limit; ++count) {
    char32_t c = 0;
    i += std::max<std::size_t>(Utf8SequenceAt(utf8, i, c), 1);
  }
  return std::string(utf8.substr(0, i));
}

std::string EmptySlotMessage(int index) {
  return Format(
      "The selected encryption password (%d) is empty.\nPlease select a valid encryption "
      "password in 'Settings/Passwords'.",
      index + 1);
}

std::string PasswordLengthRefusal(std::string_view password) {
  if (password.empty()) return {};
  const std::size_t length = CharacterCount(password);
  if (length < kMinPasswordLength) return "Passwords length should be at least 5 characters.";
  if (length > kMaxPasswordLength) return "Passwords length should be at most 64 characters.";
  return {};
}

}  // namespace veilmark
