// The flows both front ends run: the desktop document and veilmark-cli call these, so that a
// folder, a capacity, a refusal or a length limit reads the same in either.
#pragma once

#include "core/base/atomic_file.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace veilmark {

// --- Folder listing ------------------------------------------------------------------------

struct FolderListing {
  std::vector<std::string> imageNames;  // lower-cased, as listed
  std::vector<std::string> diskNames;   // the same images by the names found on disk
  int fileCount = 0;
  int cryCount = 0;
  int ImageCount() const { return static_cast<int>(imageNames.size()); }
};

// Every entry of `folder` but sub-folders and our writers' temporary files counts as a file
// (stale temporaries of a killed writer are removed first); sorted by name ignoring case, so
// that the order is the same on every system. Images are the files that decode as one.
// `error` tells a folder that could not be listed from an empty one.
FolderListing ListImageFolder(const std::filesystem::path& folder, std::error_code& error);

// "Files: %d (Images: %d  Encrypted: %d)"
std::string FolderStatisticsText(int files, int images, int encrypted);

// --- Capacity --------------------------------------------------------------------------------

// "%ux%u Storage capacity: %u Ks (%u bytes)": one bit per pixel.
std::string CapacityText(int width, int height);

// --- Hiding ----------------------------------------------------------------------------------

enum class HideRefusal { kNone, kNotEnoughCapacity, kTooLarge, kInvalidName };

struct HideCheck {
  HideRefusal refusal = HideRefusal::kNone;
  std::int64_t need = 0;  // the capacity the payload needs
};

// What the engine would refuse, found before any password or key work: the payload of
// `size` bytes named `name` in an image of `capacity` bytes.
HideCheck CheckHide(std::uint32_t capacity, std::uint64_t size, const std::string& name);

inline constexpr char kTooLargeToHideText[] =
    "The selected file is too large to hide: its encrypted size must stay below 10,000,000 "
    "bytes.";

// Name of the file that carries a message hidden in image `imageName`: the name without
// its extension, at most 58 bytes (never half a character), then ".txt".
std::string MessageFileName(const std::string& imageName);
// The message as its file holds it: every line feed as CR LF, then one more CR LF.
std::string MessageFileBytes(const std::string& message);

// --- Extraction ------------------------------------------------------------------------------

enum class ExtractTarget { kFree, kExists, kIsCarrier };

// Where a hidden file named `hiddenName` (as the image has it) goes in `folder`: under its
// sanitised name, so that the image cannot choose a path.
std::filesystem::path ExtractTargetPath(const std::filesystem::path& folder,
                                        const std::string& hiddenName);
// Whether writing `target` would replace a file (a link counts, also a dangling one), or the
// very image that carries the payload, which is never replaced. `carrier` may be empty.
ExtractTarget ClassifyExtractTarget(const std::filesystem::path& target,
                                    const std::filesystem::path& carrier);
// The refusal when the hidden file has the carrier's name.
std::string CarrierNameClashText(const std::filesystem::path& target);
// Writes the extracted bytes as a new file (0644), atomically; an existing file is replaced
// only when `replace`.
base::CommitResult WriteExtractedFile(const std::filesystem::path& target, const std::string& bytes,
                                      bool replace);

// --- Folder encryption ---------------------------------------------------------------------

enum class FolderCrypt { kEncrypt, kDecrypt };

// "Folder to encrypt not found. ..." / "Folder to decrypt not found. ..."
std::string FolderNotFoundText(FolderCrypt direction);
// The files the command works on, directly in `folder`: every file to encrypt, or the .cry
// files to decrypt. Stale temporaries of a killed run are removed first.
std::vector<std::filesystem::path> FolderCryptFiles(const std::string& folder,
                                                    FolderCrypt direction);
// Said when FolderCryptFiles found nothing.
std::string NothingInFolderText(const std::string& folder, FolderCrypt direction);
// The question before a folder is encrypted; `password` is what the user is shown of it.
std::string EncryptFolderQuestion(const std::string& folder, const std::string& password);

// --- Lengths of passwords and messages -------------------------------------------------------

// Limits count characters (code points), as the dialogs' edit controls do.
inline constexpr std::size_t kMinPasswordLength = 5;
inline constexpr std::size_t kMaxPasswordLength = 64;
inline constexpr std::size_t kMaxMessageLength = 16384;

// Characters of UTF-8 text; a byte that starts no valid sequence counts as one.
std::size_t CharacterCount(std::string_view utf8);
// The first `limit` characters of UTF-8 text; never cuts a character in two.
std::string CutToCharacters(std::string_view utf8, std::size_t limit);
// "The selected encryption password (%d) is empty...." for slot index 0..4.
std::string EmptySlotMessage(int index);
// Empty when `password` may fill a slot (empty, or 5 to 64 characters), else the refusal.
std::string PasswordLengthRefusal(std::string_view password);

}  // namespace veilmark
