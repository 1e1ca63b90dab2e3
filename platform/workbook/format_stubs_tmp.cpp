// Placeholders until the two workbook formats are built.
#include "platform/workbook/workbook_file.h"

namespace korvan {

std::unique_ptr<WorkbookFile> OpenXlsFile(const std::string& path) {
  throw WorkbookError("cannot open " + path + ": the .xls format is not available yet");
}

std::unique_ptr<WorkbookFile> OpenXlsxFile(const std::string& path) {
  throw WorkbookError("cannot open " + path + ": the .xlsx format is not available yet");
}

}  // namespace korvan
