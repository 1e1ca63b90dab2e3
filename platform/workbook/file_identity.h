// Whether a file is still the one a program read or last wrote: the same
// file (device and inode), the same size and the same modification time. A
// program that saves by renaming a new file over it changes the inode; one
// that writes in place changes the size or the modification time (within
// the file system's time resolution).
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <optional>
#include <string>

namespace korvan {

struct FileIdentity {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  std::int64_t size = 0;
  std::int64_t mtime_s = 0;
  std::int64_t mtime_ns = 0;
  bool operator==(const FileIdentity&) const = default;
};

FileIdentity IdentityOf(const struct stat& status);

// The identity of the file `path` names (links followed); nothing when there
// is none.
std::optional<FileIdentity> IdentityOfPath(const std::string& path);

}  // namespace korvan
