// A worksheet cell read as text, the way the keyword workbook's tables show
// it. Pure, thread-safe, never throw.
#pragma once

#include <string>

#include "platform/workbook/workbook_file.h"

namespace korvan {

// The cell as UTF-8 text: a string as it is; a number as its shortest
// decimal text ("3", "2.5", never "3.0" or "1e+05" for ordinary sizes); a
// date-formatted number as "yyyy/mm/dd"; a boolean as "TRUE" or "FALSE"; an
// error as its text ("#DIV/0!"); empty for an empty cell.
std::string CellText(const Cell& cell);

// The shortest decimal text that reads back as `value`: plain digits for
// magnitudes from 1e-6 up to 1e15, exponent notation beyond.
std::string NumberText(double value);

// True for an empty cell and for a text cell holding the empty text.
bool CellIsEmpty(const Cell& cell);

}  // namespace korvan
