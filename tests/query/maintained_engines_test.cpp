// The engines of the project's maintained parameter page (params/) on small
// pages shaped like each engine's: a result page gives the target's rank, a
// result page whose list is empty gives "?", and a page without the list (a
// verification, anti-spider, JavaScript or consent page) fails the query.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/version.h"
#include "engines/engine.h"
#include "engines/run_globals.h"
#include "engines/run_params.h"
#include "platform/codepage.h"
#include "platform/file_bytes.h"
#include "platform/private_profile.h"
#include "query/query_thread.h"
#include "query/thread_strings.h"
#include "text/string_helpers.h"
#include "text/string_list2.h"

namespace korvan {
namespace {

void LoadMaintainedPage() {
  const auto bytes = ReadFileBytes(KORVAN_MAINTAINED_PARAMS, 1u << 20);
  ASSERT_TRUE(bytes.has_value());
  EXPECT_EQ(bytes->find("\r\n"), bytes->find('\n') - 1);  // CR LF kept by the checkout
  Engines.clear();
  ParseRunParams(ProfileTextToCp936(*bytes));
}

TEST(MaintainedParamPageTest, ParsesIntoTheFiveEngines) {
  LoadMaintainedPage();
  EXPECT_EQ(LatestVersion, ProgramVersion);
  for (const std::string* text : {&ExitUrl, &MenuText0, &MenuText1, &NoticeText}) {
    EXPECT_FALSE(text->empty());
  }
  const std::vector<std::string> names = {"百度", "360So", "搜狗", "必应", "谷歌"};
  ASSERT_EQ(Engines.size(), names.size());
  for (std::size_t i = 0; i < names.size(); ++i) {
    const TTheardParam& e = Engines[i];
    EXPECT_EQ(e.Name, Utf8ToCp936(names[i]));
    EXPECT_TRUE(e.UrlTemplate.starts_with("https://")) << e.UrlTemplate;
    EXPECT_NE(e.UrlTemplate.find("=[keyword]&"), std::string::npos) << e.UrlTemplate;
    TStringList2 parts;
    parts.SetDelimiterStr("|");
    parts.SetDelimitedStr(e.ExtractSpec);
    EXPECT_EQ(parts.Count(), 5) << e.ExtractSpec;
    EXPECT_EQ(e.PerPage, 10);
    EXPECT_EQ(e.UseXmlHttp, names[i] == "谷歌" ? 1 : 0) << names[i];
  }
  Engines.clear();
}

struct EnginePages {
  const char* name;
  std::string results;  // the target host at rank 2
  std::string empty;    // the list is there, without results
  std::string blocked;  // no list at all
};

// Result i of a page: the target at rank 2, other hosts elsewhere.
std::string Host(int i) {
  return i == 2 ? "www.target.com" : "www.other" + std::to_string(i) + ".net";
}

std::string Repeat(int n, std::string (*item)(int)) {
  std::string out;
  for (int i = 1; i <= n; ++i) out += item(i);
  return out;
}

std::vector<EnginePages> Pages() {
  return {
      {"百度",
       "<div id=\"content_left\" tabindex=\"0\"><div class=\"result-op c-container\" id=\"3001\">"
       "www.ad.net</div>" +
           Repeat(
               3,
               [](int i) {
                 return "<div class=\"result c-container new-pmd\" id=\"" + std::to_string(i) +
                        "\"><h3><a href=\"http://www.baidu.com/link?url=x\">t</a></h3><div><span "
                        "class=\"c-showurl\">" +
                        Host(i) + "/</span></div></div>";
               }) +
           "</div>",
       "<div id=\"content_left\" tabindex=\"0\"></div>",
       "<title>百度安全验证</title><div class=\"timeout\"><p>网络不给力，请稍后重试</p></div>"},
      {"360So",
       "<div id=\"main\"><ul class=\"result\"><li class=\"res-list\"><style>#mohe-news{}</style>"
       "<div id=\"mohe-news\"><ul><li>www.target.com</li></ul></div></li>" +
           Repeat(3,
                  [](int i) {
                    return "<li class=\"res-list\"><h3 class=\"res-title\"><a "
                           "href=\"https://www.so.com/"
                           "link?m=x\">t</a></h3><p><cite>" +
                           Host(i + 1) + "</cite></p><ul><li>sub</li></ul></li>";
                  }) +
           "</ul></div>",
       "<div id=\"main\"><ul class=\"result\"></ul></div>",
       "<div id=\"main\"><p>请输入验证码以继续使用360搜索</p><form id=\"verify\"></form></div>"},
      {"搜狗",
       "<div class=\"results\">" +
           Repeat(3,
                  [](int i) {
                    return std::string(i % 2 ? "<div class=\"vrwrap\">" : "<div class=\"rb\">") +
                           "<h3><a href=\"/link?url=x\">t</a></h3><div class=\"citeurl\"><span>" +
                           Host(i) + "</span></div>" +
                           // A card's list of other sites' answers and the hidden
                           // box of searches to suggest are not the result's own.
                           (i == 1 ? "<ul class=\"str-ul-list\"><li><a href=\"http://"
                                     "www.target.com/q\">a</a></li></ul><div style=\"display:"
                                     "none\" class=\"r-sech ext_query\"><a href=\"http://"
                                     "www.target.com/web\">s</a></div>"
                                   : "") +
                           "</div>";
                  }) +
           "</div>",
       "<div class=\"results\"></div>",
       "<div class=\"content-box\"><p>用户您好，我们的系统检测到您网络中存在异常访问请求。</p>"
       "<form name=\"authform\" id=\"seccodeForm\"></form></div>"},
      {"必应",
       "<ol id=\"b_results\" class=\"\"><li class=\"b_ans b_top\">www.target.com</li>" +
           Repeat(3,
                  [](int i) {
                    return "<li class=\"b_algo\" data-id=\"\"><h2><a href=\"https://" + Host(i) +
                           "/\">t</a></h2><div class=\"b_caption\"><ul><li>deep link</li></ul>"
                           "<cite>https://" +
                           Host(i) + "</cite></div></li>";
                  }) +
           "<li class=\"b_pag\"></li></ol>",
       "<ol id=\"b_results\"><li class=\"b_no\"><h1>There are no results</h1></li></ol>",
       "<div id=\"b_content\"><div class=\"captcha\">Verify you are human</div></div>"},
      {"谷歌",
       "<div id=\"main\"><div><div class=\"KP7LCb\">All</div><div class=\"Pg70bf ZINbbc xpd "
       "O9g5cc\" style=\"display:none\" id=\"st-card\"><div>www.target.com</div></div></div>" +
           Repeat(3,
                  [](int i) {
                    return "<div><div class=\"ZINbbc xpd O9g5cc uUPGi\"><div class=\"kCrYT\"><a "
                           "href=\"/url?q=https://" +
                           Host(i) +
                           "/\"><h3><div>t</div></h3></a></div><div>snippet</div></div></div>";
                  }) +
           "</div>",
       "<div id=\"main\"><div><div class=\"KP7LCb\">All</div></div><div><p>Your search did not "
       "match any documents.</p></div></div>",
       "<noscript><meta content=\"0;url=/httpservice/retry/enablejs\" http-equiv=\"refresh\">"
       "</noscript><div>Click <a href=\"/search?q=k\">here</a> if you are not redirected.</div>"},
  };
}

TEST(MaintainedEnginesTest, ResultPageRankEmptyListQuestionMarkOtherPageFails) {
  LoadMaintainedPage();
  for (const EnginePages& pages : Pages()) {
    SCOPED_TRACE(pages.name);
    TTheardParam* engine = nullptr;
    for (auto& e : Engines) {
      if (e.Name == Utf8ToCp936(pages.name)) engine = &e;
    }
    ASSERT_NE(engine, nullptr);
    engine->Host = "www.target.com";
    auto analyze = [&](const std::string& page, std::string& result) {
      return TSeQryThread::AnalyzePage(*engine, LowerAscii(Utf8ToCp936(page)), "k", result, true,
                                       1);
    };
    std::string result;
    EXPECT_EQ(analyze(pages.results, result), pvHostFound);
    EXPECT_EQ(result, "2,");
    result.clear();
    EXPECT_EQ(analyze(pages.empty, result), pvHostNotFound);
    EXPECT_EQ(analyze(pages.blocked, result), pvNoResultPage);
    EXPECT_EQ(result, "");
    std::string line;
    while (MessageQueue.Count() > 0) MessageQueue.Take(line);
  }
  Engines.clear();
}

}  // namespace
}  // namespace korvan
