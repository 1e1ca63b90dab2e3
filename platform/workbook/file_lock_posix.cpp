#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/workbook/file_lock.h"
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

WorkbookLock::~WorkbookLock() {
  AbortRelock();
  Release();
}

void WorkbookLock::Acquire(const std::string& path) {
  Release();
  RefuseWorkbookOpenInOffice(path);
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
      file_ = fd;
      path_ = path;
      return;
    }
    ::close(fd);
  }
  throw WorkbookError("cannot open " + path + ": the workbook keeps changing on disk");
}

void WorkbookLock::PrepareRelock(const std::string& new_file) {
  AbortRelock();
  next_file_ = OpenLocked(new_file);
  if (next_file_ < 0) {
    const int error = errno;
    throw WorkbookError("cannot lock " + new_file + ": " + std::strerror(error),
                        FailureOfErrno(error));
  }
}

void WorkbookLock::CommitRelock() {
  if (next_file_ == kNone) return;
  Release();
  file_ = next_file_;
  next_file_ = kNone;
}

void WorkbookLock::AbortRelock() {
  if (next_file_ != kNone) ::close(static_cast<int>(next_file_));
  next_file_ = kNone;
}

void WorkbookLock::Release() {
  if (file_ != kNone) ::close(static_cast<int>(file_));
  file_ = kNone;
}

}  // namespace korvan
