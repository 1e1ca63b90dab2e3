// Writes one worksheet substream of a BIFF8 workbook stream again with new
// text cells: every record that is not part of the cell table stays as it
// was; INDEX, DBCELL and DIMENSIONS are rebuilt; cells go out in row and
// column order, untouched ones as their original records.
//
// The result begins at position 0 and can be placed anywhere in a stream:
// the fields listed in `offset_fields` hold positions relative to its start,
// to which the caller adds where it placed the sheet. Pure function of its
// inputs; throws WorkbookError when the sheet cannot be parsed.
#pragma once

#include <cstddef>
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

// The cell format that new cells take (the default cell format).
constexpr std::uint16_t kDefaultCellXf = 15;

struct WrittenSheet {
  std::string bytes;
  std::vector<std::size_t> offset_fields;  // 32-bit stream positions, relative
  std::uint32_t labels = 0;                // LABELSST cells, which the SST counts
};

// `texts`: the new text cells by CellKey, each as its shared string index;
// new cells take `default_xf`, cells written over keep theirs.
WrittenSheet WriteSheet(std::string_view stream, Span substream,
                        const std::map<std::uint32_t, std::uint32_t>& texts,
                        std::uint16_t default_xf);

}  // namespace korvan::xls
