#include "app/run_summary.h"

#include "platform/codepage.h"
#include "platform/console_output.h"
#include "query/messages.h"

namespace korvan {

namespace {

struct Texts {
  std::string all_succeeded = Utf8ToCp936("查询全部成功...");
  std::string failed_head = Utf8ToCp936("共有 【");
  std::string failed_tail = Utf8ToCp936("】 处关键字查询失败...");
  std::string elapsed_head = Utf8ToCp936("查询完成，共计耗时 【");
  std::string elapsed_tail = Utf8ToCp936("】 毫秒...");
  std::string stopped_head = Utf8ToCp936("本次查询中被停止的搜索引擎");
  std::string list_separator = Utf8ToCp936("、");
  std::string stopped_tail = Utf8ToCp936("，请过一段时间再选择失败重查...");
};

const Texts& T() {
  static const Texts texts;
  return texts;
}

}  // namespace

void PrintRunSummary(std::int32_t fail_count, const TFailTally& reasons,
                     const std::vector<std::string>& stopped_engines, std::uint32_t elapsed_ms,
                     const std::string& report_line) {
  const Texts& t = T();
  PrintLine("");
  PrintLine(fail_count == 0 ? t.all_succeeded
                            : t.failed_head + std::to_string(fail_count) + t.failed_tail);
  for (int r = frNone + 1; r < kFailReasonCount; ++r) {
    const auto reason = static_cast<TFailReason>(r);
    if (reasons.Count(reason) > 0) PrintLine(ReasonSummaryLine(reason, reasons.Count(reason)));
  }
  if (!stopped_engines.empty()) {
    std::string names;
    for (const std::string& engine : stopped_engines) {
      names += (names.empty() ? "" : t.list_separator) + engine;
    }
    PrintLine(t.stopped_head + WrapArgument(names) + t.stopped_tail);
  }
  PrintLine("");
  PrintLine(t.elapsed_head + std::to_string(elapsed_ms) + t.elapsed_tail);
  if (!report_line.empty()) PrintLine(report_line);
  PrintLine("");
}

}  // namespace korvan
