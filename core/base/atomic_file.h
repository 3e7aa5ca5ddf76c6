// Raw file access for the file engines: a reader for regular files, and a writer that
// builds a new file under a temporary name and moves it over its target only once it is
// complete and on disk, so that a failed operation never damages an existing file.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>

namespace veilmark::base {

// A regular file opened for reading by its name on disk.
class InputFile {
 public:
  InputFile() = default;
  ~InputFile();
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;

  // False when the file is missing, unreadable or not a regular file (a directory, a
  // pipe or a device); a pipe is never waited on.
  bool Open(const std::filesystem::path& path);
  std::uint64_t Size() const { return size_; }
  // Permission bits of the file (0777 mask), given to the files made from it.
  unsigned Permissions() const { return permissions_; }
  // Reads until `size` bytes are in or the file ends; returns the count, -1 on an error.
  std::ptrdiff_t ReadFull(void* data, std::size_t size);
  // Reads exactly `size` bytes at `offset` without moving the sequential position.
  bool ReadAt(std::uint64_t offset, void* data, std::size_t size);
  // The whole file, sized when it was opened; false (and `bytes` wiped) when it cannot be
  // read or is shorter by now. Read from the start of a freshly opened file.
  bool ReadAll(std::string& bytes);

 private:
  int fd_ = -1;
  std::uint64_t size_ = 0;
  unsigned permissions_ = 0600;
};

enum class CommitResult { kOk, kTargetExists, kFailed };

class AtomicFileWriter {
 public:
  explicit AtomicFileWriter(std::filesystem::path target);
  // Removes the temporary file unless Commit succeeded.
  ~AtomicFileWriter();
  AtomicFileWriter(const AtomicFileWriter&) = delete;
  AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

  // Creates the temporary file, exclusively, beside the target; readable by the owner
  // only until Commit. False when the folder is missing or not writable.
  bool Create();
  bool Write(const void* data, std::size_t size);
  // Flushes the file to disk, gives it `permissions` and renames it to the target. With
  // replaceExisting false an existing target is never replaced, also when it appears
  // while the file was written. On anything but kOk the temporary file is gone.
  CommitResult Commit(bool replaceExisting, unsigned permissions);
  // Removes the temporary file; the target is left as it was.
  void Discard();

  const std::filesystem::path& TemporaryPath() const { return temp_; }

 private:
  void ReleaseLock();

  std::filesystem::path target_;
  std::filesystem::path temp_;
  int fd_ = -1;
  // A second descriptor of the same open file: it holds the writer's lock from Create
  // until after the rename, so that no clean-up ever takes a file still being written.
  int lockFd_ = -1;
};

// Whether `name` (a bare file name) is one of the writer's temporary files:
// "." + 12 letters or digits + ".vmtmp". Such files are never user files and are
// neither counted nor listed.
bool IsTemporaryFileName(const std::filesystem::path& name);

// A writer killed mid-way leaves its temporary file behind, possibly holding plaintext.
// The lock is what tells a live writer; the age only covers the instant between creating
// the file and locking it, and file systems whose locks other machines do not see (each
// chunk written renews the time, and a live writer whose file is taken fails its rename
// and keeps its source). Short, so that a run soon after a kill cleans up.
inline constexpr std::chrono::seconds kStaleTemporaryAge{10};

// Removes the temporary files of dead writers directly in `folder`: name of the writer's
// pattern, a regular file, last written at least `minAge` ago, and not locked by a live
// writer. Returns how many were removed.
int RemoveStaleTemporaryFiles(const std::filesystem::path& folder,
                              std::chrono::seconds minAge = kStaleTemporaryAge);

}  // namespace veilmark::base
