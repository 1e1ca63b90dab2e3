// Writes texts into the cells of one parsed worksheet part and serialises
// it. Every text becomes an inline string (t="inlineStr"); a cell that
// existed keeps its format, a new cell has none (the default format). Rows
// ascend by number and cells by column, without duplicates (a sheet that
// broke this is put in order, later cells winning as they do when read);
// every row and cell carries its reference; the spans of a changed row are
// removed; the dimension is recomputed. When the master cell of a shared
// formula is overwritten, the cells that shared it keep their last values
// as plain values. Damaged content throws WorkbookError naming `where`.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>

#include "platform/workbook/xlsx_xml.h"

namespace korvan {

// (row, column), 0-based -> UTF-8 text.
using XlsxCellTexts = std::map<std::pair<std::uint32_t, std::uint32_t>, std::string>;

struct XlsxSheetRewrite {
  std::string xml;
  bool formula_overwritten = false;  // some written cell held a formula
};

XlsxSheetRewrite RewriteXlsxSheet(XlsxXmlPart& sheet, const XlsxCellTexts& texts,
                                  const std::string& where);

}  // namespace korvan
