#include "query/messages.h"

#include <array>
#include <vector>

#include "platform/codepage.h"
#include "text/string_helpers.h"

namespace korvan {

namespace {

struct Template {
  const char* text;  // UTF-8 here; code page 936 once converted
  std::vector<std::string_view> placeholders;
};

// Written as UTF-8 for readability and converted to code page 936 once.
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

struct Texts {
  std::array<std::string, 12> templates;
  std::string open_bracket;   // " 【"
  std::string close_bracket;  // "】 "
  std::string all_succeeded;
  std::string failed_head;
  std::string failed_tail;
};

const Texts& Cp936Texts() {
  static const Texts texts = [] {
    Texts t;
    for (size_t i = 0; i < kTemplatesUtf8.size(); ++i) {
      t.templates[i] = Utf8ToCp936(kTemplatesUtf8[i].text);
    }
    t.open_bracket = Utf8ToCp936(" 【");
    t.close_bracket = Utf8ToCp936("】 ");
    t.all_succeeded = Utf8ToCp936("所有关键字均查询成功！");
    t.failed_head = Utf8ToCp936("总计 【");
    t.failed_tail = Utf8ToCp936("】 个关键字查询失败！");
    return t;
  }();
  return texts;
}

}  // namespace

std::string BuildMessage(int id, std::initializer_list<std::string_view> args) {
  if (id < msgFoundAt || id > msgInterrupted) return std::string();
  const auto& placeholders = kTemplatesUtf8[id - 1].placeholders;
  std::string line = Cp936Texts().templates[id - 1];
  size_t i = 0;
  for (std::string_view arg : args) {
    if (i == placeholders.size()) break;
    line = ReplaceAll(line, placeholders[i++], WrapArgument(arg));
  }
  return line;
}

std::string WrapArgument(std::string_view arg) {
  const Texts& texts = Cp936Texts();
  std::string wrapped = texts.open_bracket;
  wrapped.append(arg);
  wrapped += texts.close_bracket;
  return wrapped;
}

std::string SummaryAllSucceeded() { return Cp936Texts().all_succeeded; }

std::string SummaryFailed(int failed) {
  const Texts& texts = Cp936Texts();
  return texts.failed_head + std::to_string(failed) + texts.failed_tail;
}

}  // namespace korvan
