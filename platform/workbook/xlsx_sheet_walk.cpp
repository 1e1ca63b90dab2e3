#include "platform/workbook/xlsx_sheet_walk.h"

#include "platform/workbook/workbook_file.h"

namespace korvan {

pugi::xml_node XlsxSheetData(const XlsxXmlPart& sheet, const std::string& where) {
  pugi::xml_node data = XlsxChild(sheet.Root(), "sheetData");
  if (!XlsxIs(sheet.Root(), "worksheet") || !data) {
    throw WorkbookError(where + ": damaged worksheet (no sheetData)");
  }
  return data;
}

void XlsxSheetWalk::Damaged(const std::string& what) const {
  throw WorkbookError(where_ + ": damaged worksheet (" + what + ")");
}

std::uint32_t XlsxSheetWalk::RowIndex(pugi::xml_node row, std::int64_t previous) const {
  pugi::xml_attribute r = row.attribute("r");
  if (!r) {
    if (previous + 1 >= static_cast<std::int64_t>(kXlsxMaxRows))
      Damaged("a row beyond row 1048576");
    return static_cast<std::uint32_t>(previous + 1);
  }
  std::optional<std::uint32_t> index = ParseXlsxRowNumber(r.value());
  if (!index) Damaged("row number \"" + std::string(r.value()) + "\" outside 1 to 1048576");
  return *index;
}

std::uint32_t XlsxSheetWalk::CellColumn(pugi::xml_node cell, std::uint32_t row,
                                        std::int64_t previous) const {
  pugi::xml_attribute r = cell.attribute("r");
  if (!r) {
    if (previous + 1 >= static_cast<std::int64_t>(kXlsxMaxCols))
      Damaged("a cell beyond column XFD");
    return static_cast<std::uint32_t>(previous + 1);
  }
  std::optional<XlsxCellRef> ref = ParseXlsxCellRef(r.value());
  if (!ref) Damaged("cell reference \"" + std::string(r.value()) + "\" outside A1 to XFD1048576");
  if (ref->row != row)
    Damaged("cell " + std::string(r.value()) + " in row " + std::to_string(row + 1));
  return ref->col;
}

}  // namespace korvan
