#include "platform/workbook/xlsx_shared_strings.h"

#include "platform/workbook/xlsx_text.h"

namespace korvan {

std::vector<std::string> ReadXlsxSharedStrings(const XlsxXmlPart& shared_strings) {
  std::vector<std::string> strings;
  for (pugi::xml_node item = shared_strings.Root().first_child(); item;
       item = item.next_sibling()) {
    if (XlsxIs(item, "si")) strings.push_back(XlsxStringItemText(item));
  }
  return strings;
}

}  // namespace korvan
