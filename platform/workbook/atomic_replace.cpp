#include "platform/workbook/atomic_replace.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "platform/workbook/file_lock.h"
#include "platform/workbook/workbook_file.h"

namespace korvan {

namespace {

// libgsf's temporary files of an .xls save, and the age after which one is
// surely no save in progress.
constexpr char kGsfTemporaryPrefix[] = ".gsf-save-";
constexpr auto kGsfTemporaryAge = std::chrono::minutes(1);

[[noreturn]] void ThrowSaveError(const std::string& target, int error) {
  throw WorkbookError("cannot save " + target + ": " + std::strerror(error), FailureOfErrno(error));
}

// Built by appending: GCC 12 at -O3 misreads `"." + std::string` as an
// overlapping copy (-Wrestrict).
std::string TemporaryPrefix(const std::filesystem::path& file) {
  std::string prefix = ".";
  prefix += file.filename().string();
  prefix += ".saving-";
  return prefix;
}

// Reserves a fresh name beside `target` and frees it again for the writer,
// which creates the file itself, exclusively.
std::string TemporaryNameBeside(const std::string& target) {
  const std::filesystem::path file(target);
  std::string pattern = (file.parent_path() / (TemporaryPrefix(file) + "XXXXXX")).string();
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
  struct stat written {};
  const bool ok = (!mode_of || ::fchmod(fd, mode_of->st_mode & 07777) == 0) && ::fsync(fd) == 0 &&
                  ::fstat(fd, &written) == 0;
  const int error = errno;
  ::close(fd);
  if (!ok) ThrowSaveError(target, error);
  return IdentityOf(written);
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

// Writes a temporary file beside `target` and commits it there; nothing when
// `replace` is false and `target` exists.
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

bool IsSixRandomBytesAt(const std::string& name, std::size_t at) { return name.size() == at + 6; }

}  // namespace

void RemoveStaleTemporaries(const std::string& target) {
  const std::filesystem::path file(target);
  const std::string prefix = TemporaryPrefix(file);
  const std::string gsf_prefix = kGsfTemporaryPrefix;
  std::filesystem::path folder = file.parent_path();
  if (folder.empty()) folder = ".";
  const auto gsf_stale_before = std::filesystem::file_time_type::clock::now() - kGsfTemporaryAge;
  std::error_code ec;
  for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
       it.increment(ec)) {
    const std::string name = it->path().filename().string();
    std::error_code ignored;
    // Only names of exactly these patterns, and only regular files.
    bool stale = false;
    if (name.compare(0, prefix.size(), prefix) == 0) {
      stale = IsSixRandomBytesAt(name, prefix.size()) ||
              (name.size() == prefix.size() + 13 && name[prefix.size() + 6] == '.');
    } else if (name.compare(0, gsf_prefix.size(), gsf_prefix) == 0 &&
               IsSixRandomBytesAt(name, gsf_prefix.size())) {
      const auto written = std::filesystem::last_write_time(it->path(), ignored);
      stale = !ignored && written < gsf_stale_before;
    }
    if (stale && it->is_regular_file(ignored) && !it->is_symlink(ignored)) {
      std::filesystem::remove(it->path(), ignored);
    }
  }
}

FileIdentity ReplaceFileAtomically(const std::string& target, const std::string& mode_source,
                                   const std::function<void(const std::string&)>& write,
                                   WorkbookLock* lock) {
  return *WriteAndCommit(target, mode_source, write, lock, true);
}

std::optional<FileIdentity> WriteNewFileAtomically(
    const std::string& target, const std::string& mode_source,
    const std::function<void(const std::string&)>& write) {
  return WriteAndCommit(target, mode_source, write, nullptr, false);
}

}  // namespace korvan
