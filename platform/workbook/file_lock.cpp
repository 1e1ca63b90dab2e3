#include "platform/workbook/file_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "platform/workbook/workbook_file.h"

namespace korvan {

namespace {

// Opens and locks `path`; -1 with errno set on failure.
int OpenLocked(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return -1;
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int saved = errno;
    ::close(fd);
    errno = saved;
    return -1;
  }
  return fd;
}

// True when `fd` is still the file that `path` names: a save by another
// process may have renamed a new file over the one we opened.
bool StillNamedBy(int fd, const std::string& path) {
  struct stat by_fd {};
  struct stat by_name {};
  if (::fstat(fd, &by_fd) != 0 || ::stat(path.c_str(), &by_name) != 0) return false;
  return by_fd.st_dev == by_name.st_dev && by_fd.st_ino == by_name.st_ino;
}

}  // namespace

std::string OfficeLockFilePath(const std::string& path) {
  const std::filesystem::path file(path);
  return (file.parent_path() / (".~lock." + file.filename().string() + "#")).string();
}

WorkbookLock::~WorkbookLock() {
  AbortRelock();
  Release();
}

void WorkbookLock::Acquire(const std::string& path) {
  Release();
  struct stat office {};
  if (::lstat(OfficeLockFilePath(path).c_str(), &office) == 0) {
    throw WorkbookError("cannot open " + path +
                            ": the workbook is open in an office program (close it there first)",
                        WorkbookFailure::kOpenInOffice);
  }
  // A few tries: the file we opened may have been replaced by a save of the
  // process that held the lock just before it let go.
  for (int attempt = 0; attempt < 5; ++attempt) {
    const int fd = OpenLocked(path);
    if (fd < 0) {
      const int error = errno;
      if (error == EWOULDBLOCK) {
        throw WorkbookError(
            "cannot open " + path + ": the workbook is in use by another running instance",
            WorkbookFailure::kInUse);
      }
      throw WorkbookError("cannot open " + path + ": " + std::strerror(error),
                          FailureOfErrno(error));
    }
    if (StillNamedBy(fd, path)) {
      fd_ = fd;
      return;
    }
    ::close(fd);
  }
  throw WorkbookError("cannot open " + path + ": the workbook keeps changing on disk");
}

void WorkbookLock::PrepareRelock(const std::string& new_file) {
  AbortRelock();
  next_fd_ = OpenLocked(new_file);
  if (next_fd_ < 0) {
    const int error = errno;
    throw WorkbookError("cannot lock " + new_file + ": " + std::strerror(error),
                        FailureOfErrno(error));
  }
}

void WorkbookLock::CommitRelock() {
  if (next_fd_ < 0) return;
  Release();
  fd_ = next_fd_;
  next_fd_ = -1;
}

void WorkbookLock::AbortRelock() {
  if (next_fd_ >= 0) ::close(next_fd_);
  next_fd_ = -1;
}

void WorkbookLock::Release() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

}  // namespace korvan
