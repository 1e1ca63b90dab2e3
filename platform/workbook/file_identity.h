// Whether a file is still the one a program read or last wrote: the same
// file, the same size and the same modification time. The file is its device
// and inode on POSIX systems, its volume serial number and file index on
// Windows. A program that saves by renaming a new file over it changes the
// file; one that writes in place changes the size or the modification time
// (within the file system's time resolution). Thread-safe.
#pragma once

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

// The identity of an open file (a descriptor on POSIX systems, a HANDLE on
// Windows); nothing when it cannot be had.
std::optional<FileIdentity> IdentityOfOpenFile(std::intptr_t file);

// The identity of the file `path` names (links followed); nothing when there
// is none.
std::optional<FileIdentity> IdentityOfPath(const std::string& path);

}  // namespace korvan
