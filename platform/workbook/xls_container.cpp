// What the .xls container does the same way on every system.
#include "platform/workbook/xls_container.h"

#include <algorithm>

#include "platform/workbook/new_file.h"
#include "platform/workbook/workbook_file.h"

namespace korvan::xls {

namespace {

bool EqualsIgnoringCase(const std::string& a, const char* b) {
  return std::equal(
      a.begin(), a.end(), b, b + std::char_traits<char>::length(b), [](char x, char y) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : c; };
        return lower(x) == lower(y);
      });
}

}  // namespace

std::string WorkbookStreamName(const std::vector<std::string>& names, const std::string& path) {
  bool old_format = false;
  for (const std::string& name : names) {
    if (EqualsIgnoringCase(name, "Workbook")) return name;
    if (EqualsIgnoringCase(name, "Book")) old_format = true;
  }
  if (old_format) {
    throw WorkbookError("cannot read " + path +
                            ": the workbook is in Excel 5.0/95 format or older; save it in "
                            "Excel 97-2003 format first",
                        WorkbookFailure::kOldFormat);
  }
  throw WorkbookError("cannot read " + path + ": the file holds no Excel workbook",
                      WorkbookFailure::kNotWorkbook);
}

void XlsContainer::CopyTo(const std::string& path) const {
  NewFile file(path);
  file.Write(file_.data(), file_.size());
  file.Close();
}

}  // namespace korvan::xls
