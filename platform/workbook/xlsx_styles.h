// Which cell formats of a workbook show numbers as dates (xl/styles.xml):
// the number format of every cell format (<cellXfs><xf numFmtId>), either a
// built-in date format or a format code of the part's own (<numFmts>) that
// holds day, month or year fields. Times count as dates, as their built-in
// formats do. Pure functions; never throw.
#pragma once

#include <string_view>
#include <vector>

#include "platform/workbook/xlsx_xml.h"

namespace korvan {

// Indexed by a cell's s attribute; shorter than the cellXfs when the part
// lies (a missing index is not a date).
std::vector<bool> ReadXlsxDateStyles(const XlsxXmlPart& styles);

bool IsXlsxBuiltinDateFormat(unsigned id);
// True when the code holds d, m or y outside quoted text, [..] brackets and
// escaped characters ("yyyy/mm/dd", "d-mmm"; not "0.00", "\"day\" 0").
bool IsXlsxDateFormatCode(std::string_view code);

}  // namespace korvan
