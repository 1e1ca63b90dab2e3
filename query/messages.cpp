#include "query/messages.h"

#include <array>
#include <vector>

#include "platform/codepage.h"
#include "text/string_helpers.h"

namespace korvan {

namespace {

struct Template {
  const char* text;  // UTF-8; Cp936Text converts it
  std::vector<std::string_view> placeholders;
};

const std::array<Template, 12> kTemplatesUtf8 = {{
    {"在[name]搜索关键词[keyword]结果的第[pageno]页中的第[index]位找到[host]，总排位为[rank]...",
     {"[name]", "[keyword]", "[pageno]", "[index]", "[host]", "[rank]"}},
    {"正在获取[name]搜索关键字[keyword]的第[pageno]页的URL...",
     {"[name]", "[keyword]", "[pageno]"}},
    {"未能得到[name]搜索关键字[keyword]的第[pageno]页的URL，关键字[keyword]的查询终止...",
     {"[name]", "[keyword]", "[pageno]"}},
    {"正在获取[name]搜索关键字[keyword]的第[pageno]页的内容...",
     {"[name]", "[keyword]", "[pageno]"}},
    {"在[name]搜索关键词[keyword]结果的第[pageno]页中未能找到[host]...",
     {"[name]", "[keyword]", "[pageno]", "[host]"}},
    {"获取[name]搜索关键字[keyword]的第[pageno]页的内容失败，关键字[keyword]的查询终止...",
     {"[name]", "[keyword]", "[pageno]"}},
    {"获取[name]搜索关键字[keyword]的第[pageno]页的内容时，超过预设时间[timeout]毫秒...",
     {"[name]", "[keyword]", "[pageno]", "[timeout]"}},
    {"暂停[name]搜索[pausetime]毫秒...", {"[name]", "[pausetime]"}},
    {"[name]搜索[host]上的全部关键字查询完毕，", {"[name]", "[host]"}},
    {"在[name]搜索关键词[keyword]结果的第[pageno]页中已经找到[host]，关键字[keyword]的查询终止...",
     {"[name]", "[keyword]", "[pageno]", "[host]"}},
    {"在[name]搜索关键词[keyword]总计[maxcount]条的结果中未能找到[host]...",
     {"[name]", "[keyword]", "[maxcount]", "[host]"}},
    {"[name]搜索[host]上的关键字查询中断，", {"[name]", "[host]"}},
}};

}  // namespace

std::string BuildMessage(int id, std::initializer_list<std::string_view> args) {
  if (id < msgFoundAt || id > msgInterrupted) return std::string();
  const auto& placeholders = kTemplatesUtf8[id - 1].placeholders;
  std::string line = Cp936Text(kTemplatesUtf8[id - 1].text);
  size_t i = 0;
  for (std::string_view arg : args) {
    if (i == placeholders.size()) break;
    line = ReplaceAll(line, placeholders[i++], WrapArgument(arg));
  }
  return line;
}

std::string WrapArgument(std::string_view arg) {
  std::string wrapped = Cp936Text(" 【");
  wrapped.append(arg);
  wrapped += Cp936Text("】 ");
  return wrapped;
}

std::string SummaryAllSucceeded() { return Cp936Text("所有关键字均查询成功！"); }

std::string SummaryFailed(int failed) {
  return Cp936Text("总计 【") + std::to_string(failed) + Cp936Text("】 个关键字查询失败！");
}

}  // namespace korvan
