// A1-style cell references of the worksheet XML ("B7", "XFD1048576") and
// the 0-based row and column numbers behind them. Pure functions; safe from
// any thread. A reference that is malformed or lies beyond XFD1048576 parses
// to nothing.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace korvan {

inline constexpr std::uint32_t kXlsxMaxRows = 1048576;  // rows 1 to 1048576
inline constexpr std::uint32_t kXlsxMaxCols = 16384;    // columns A to XFD

struct XlsxCellRef {
  std::uint32_t row = 0;  // 0-based
  std::uint32_t col = 0;  // 0-based
};

// "B7" -> {6, 1}. Column letters in either case; no "$".
std::optional<XlsxCellRef> ParseXlsxCellRef(std::string_view ref);
// A row number as written in <row r="..">: "7" -> 6.
std::optional<std::uint32_t> ParseXlsxRowNumber(std::string_view number);

std::string XlsxColumnName(std::uint32_t col);  // 0 -> "A", 27 -> "AB"
std::string XlsxCellName(std::uint32_t row, std::uint32_t col);

}  // namespace korvan
