#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/workbook/new_file.h"
#include "platform/workbook/workbook_file.h"

namespace korvan {

namespace {

[[noreturn]] void ThrowWriteError(const std::string& path, int error) {
  throw WorkbookError("cannot write " + path + ": " + std::strerror(error), FailureOfErrno(error));
}

}  // namespace

NewFile::NewFile(const std::string& path)
    : path_(path),
      file_(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666)) {
  if (file_ < 0) ThrowWriteError(path_, errno);
}

NewFile::~NewFile() {
  if (file_ != kNone) ::close(static_cast<int>(file_));
}

void NewFile::Write(const char* data, std::size_t size) {
  std::size_t done = 0;
  while (done < size) {
    const ssize_t n = ::write(static_cast<int>(file_), data + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) ThrowWriteError(path_, errno);
    done += static_cast<std::size_t>(n);
  }
}

void NewFile::Close() {
  const int fd = Release();
  if (::close(fd) != 0) ThrowWriteError(path_, errno);
}

int NewFile::Release() {
  const int fd = static_cast<int>(file_);
  file_ = kNone;
  return fd;
}

}  // namespace korvan
