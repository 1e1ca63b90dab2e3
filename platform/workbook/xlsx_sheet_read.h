// Reads the cells of one worksheet part into SheetCells: shared strings,
// inline strings, formula strings, booleans, errors and numbers; a formula
// cell gives its cached value; a number whose cell format is a date format
// is a date, counted in days from 30 December 1899 also when the workbook
// uses the 1904 date system. Cells without a value take no room, and a
// sheet whose cells would need more than kXlsxMaxSheetCells places is
// refused. Damaged content throws WorkbookError naming `where`.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/workbook/workbook_file.h"
#include "platform/workbook/xlsx_xml.h"

namespace korvan {

inline constexpr std::size_t kXlsxMaxSheetCells = std::size_t{8} << 20;

struct XlsxSheetContext {
  const std::vector<std::string>& shared_strings;
  const std::vector<bool>& date_styles;  // by cell format index
  bool date1904 = false;
  const std::string& where;  // "book.xlsx, sheet Data"
};

SheetCells ReadXlsxSheet(const XlsxXmlPart& sheet, const XlsxSheetContext& context);

}  // namespace korvan
