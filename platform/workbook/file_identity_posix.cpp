#include <fcntl.h>
#include <sys/stat.h>

#include "platform/workbook/file_identity.h"

namespace korvan {

namespace {

FileIdentity IdentityOf(const struct stat& status) {
  return {static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino),
          static_cast<std::int64_t>(status.st_size),
          static_cast<std::int64_t>(status.st_mtim.tv_sec),
          static_cast<std::int64_t>(status.st_mtim.tv_nsec)};
}

}  // namespace

std::optional<FileIdentity> IdentityOfOpenFile(std::intptr_t file) {
  struct stat status {};
  if (::fstat(static_cast<int>(file), &status) != 0) return std::nullopt;
  return IdentityOf(status);
}

std::optional<FileIdentity> IdentityOfPath(const std::string& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) return std::nullopt;
  return IdentityOf(status);
}

}  // namespace korvan
