// Which cell formats (XF records) show a number as a date: the XF's number
// format is a built-in date or time format (ids 14-22, 45-47) or a custom
// format string with a day, month or year part ("d", "m", "y") outside quoted
// text, "[...]" sections and escaped characters.
// Not thread-safe while being filled; lookups are const.
#pragma once

#include <cstdint>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace korvan::xls {

bool IsDateFormatString(std::u16string_view format);
bool IsBuiltInDateFormat(std::uint16_t format_id);

class XlsFormats {
 public:
  // From a FORMAT record's data; a record too short to read is left out.
  void AddFormat(std::string_view data);
  // From an XF record's data, in record order.
  void AddXf(std::string_view data);

  bool IsDateXf(std::uint16_t xf) const;
  std::size_t XfCount() const { return xf_formats_.size(); }

 private:
  std::unordered_map<std::uint16_t, bool> custom_is_date_;
  std::vector<std::uint16_t> xf_formats_;
};

}  // namespace korvan::xls
