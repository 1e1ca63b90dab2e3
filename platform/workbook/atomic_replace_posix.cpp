#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "platform/workbook/atomic_replace.h"
#include "platform/workbook/file_lock.h"
#include "platform/workbook/workbook_file.h"

namespace korvan {

namespace {

[[noreturn]] void ThrowSaveError(const std::string& target, int error) {
  throw WorkbookError("cannot save " + target + ": " + std::strerror(error), FailureOfErrno(error));
}

// Reserves a fresh name beside `target` and frees it again for the writer,
// which creates the file itself, exclusively.
std::string TemporaryNameBeside(const std::string& target) {
  const std::filesystem::path file(target);
  std::string pattern =
      (file.parent_path() / (detail::SavingTemporaryPrefix(target) + "XXXXXX")).string();
  const int fd = ::mkstemp(pattern.data());
  if (fd < 0) ThrowSaveError(target, errno);
  ::close(fd);
  ::unlink(pattern.c_str());
  return pattern;
}

// Gives the written file its permissions, flushes it and returns its
// identity; `mode_of` null keeps the permissions it has.
FileIdentity FlushFile(const std::string& path, const struct stat* mode_of,
                       const std::string& target) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) ThrowSaveError(target, errno);
  // The owner is kept where the process may give it; the permission bits
  // always.
  if (mode_of && ::fchown(fd, mode_of->st_uid, mode_of->st_gid) != 0) {
    // Not allowed for an ordinary user on someone else's file: keep ours.
  }
  std::optional<FileIdentity> written;
  const bool ok = (!mode_of || ::fchmod(fd, mode_of->st_mode & 07777) == 0) && ::fsync(fd) == 0 &&
                  (written = IdentityOfOpenFile(fd));
  const int error = errno;
  ::close(fd);
  if (!ok) ThrowSaveError(target, error);
  return *written;
}

void FlushFolderOf(const std::string& target) {
  const std::filesystem::path parent = std::filesystem::path(target).parent_path();
  const std::string folder = parent.empty() ? std::string(".") : parent.string();
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) ThrowSaveError(target, errno);
  const bool ok = ::fsync(fd) == 0;
  const int error = errno;
  ::close(fd);
  if (!ok) ThrowSaveError(target, error);
}

// Renames `temp` to `target` unless a file of that name exists: false then.
bool RenameWithoutReplacing(const std::string& temp, const std::string& target) {
  if (::renameat2(AT_FDCWD, temp.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0) {
    return true;
  }
  if (errno == EEXIST) return false;
  if (errno != EINVAL && errno != ENOSYS) ThrowSaveError(target, errno);
  // A file system without the flag: a link fails on an existing name too.
  if (::link(temp.c_str(), target.c_str()) == 0) {
    ::unlink(temp.c_str());
    return true;
  }
  if (errno == EEXIST) return false;
  struct stat existing {};
  if (::lstat(target.c_str(), &existing) == 0) return false;
  if (::rename(temp.c_str(), target.c_str()) != 0) ThrowSaveError(target, errno);
  return true;
}

}  // namespace

namespace detail {

// Writes a temporary file beside `target` and commits it there.
std::optional<FileIdentity> WriteAndCommit(const std::string& target,
                                           const std::string& mode_source,
                                           const std::function<void(const std::string&)>& write,
                                           WorkbookLock* lock, bool replace) {
  struct stat mode_of {};
  const bool have_mode = ::stat(mode_source.c_str(), &mode_of) == 0;
  if (!have_mode && replace) ThrowSaveError(target, errno);
  const std::string temp = TemporaryNameBeside(target);
  FileIdentity identity;
  bool committed = true;
  try {
    write(temp);
    identity = FlushFile(temp, have_mode ? &mode_of : nullptr, target);
    if (lock) lock->PrepareRelock(temp);
    if (replace) {
      if (::rename(temp.c_str(), target.c_str()) != 0) ThrowSaveError(target, errno);
    } else {
      committed = RenameWithoutReplacing(temp, target);
      if (!committed) ::unlink(temp.c_str());
    }
  } catch (const WorkbookError&) {
    if (lock) lock->AbortRelock();
    ::unlink(temp.c_str());
    throw;
  } catch (const std::exception& e) {
    if (lock) lock->AbortRelock();
    ::unlink(temp.c_str());
    throw WorkbookError("cannot save " + target + ": " + e.what());
  }
  if (!committed) {
    if (lock) lock->AbortRelock();
    return std::nullopt;
  }
  if (lock) lock->CommitRelock();
  FlushFolderOf(target);
  return identity;
}

}  // namespace detail

}  // namespace korvan
