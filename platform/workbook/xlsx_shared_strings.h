// The shared string table of a workbook (xl/sharedStrings.xml): the UTF-8
// text of every <si> in order, rich-text runs joined, phonetic runs left
// out. The count attributes of the part are not trusted. Never throws.
#pragma once

#include <string>
#include <vector>

#include "platform/workbook/xlsx_xml.h"

namespace korvan {

std::vector<std::string> ReadXlsxSharedStrings(const XlsxXmlPart& shared_strings);

}  // namespace korvan
