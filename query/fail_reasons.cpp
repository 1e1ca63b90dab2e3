#include "query/fail_reasons.h"

#include "platform/codepage.h"
#include "query/messages.h"
#include "text/string_helpers.h"

namespace korvan {

TFailTally RunFailures;

namespace {

struct ReasonText {
  const char* line;     // after message 6; "[detail]" is the wrapped detail
  const char* summary;  // after "其中 【count】 处："
};

// Indexed by TFailReason.
const std::array<ReasonText, kFailReasonCount> kReasonTextsUtf8 = {{
    {"", ""},
    {"原因：无法解析地址[detail]，请检查网络连接和DNS设置...",
     "无法解析地址，请检查网络连接和DNS设置..."},
    {"原因：无法连接到[detail]，请检查网络连接...", "无法连接服务器，请检查网络连接..."},
    {"原因：超过预设时间[detail]毫秒仍未连上服务器...",
     "连接超时，请检查网络连接，或加大访问时限..."},
    {"原因：超过[detail]毫秒没有收到任何数据...", "接收数据超时，请检查网络连接..."},
    {"原因：超过[detail]毫秒仍未收完页面...", "整个请求超时，请检查网络连接..."},
    {"原因：页面超过[detail]MiB的大小上限...", "页面超过大小上限..."},
    {"原因：传输出错[detail]...", "传输出错，请检查网络连接..."},
    {"原因：HTTP状态[detail]，搜索引擎拒绝本机访问...",
     "搜索引擎拒绝访问（HTTP 403），请过一段时间再查询..."},
    {"原因：HTTP状态[detail]，搜索引擎限制本机的访问频率...",
     "搜索引擎限制访问频率（HTTP 429），请过一段时间再查询，或加大暂停时间..."},
    {"原因：HTTP状态[detail]...", "搜索引擎返回了出错的HTTP状态..."},
    {"原因：搜索引擎返回了空白页面...", "搜索引擎返回了空白页面..."},
    {"原因：搜索引擎转到了验证页面[detail]，要求证明访问者不是机器人...",
     "搜索引擎要求验证，请过一段时间再查询，或加大暂停时间..."},
    {"原因：页面中没有结果列表，可能是验证页面，也可能是搜索引擎改了页面，需要更新搜索引擎定义...",
     "页面中没有结果列表，可能需要更新搜索引擎定义..."},
    {"", "未能得到URL，请检查搜索引擎定义..."},
    {"", "无法发出请求，请检查搜索引擎定义中的地址..."},
    {"", "搜索引擎已被停止，没有查询，请过一段时间再选择失败重查..."},
    {"", "按Esc键中断，没有查询..."},
    {"", "搜索引擎名称无法写入工作簿..."},
}};

}  // namespace

bool IsRefusal(TFailReason reason) {
  return reason == frVerification || reason == frRefused || reason == frRateLimited;
}

std::string ReasonLine(TFailReason reason, std::string_view detail) {
  return ReplaceAll(Cp936Text(kReasonTextsUtf8[reason].line), "[detail]", WrapArgument(detail));
}

std::string ReasonSummaryLine(TFailReason reason, int count) {
  return Cp936Text("其中") + WrapArgument(std::to_string(count)) + Cp936Text("处：") +
         Cp936Text(kReasonTextsUtf8[reason].summary);
}

std::string ReasonSummaryUtf8(TFailReason reason) { return kReasonTextsUtf8[reason].summary; }

std::string EngineStoppedLine(std::string_view engine, int count) {
  return Cp936Text("搜索引擎") + WrapArgument(engine) + Cp936Text("连续") +
         WrapArgument(std::to_string(count)) +
         Cp936Text("次拒绝访问或要求验证，本次查询不再使用它...");
}

}  // namespace korvan
