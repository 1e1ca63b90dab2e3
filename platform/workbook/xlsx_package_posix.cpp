#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

#include <cerrno>
#include <cstring>

#include "platform/workbook/workbook_file.h"
#include "platform/workbook/xlsx_package.h"

namespace korvan {

// Opened here rather than by libzip, whose open error drops errno. The
// archive owns the descriptor and keeps it open.
zip* XlsxPackage::OpenArchive(int& code) {
  const int fd = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    const int error = errno;
    std::string text = std::strerror(error);
    if (!text.empty() && text[0] >= 'A' && text[0] <= 'Z') text[0] = char(text[0] - 'A' + 'a');
    throw WorkbookError("cannot open " + path_ + ": " + text, FailureOfErrno(error));
  }
  struct stat status;
  if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
    ::close(fd);
    throw WorkbookError("cannot open " + path_ + ": not a file", WorkbookFailure::kNotWorkbook);
  }
  zip* archive = zip_fdopen(fd, 0, &code);
  if (!archive) ::close(fd);
  return archive;
}

}  // namespace korvan
