// One worksheet substream of a BIFF8 workbook stream, split into its cell
// table (ROW records, cell records with the records that belong to them) and
// every other record, and the sheet's cells decoded from it.
//
// A layout views the stream by offsets; it owns nothing but its vectors.
// Damaged records (too short, a shared string that does not exist, a sheet
// too large to hold) throw WorkbookError. Not thread-safe.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/workbook/workbook_file.h"
#include "platform/workbook/xls_globals.h"

namespace korvan::xls {

constexpr std::size_t kNoSlot = static_cast<std::size_t>(-1);

struct CellItem {
  std::uint32_t begin = 0;  // the cell's record (MULRK/MULBLANK: the whole record),
  std::uint32_t end = 0;    // a FORMULA with its STRING, SHRFMLA, ARRAY, TABLE
  std::uint16_t row = 0;
  std::uint16_t col = 0;
  std::uint16_t xf = 0;
  std::int32_t group = -1;  // index into SheetLayout::groups for MULRK/MULBLANK cells
  std::uint16_t entry = 0;  // position within that record
  bool anchor = false;      // a FORMULA that carries a shared, array or table formula
};

struct RowRecord {
  std::uint16_t row = 0;
  std::uint32_t offset = 0;  // of the ROW record's header
};

struct SheetLayout {
  std::vector<Span> kept;  // records outside the cell table, in order; kept[0] is the BOF
  // The new INDEX, DIMENSIONS and cell table go before kept[slot].
  std::size_t index_slot = kNoSlot;
  std::size_t dimensions_slot = kNoSlot;
  std::size_t table_slot = kNoSlot;
  std::size_t def_col_width = kNoSlot;  // index in `kept` of DEFCOLWIDTH
  std::vector<RowRecord> rows;
  std::vector<CellItem> cells;   // in record order
  std::vector<Span> groups;      // MULRK and MULBLANK records
  std::vector<int> group_sizes;  // cells in each
};

SheetLayout ParseSheetLayout(std::string_view stream, Span substream);

// The cells of a sheet as the interface shows them. Later cells at the same
// position win.
SheetCells DecodeCells(std::string_view stream, const SheetLayout& layout, const Globals& globals);

}  // namespace korvan::xls
