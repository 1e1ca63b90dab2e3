// Parsing of one keyword line of the worker.
#include <cstdlib>

#include "query/query_thread.h"
#include "text/string_helpers.h"
#include "text/string_list2.h"

namespace korvan {

void TSeQryThread::ParseKeywordLine(const TTheardParam& engine, std::string_view line,
                                    std::string& keyword, std::uint16_t& limit,
                                    bool& stop_at_first) {
  TStringList2 items;
  items.SetDelimiterStr("-");
  items.SetDelimitedStr(line);
  if (items.Count() == 0) return;
  keyword = items[0];
  const auto default_limit = static_cast<std::uint16_t>(engine.MaxCount);
  if (items.Count() == 1) {
    stop_at_first = false;
    limit = default_limit;
    return;
  }
  if (IsIntStr(items[1])) stop_at_first = items[1] == "0";
  if (items.Count() >= 3 && IsIntStr(items[2])) {
    limit = static_cast<std::uint16_t>(std::strtol(items[2].c_str(), nullptr, 10));
  } else {
    limit = default_limit;
  }
}

}  // namespace korvan
