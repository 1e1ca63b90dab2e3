// The layout of an .xlsx package: where its workbook part is (through the
// package relationships), its worksheets in workbook order with their names
// and parts (chart sheets, dialog and macro sheets left out), its shared
// strings, styles and calculation chain parts, and its date system.
// Throws WorkbookError when a needed part is missing or damaged.
#pragma once

#include <string>
#include <vector>

#include "platform/workbook/xlsx_package.h"

namespace korvan {

struct XlsxSheetEntry {
  std::string name;  // UTF-8
  std::string part;  // "xl/worksheets/sheet1.xml"
};

struct XlsxWorkbookLayout {
  std::string workbook_part;  // "xl/workbook.xml"
  std::vector<XlsxSheetEntry> sheets;
  std::string shared_strings_part;  // empty when there is none
  std::string styles_part;          // empty when there is none
  std::string calc_chain_part;      // empty when there is none
  bool date1904 = false;            // serial dates count from 1 January 1904
};

XlsxWorkbookLayout ReadXlsxWorkbookLayout(const XlsxPackage& package);

}  // namespace korvan
