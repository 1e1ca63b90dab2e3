#include "platform/workbook/xls_formats.h"

#include "platform/workbook/workbook_file.h"
#include "platform/workbook/xls_records.h"
#include "platform/workbook/xls_text.h"

namespace korvan::xls {

bool IsBuiltInDateFormat(std::uint16_t format_id) {
  return (format_id >= 14 && format_id <= 22) || (format_id >= 45 && format_id <= 47);
}

bool IsDateFormatString(std::u16string_view format) {
  for (std::size_t i = 0; i < format.size(); ++i) {
    const char16_t c = format[i];
    if (c == u'"') {
      const std::size_t close = format.find(u'"', i + 1);
      if (close == std::u16string_view::npos) return false;
      i = close;
    } else if (c == u'[') {
      const std::size_t close = format.find(u']', i + 1);
      if (close == std::u16string_view::npos) return false;
      i = close;
    } else if (c == u'\\' || c == u'_' || c == u'*') {
      ++i;  // the next character is shown as it is (or is padding / fill)
    } else if (c == u'd' || c == u'D' || c == u'm' || c == u'M' || c == u'y' || c == u'Y') {
      return true;
    }
  }
  return false;
}

void XlsFormats::AddFormat(std::string_view data) {
  if (data.size() < 2) return;
  try {
    custom_is_date_[Get16(data.data())] = IsDateFormatString(ReadUnicodeString(data, 2, 2));
  } catch (const WorkbookError&) {
    // A format whose text cannot be read shows numbers as numbers.
  }
}

void XlsFormats::AddXf(std::string_view data) {
  xf_formats_.push_back(data.size() >= 4 ? Get16(data.data() + 2) : 0);
}

bool XlsFormats::IsDateXf(std::uint16_t xf) const {
  if (xf >= xf_formats_.size()) return false;
  const std::uint16_t id = xf_formats_[xf];
  if (IsBuiltInDateFormat(id)) return true;
  const auto custom = custom_is_date_.find(id);
  return custom != custom_is_date_.end() && custom->second;
}

}  // namespace korvan::xls
