// Picks the workbook format by the file's first bytes, whatever its name says.
#include <cerrno>
#include <cstring>
#include <fstream>
#include <string>

#include "platform/workbook/name_exists.h"
#include "platform/workbook/workbook_file.h"

namespace korvan {

namespace {

constexpr char kCompoundFileSignature[] = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";
constexpr char kZipSignature[] = "PK\x03\x04";

}  // namespace

std::unique_ptr<WorkbookFile> OpenWorkbookFile(const std::string& path) {
  std::ifstream in(FsPath(path), std::ios::binary);
  if (!in) {
    const int error = errno;
    throw WorkbookError("cannot open " + path + ": " + std::strerror(error), FailureOfErrno(error));
  }
  char head[8] = {};
  in.read(head, sizeof head);
  const std::string signature(head, static_cast<std::size_t>(in.gcount()));
  in.close();
  if (signature == std::string(kCompoundFileSignature, 8)) return OpenXlsFile(path);
  if (signature.compare(0, 4, kZipSignature, 4) == 0) return OpenXlsxFile(path);
  throw WorkbookError(path + " is not an Excel workbook", WorkbookFailure::kNotWorkbook);
}

WorkbookFailure DamagedUnlessKnown(const WorkbookError& error) {
  return error.Kind() == WorkbookFailure::kOther ? WorkbookFailure::kDamaged : error.Kind();
}

WorkbookFailure FailureOfErrno(int error) {
  switch (error) {
    case ENOENT:
    case ENOTDIR:
      return WorkbookFailure::kNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
      return WorkbookFailure::kNoAccess;
    case ENOSPC:
#ifdef EDQUOT
    case EDQUOT:
#endif
      return WorkbookFailure::kNoSpace;
    default:
      return WorkbookFailure::kOther;
  }
}

}  // namespace korvan
