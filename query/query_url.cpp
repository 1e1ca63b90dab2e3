#include "query/query_url.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <optional>

#include "platform/codepage.h"
#include "text/cut_out.h"
#include "text/string_helpers.h"
#include "text/string_list2.h"

namespace korvan {

namespace {

const TByteSet& BlankAndControlBytes() {
  static const TByteSet set = [] {
    TByteSet s;
    for (int b = 0; b <= 32; ++b) s.set(b);
    s.set(127);
    return s;
  }();
  return set;
}

// The value of the page term for page `n`; nothing for an unknown mode or a
// value beyond the range of its arithmetic.
std::optional<std::int64_t> PageValue(std::int32_t mode, std::int32_t first, std::int32_t step,
                                      int n) {
  if (mode == 0) {
    std::int32_t offset = 0, value = 0;
    if (__builtin_mul_overflow(step, n - 1, &offset) ||
        __builtin_add_overflow(first, offset, &value)) {
      return std::nullopt;
    }
    return value;
  }
  if (mode == 1) {
    long double factor = std::nearbyint(std::pow(static_cast<long double>(step), n - 1));
    if (!(std::fabs(factor) < 9.2e18L)) return std::nullopt;
    std::int64_t value = 0;
    if (__builtin_mul_overflow(static_cast<std::int64_t>(first), static_cast<std::int64_t>(factor),
                               &value)) {
      return std::nullopt;
    }
    return value;
  }
  return std::nullopt;
}

}  // namespace

std::string BuildQueryUrl(const TTheardParam& engine, std::string_view keyword, int page_no) {
  if (engine.UrlTemplate.empty()) return std::string();
  std::string url = LowerAscii(DeleteChars(engine.UrlTemplate, BlankAndControlBytes()));
  url = ReplaceAll(url, "[keyword]", UrlEncode(Cp936ToUtf8(keyword)));

  TCutOutCondition between;
  between.CutKind = ckBetween;
  between.CutPos = 1;
  between.Condition = "[^]";
  std::string term;
  CutOutText(url, between, term);

  TStringList2 fields;
  fields.SetDelimiterStr(",");
  fields.SetDelimitedStr(term);
  if (fields.Count() != 3) return std::string();
  std::int32_t numbers[3];
  for (int i = 0; i < 3; ++i) {
    if (!IsIntStr(fields[i])) return std::string();
    numbers[i] = static_cast<std::int32_t>(std::strtol(fields[i].c_str(), nullptr, 10));
  }
  std::optional<std::int64_t> value = PageValue(numbers[0], numbers[1], numbers[2], page_no);
  if (!value) return std::string();
  return ReplaceAll(url, "[" + term + "]", std::to_string(*value));
}

std::string BuildQueryUrl(int engine_index, std::string_view keyword, int page_no) {
  if (engine_index < 0 || static_cast<size_t>(engine_index) >= Engines.size()) {
    return std::string();
  }
  return BuildQueryUrl(Engines[engine_index], keyword, page_no);
}

}  // namespace korvan
