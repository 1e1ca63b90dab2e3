#include "platform/workbook/atomic_replace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "platform/workbook/file_lock.h"
#include "platform/workbook/workbook_file.h"

namespace korvan {

namespace {

std::string Reason() { return std::strerror(errno); }

// Built by appending: GCC 12 at -O3 misreads `"." + std::string` as an
// overlapping copy (-Wrestrict).
std::string TemporaryPrefix(const std::filesystem::path& file) {
  std::string prefix = ".";
  prefix += file.filename().string();
  prefix += ".saving-";
  return prefix;
}

// Reserves a fresh name beside `target` and frees it again for the writer,
// which creates the file itself.
std::string TemporaryNameBeside(const std::string& target) {
  const std::filesystem::path file(target);
  std::string pattern = (file.parent_path() / (TemporaryPrefix(file) + "XXXXXX")).string();
  const int fd = ::mkstemp(pattern.data());
  if (fd < 0) throw WorkbookError("cannot save " + target + ": " + Reason());
  ::close(fd);
  ::unlink(pattern.c_str());
  return pattern;
}

void FlushFile(const std::string& path, const struct stat& mode_of, const std::string& target) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) throw WorkbookError("cannot save " + target + ": " + Reason());
  // The owner is kept where the process may give it; the permission bits
  // always.
  if (::fchown(fd, mode_of.st_uid, mode_of.st_gid) != 0) {
    // Not allowed for an ordinary user on someone else's file: keep ours.
  }
  const bool ok = ::fchmod(fd, mode_of.st_mode & 07777) == 0 && ::fsync(fd) == 0;
  const std::string reason = ok ? std::string() : Reason();
  ::close(fd);
  if (!ok) throw WorkbookError("cannot save " + target + ": " + reason);
}

void FlushFolderOf(const std::string& target) {
  const std::filesystem::path parent = std::filesystem::path(target).parent_path();
  const std::string folder = parent.empty() ? std::string(".") : parent.string();
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) throw WorkbookError("cannot save " + target + ": " + Reason());
  const bool ok = ::fsync(fd) == 0;
  const std::string reason = ok ? std::string() : Reason();
  ::close(fd);
  if (!ok) throw WorkbookError("cannot save " + target + ": " + reason);
}

}  // namespace

void RemoveStaleTemporaries(const std::string& target) {
  const std::filesystem::path file(target);
  const std::string prefix = TemporaryPrefix(file);
  std::filesystem::path folder = file.parent_path();
  if (folder.empty()) folder = ".";
  std::error_code ec;
  for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end;
       it.increment(ec)) {
    const std::string name = it->path().filename().string();
    // Only names of exactly our pattern (the prefix and six random bytes).
    if (name.size() == prefix.size() + 6 && name.compare(0, prefix.size(), prefix) == 0) {
      std::error_code ignored;
      std::filesystem::remove(it->path(), ignored);
    }
  }
}

void ReplaceFileAtomically(const std::string& target, const std::string& mode_source,
                           const std::function<void(const std::string&)>& write,
                           WorkbookLock* lock) {
  struct stat mode_of {};
  if (::stat(mode_source.c_str(), &mode_of) != 0) {
    throw WorkbookError("cannot save " + target + ": " + Reason());
  }
  const std::string temp = TemporaryNameBeside(target);
  try {
    write(temp);
    FlushFile(temp, mode_of, target);
    if (lock) lock->PrepareRelock(temp);
    if (::rename(temp.c_str(), target.c_str()) != 0) {
      throw WorkbookError("cannot save " + target + ": " + Reason());
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
  if (lock) lock->CommitRelock();
  FlushFolderOf(target);
}

}  // namespace korvan
