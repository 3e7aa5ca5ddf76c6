#include "core/base/atomic_file.h"

#include "core/base/text_util.h"

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <string>
#include <string_view>
#include <system_error>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>  // renameat2
#endif

namespace veilmark::base {

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

// Locks the whole file, without waiting; the lock goes with the last handle.
bool LockWholeFile(int fd) {
  OVERLAPPED at{};
  return LockFileEx(reinterpret_cast<HANDLE>(_get_osfhandle(fd)),
                    LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD, MAXDWORD,
                    &at) != 0;
}

bool RemoveIfStale(const fs::path& path, std::chrono::seconds minAge) {
  std::error_code ec;
  if (!fs::is_regular_file(fs::symlink_status(path, ec))) return false;
  const auto written = fs::last_write_time(path, ec);
  if (ec || fs::file_time_type::clock::now() - written < minAge) return false;
  int fd = -1;
  if (_wsopen_s(&fd, path.c_str(), _O_RDONLY | _O_BINARY, _SH_DENYNO, 0) != 0) return false;
  const bool unlocked = LockWholeFile(fd);
  _close(fd);  // closing releases the lock taken here
  // A live writer's handle refuses deletion, so this fails rather than racing it.
  return unlocked && fs::remove(path, ec);
}
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

bool LockWholeFile(int fd) { return ::flock(fd, LOCK_EX | LOCK_NB) == 0; }

// Opened first and checked through the descriptor, so that what is judged is what is
// locked; removed only while the lock is held and the name still names that file.
bool RemoveIfStale(const fs::path& path, std::chrono::seconds minAge) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat opened {};
  struct stat named {};
  const bool stale = ::fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode) &&
                     opened.st_uid == ::geteuid() &&
                     std::time(nullptr) - opened.st_mtime >= minAge.count() && LockWholeFile(fd) &&
                     ::lstat(path.c_str(), &named) == 0 && named.st_dev == opened.st_dev &&
                     named.st_ino == opened.st_ino && ::unlink(path.c_str()) == 0;
  ::close(fd);
  return stale;
}

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

// Moves `from` to `to` unless `to` exists. Race-free on Linux and Windows; elsewhere the
// check and the rename are two steps.
CommitResult RenameNoReplace(const fs::path& from, const fs::path& to) {
#ifdef _WIN32
  // Without MOVEFILE_REPLACE_EXISTING the move itself refuses an existing target.
  if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH)) return CommitResult::kOk;
  const DWORD error = GetLastError();
  return error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS ? CommitResult::kTargetExists
                                                                     : CommitResult::kFailed;
#else
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
#endif
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

bool InputFile::ReadAll(std::string& bytes) {
  bytes.assign(static_cast<std::size_t>(size_), '\0');
  if (ReadFull(bytes.data(), bytes.size()) == static_cast<std::ptrdiff_t>(bytes.size()))
    return true;
  std::fill(bytes.begin(), bytes.end(), '\0');
  bytes.clear();
  return false;
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
    const fs::path candidate = folder / ("." + RandomName(12) + ".vmtmp");
    fd_ = CreateExclusive(candidate);
    if (fd_ >= 0) {
      temp_ = candidate;
#ifdef _WIN32
      LockWholeFile(fd_);
#else
      lockFd_ = ::fcntl(fd_, F_DUPFD_CLOEXEC, 0);
      if (lockFd_ >= 0) LockWholeFile(lockFd_);
#endif
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
#ifdef _WIN32
    // One step that either leaves the old file or puts the new one in its place.
    if (!MoveFileExW(temp_.c_str(), target_.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
      result = CommitResult::kFailed;
#else
    std::error_code ec;
    fs::rename(temp_, target_, ec);
    if (ec) result = CommitResult::kFailed;
#endif
  } else {
    result = RenameNoReplace(temp_, target_);
  }
  if (result != CommitResult::kOk) {
    Discard();
    return result;
  }
  temp_.clear();
  ReleaseLock();
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
  ReleaseLock();
}

void AtomicFileWriter::ReleaseLock() {
  if (lockFd_ >= 0) {
    CloseFile(lockFd_);
    lockFd_ = -1;
  }
}

namespace {
bool IsTemporaryName(std::string_view name) {
  constexpr std::string_view kSuffix = ".vmtmp";
  constexpr std::size_t kRandomLength = 12;
  if (name.size() != 1 + kRandomLength + kSuffix.size() || name[0] != '.' ||
      name.substr(1 + kRandomLength) != kSuffix)
    return false;
  for (const char c : name.substr(1, kRandomLength))
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) return false;
  return true;
}
}  // namespace

bool IsTemporaryFileName(const fs::path& name) {
  const fs::path::string_type& native = name.native();
  // Our names are ASCII; anything else cannot match.
  std::string narrow;
  for (const auto c : native) {
    if (c < 0x20 || c > 0x7e) return false;
    narrow.push_back(static_cast<char>(c));
  }
  return IsTemporaryName(narrow);
}

int RemoveStaleTemporaryFiles(const fs::path& folder, std::chrono::seconds minAge) {
  int removed = 0;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
    if (IsTemporaryFileName(it->path().filename()) && RemoveIfStale(it->path(), minAge)) ++removed;
  return removed;
}

}  // namespace veilmark::base
