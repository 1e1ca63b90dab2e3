#include "app/run_summary.h"

#include "platform/codepage.h"
#include "platform/console_output.h"
#include "query/messages.h"

namespace korvan {

void PrintRunSummary(std::int32_t fail_count, const TFailTally& reasons,
                     const std::vector<std::string>& stopped_engines, std::uint32_t elapsed_ms,
                     const std::string& report_line) {
  PrintLine("");
  PrintLine(fail_count == 0 ? Cp936Text("查询全部成功...")
                            : Cp936Text("共有 【") + std::to_string(fail_count) +
                                  Cp936Text("】 处关键字查询失败..."));
  for (int r = frNone + 1; r < kFailReasonCount; ++r) {
    const auto reason = static_cast<TFailReason>(r);
    if (reasons.Count(reason) > 0) PrintLine(ReasonSummaryLine(reason, reasons.Count(reason)));
  }
  if (!stopped_engines.empty()) {
    std::string names;
    for (const std::string& engine : stopped_engines) {
      names += (names.empty() ? "" : Cp936Text("、")) + engine;
    }
    PrintLine(Cp936Text("本次查询中被停止的搜索引擎") + WrapArgument(names) +
              Cp936Text("，请过一段时间再选择失败重查..."));
  }
  PrintLine("");
  PrintLine(Cp936Text("查询完成，共计耗时 【") + std::to_string(elapsed_ms) +
            Cp936Text("】 毫秒..."));
  if (!report_line.empty()) PrintLine(report_line);
  PrintLine("");
}

}  // namespace korvan
