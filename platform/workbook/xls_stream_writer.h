// Writes a BIFF8 workbook stream again with new text cells: every record that
// is not part of a cell table stays as it was; the shared string table (the
// old strings first, in their order, then the new ones), EXTSST, INDEX,
// DBCELL, DIMENSIONS and the BOUNDSHEET8 offsets are rebuilt; cells are
// written in row and column order, untouched ones as their original records.
//
// Pure function of its inputs; throws WorkbookError when a sheet of the
// stream cannot be parsed.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "platform/workbook/xls_globals.h"

namespace korvan::xls {

// Cell position key: row in the high 16 bits, column in the low ones, so that
// the map's order is row-major.
inline std::uint32_t CellKey(std::uint32_t row, std::uint32_t col) { return row << 16 | col; }

// New texts of one substream, by cell position.
using SheetEdits = std::map<std::uint32_t, std::u16string>;

// The cell format that new cells take (the default cell format).
constexpr std::uint16_t kDefaultCellXf = 15;

// `edits[i]` (may be null) holds the new texts of globals.substreams[i].
std::string RewriteWorkbookStream(std::string_view stream, const Globals& globals,
                                  const std::vector<const SheetEdits*>& edits);

}  // namespace korvan::xls
