// The rows and cells of a worksheet's <sheetData> with their 0-based
// positions. A <row> without r follows the row before it and a <c> without
// r the cell before it, as the format allows; a position beyond XFD1048576,
// a malformed reference or a cell whose reference names another row throws
// WorkbookError. Reading and rewriting a sheet share this walk so that both
// see every cell at the same place.
#pragma once

#include <cstdint>
#include <pugixml.hpp>
#include <string>

#include "platform/workbook/xlsx_cell_ref.h"
#include "platform/workbook/xlsx_xml.h"

namespace korvan {

// The <sheetData> of a worksheet part; throws when it has none.
pugi::xml_node XlsxSheetData(const XlsxXmlPart& sheet, const std::string& where);

class XlsxSheetWalk {
 public:
  explicit XlsxSheetWalk(const std::string& where) : where_(where) {}

  // The row's position, given the position of the row before it (none for
  // the first row).
  std::uint32_t RowIndex(pugi::xml_node row, std::int64_t previous) const;
  // The cell's column, given the column of the cell before it in its row.
  std::uint32_t CellColumn(pugi::xml_node cell, std::uint32_t row, std::int64_t previous) const;

  // Calls visit(row_node, row_index) for every <row> in document order.
  template <typename Visit>
  void ForEachRow(pugi::xml_node sheet_data, Visit&& visit) const {
    std::int64_t previous = -1;
    for (pugi::xml_node row = sheet_data.first_child(); row; row = row.next_sibling()) {
      if (!XlsxIs(row, "row")) continue;
      std::uint32_t index = RowIndex(row, previous);
      previous = index;
      visit(row, index);
    }
  }

  // Calls visit(cell_node, column) for every <c> of a row in document order.
  template <typename Visit>
  void ForEachCell(pugi::xml_node row, std::uint32_t row_index, Visit&& visit) const {
    std::int64_t previous = -1;
    for (pugi::xml_node cell = row.first_child(); cell; cell = cell.next_sibling()) {
      if (!XlsxIs(cell, "c")) continue;
      std::uint32_t col = CellColumn(cell, row_index, previous);
      previous = col;
      visit(cell, col);
    }
  }

 private:
  [[noreturn]] void Damaged(const std::string& what) const;

  const std::string& where_;
};

}  // namespace korvan
