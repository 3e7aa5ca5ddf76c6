#include "core/crypto/atomic_file.h"

#include "core/crypto/cipher.h"

#include <cerrno>
#include <system_error>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>  // renameat2
#endif

namespace veilmark::crypto {

namespace fs = std::filesystem;

namespace {

#ifdef _WIN32
// The CRT's descriptor calls take counts as unsigned int.
constexpr std::size_t kMaxIo = 1u << 30;

int OpenForReading(const fs::path& path) {
  int fd = -1;
  return _wsopen_s(&fd, path.c_str(), _O_RDONLY | _O_BINARY, _SH_DENYNO, 0) == 0 ? fd : -1;
}
int CreateExclusive(const fs::path& path) {
  int fd = -1;
  return _wsopen_s(&fd, path.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _SH_DENYNO,
                   _S_IREAD | _S_IWRITE) == 0
             ? fd
             : -1;
}
std::ptrdiff_t ReadSome(int fd, void* data, std::size_t size) {
  return _read(fd, data, static_cast<unsigned>(size < kMaxIo ? size : kMaxIo));
}
std::ptrdiff_t WriteSome(int fd, const void* data, std::size_t size) {
  return _write(fd, data, static_cast<unsigned>(size < kMaxIo ? size : kMaxIo));
}
bool SyncFile(int fd) { return _commit(fd) == 0; }
bool CloseFile(int fd) { return _close(fd) == 0; }
#else
int OpenForReading(const fs::path& path) {
  // Non-blocking so that opening a named pipe cannot hang; it is refused right after.
  return ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
}
int CreateExclusive(const fs::path& path) {
  return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
}
std::ptrdiff_t ReadSome(int fd, void* data, std::size_t size) {
  ssize_t n;
  do n = ::read(fd, data, size);
  while (n < 0 && errno == EINTR);
  return n;
}
std::ptrdiff_t WriteSome(int fd, const void* data, std::size_t size) {
  ssize_t n;
  do n = ::write(fd, data, size);
  while (n < 0 && errno == EINTR);
  return n;
}
bool SyncFile(int fd) { return ::fsync(fd) == 0; }
bool CloseFile(int fd) { return ::close(fd) == 0; }

// Makes a completed rename durable; the file's own data is already on disk, so a folder
// that cannot be synced (some file systems refuse) is not an error.
void SyncFolderOf(const fs::path& path) {
  fs::path folder = path.parent_path();
  if (folder.empty()) folder = ".";
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}
#endif

// Moves `from` to `to` unless `to` exists. Race-free on Linux; elsewhere the check and
// the rename are two steps.
CommitResult RenameNoReplace(const fs::path& from, const fs::path& to) {
#ifdef __linux__
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
    return CommitResult::kOk;
  if (errno == EEXIST) return CommitResult::kTargetExists;
  if (errno != EINVAL && errno != ENOSYS) return CommitResult::kFailed;
  // The file system has no no-replace rename: a hard link is just as exclusive.
  if (::link(from.c_str(), to.c_str()) == 0) {
    ::unlink(from.c_str());
    return CommitResult::kOk;
  }
  if (errno == EEXIST) return CommitResult::kTargetExists;
  if (errno != EPERM && errno != ENOTSUP) return CommitResult::kFailed;
#endif
  std::error_code ec;
  if (fs::exists(fs::symlink_status(to, ec))) return CommitResult::kTargetExists;
  fs::rename(from, to, ec);
  return ec ? CommitResult::kFailed : CommitResult::kOk;
}

}  // namespace

InputFile::~InputFile() {
  if (fd_ >= 0) CloseFile(fd_);
}

bool InputFile::Open(const fs::path& path) {
  fd_ = OpenForReading(path);
  if (fd_ < 0) return false;
#ifdef _WIN32
  struct _stat64 st;
  const bool ok = _fstat64(fd_, &st) == 0 && (st.st_mode & _S_IFMT) == _S_IFREG;
#else
  struct stat st;
  bool ok = ::fstat(fd_, &st) == 0 && S_ISREG(st.st_mode);
  ok = ok && ::fcntl(fd_, F_SETFL, 0) == 0;  // back to blocking reads
  if (ok) ::posix_fadvise(fd_, 0, 0, POSIX_FADV_SEQUENTIAL);
#endif
  if (!ok) {
    CloseFile(fd_);
    fd_ = -1;
    return false;
  }
  size_ = static_cast<std::uint64_t>(st.st_size);
  permissions_ = static_cast<unsigned>(st.st_mode) & 0777u;
  return true;
}

std::ptrdiff_t InputFile::ReadFull(void* data, std::size_t size) {
  auto* out = static_cast<unsigned char*>(data);
  std::size_t done = 0;
  while (done < size) {
    const std::ptrdiff_t n = ReadSome(fd_, out + done, size - done);
    if (n < 0) return -1;
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  return static_cast<std::ptrdiff_t>(done);
}

bool InputFile::ReadAt(std::uint64_t offset, void* data, std::size_t size) {
  auto* out = static_cast<unsigned char*>(data);
#ifdef _WIN32
  const __int64 position = _telli64(fd_);
  if (position < 0 || _lseeki64(fd_, static_cast<__int64>(offset), SEEK_SET) < 0) return false;
  const bool ok = ReadFull(out, size) == static_cast<std::ptrdiff_t>(size);
  return _lseeki64(fd_, position, SEEK_SET) >= 0 && ok;
#else
  std::size_t done = 0;
  while (done < size) {
    const ssize_t n = ::pread(fd_, out + done, size - done, static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
#endif
}

AtomicFileWriter::AtomicFileWriter(fs::path target) : target_(std::move(target)) {}

AtomicFileWriter::~AtomicFileWriter() { Discard(); }

bool AtomicFileWriter::Create() {
  fs::path folder = target_.parent_path();
  // A leading dot keeps a file left behind by a crash out of folder listings.
  for (int attempt = 0; attempt < 16; ++attempt) {
    const fs::path candidate = folder / ("." + GenerateRandomString(12) + ".vmtmp");
    fd_ = CreateExclusive(candidate);
    if (fd_ >= 0) {
      temp_ = candidate;
      return true;
    }
    if (errno != EEXIST) return false;
  }
  return false;
}

bool AtomicFileWriter::Write(const void* data, std::size_t size) {
  const auto* in = static_cast<const unsigned char*>(data);
  while (size > 0) {
    const std::ptrdiff_t n = WriteSome(fd_, in, size);
    if (n <= 0) return false;
    in += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

CommitResult AtomicFileWriter::Commit(bool replaceExisting, unsigned permissions) {
  bool ok = SyncFile(fd_);
#ifndef _WIN32
  // Some file systems have no permission bits; the data matters more than the mode.
  if (ok) ::fchmod(fd_, static_cast<mode_t>(permissions & 0777u));
#else
  (void)permissions;
#endif
  ok = CloseFile(fd_) && ok;  // close reports late write errors on some file systems
  fd_ = -1;
  if (!ok) {
    Discard();
    return CommitResult::kFailed;
  }
  CommitResult result = CommitResult::kOk;
  if (replaceExisting) {
    std::error_code ec;
    fs::rename(temp_, target_, ec);
    if (ec) result = CommitResult::kFailed;
  } else {
    result = RenameNoReplace(temp_, target_);
  }
  if (result != CommitResult::kOk) {
    Discard();
    return result;
  }
  temp_.clear();
#ifndef _WIN32
  SyncFolderOf(target_);
#endif
  return CommitResult::kOk;
}

void AtomicFileWriter::Discard() {
  if (fd_ >= 0) {
    CloseFile(fd_);
    fd_ = -1;
  }
  if (!temp_.empty()) {
    std::error_code ec;
    fs::remove(temp_, ec);
    temp_.clear();
  }
}

}  // namespace veilmark::crypto
