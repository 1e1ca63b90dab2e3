#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/codepage.h"
#include "query/messages.h"
#include "query/query_thread.h"
#include "query/thread_strings.h"
#include "tests/support/result_pages.h"

namespace korvan {
namespace {

using testing::HostsWith;

const char* kBaiduSpec =
    "<table[*]>,<div[*]>|</table>,</div>|<div id=\"content_left\">|<[*]id=\"1\"[*]>|1";
const char* kGoogleSpec = "<li class=\"g\"[*]>|</li>|<li class=\"g\"[*]>|..|0";
const char* kSo360Spec = "<li[*]>|</li>|[*]<div id=\"main\">[*]|<li id=\"first\"[*]>|0";
const char* kTaobaoSpec = "<div[*]>|</div>|[*]<!--结果内容区-->[*]|..|2";

std::vector<std::string> DrainQueue() {
  std::vector<std::string> lines;
  while (MessageQueue.Count() > 0) {
    std::string line;
    MessageQueue.Take(line);
    lines.push_back(line);
  }
  return lines;
}

class AnalyzePageTest : public ::testing::Test {
 protected:
  void SetUp() override { DrainQueue(); }
  TTheardParam Engine(const char* spec, int per_page = 10) {
    TTheardParam e;
    e.Name = "E";
    e.Host = "www.target.com";
    e.ExtractSpec = Utf8ToCp936(spec);
    e.PerPage = per_page;
    e.MaxCount = 10;
    return e;
  }
  TPageVerdict Analyze(const TTheardParam& e, const std::string& page_utf8, int page_no,
                       bool stop_at_first = false) {
    result_.clear();
    return TSeQryThread::AnalyzePage(e, Utf8ToCp936(page_utf8), "k", result_, stop_at_first,
                                     page_no);
  }
  std::string result_;
};

TEST_F(AnalyzePageTest, RanksCountBlocksOnEveryShape) {
  auto baidu = Engine(kBaiduSpec);
  EXPECT_EQ(Analyze(baidu, testing::BaiduShapedPage(HostsWith("www.target.com", {2, 7})), 1),
            pvHostFound);
  EXPECT_EQ(result_, "2,7,");
  EXPECT_EQ(DrainQueue(),
            (std::vector<std::string>{
                BuildMessage(msgFoundAt, {"E", "k", "1", "2", "www.target.com", "2"}),
                BuildMessage(msgFoundAt, {"E", "k", "1", "7", "www.target.com", "7"})}));

  auto google = Engine(kGoogleSpec);
  EXPECT_EQ(Analyze(google, testing::GoogleShapedPage(HostsWith("www.target.com", {3})), 3),
            pvHostFound);
  EXPECT_EQ(result_, "23,");
  EXPECT_EQ(DrainQueue(), std::vector<std::string>{BuildMessage(
                              msgFoundAt, {"E", "k", "3", "3", "www.target.com", "23"})});

  auto so360 = Engine(kSo360Spec);
  EXPECT_EQ(Analyze(so360, testing::So360ShapedPage(HostsWith("www.target.com", {1})), 1),
            pvHostFound);
  EXPECT_EQ(result_, "1,");

  auto taobao = Engine(kTaobaoSpec, 40);
  EXPECT_EQ(Analyze(taobao, testing::TaobaoShapedPage(HostsWith("www.target.com", {5}, 40)), 2),
            pvHostFound);
  EXPECT_EQ(result_, "45,");
  DrainQueue();
}

TEST_F(AnalyzePageTest, BlocksBeforeTheFirstGenuineResultRankAtZeroAndBelow) {
  auto baidu = Engine(kBaiduSpec);
  std::string page =
      testing::BaiduShapedPage(HostsWith("www.target.com", {1}), 1, {"www.target.com", "ad2"});
  EXPECT_EQ(Analyze(baidu, page, 1), pvHostFound);
  EXPECT_EQ(result_, "-1,1,");
  auto lines = DrainQueue();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], BuildMessage(msgFoundAt, {"E", "k", "1", "1", "www.target.com", "-1"}));
  EXPECT_EQ(lines[1], BuildMessage(msgFoundAt, {"E", "k", "1", "3", "www.target.com", "1"}));

  auto so360 = Engine(kSo360Spec);
  page = testing::So360ShapedPage(HostsWith("www.target.com", {}), true,
                                  {"ad1", "http://www.target.com/ad"});
  EXPECT_EQ(Analyze(so360, page, 1), pvHostFound);
  EXPECT_EQ(result_, "0,");
  // On a later page the first-result pattern is not used.
  page = testing::So360ShapedPage(HostsWith("www.target.com", {}), true,
                                  {"ad1", "http://www.target.com/ad"});
  EXPECT_EQ(Analyze(so360, page, 2), pvHostFound);
  EXPECT_EQ(result_, "12,");
  DrainQueue();
}

TEST_F(AnalyzePageTest, StopAtFirstHitTakesOnlyTheFirst) {
  auto google = Engine(kGoogleSpec);
  EXPECT_EQ(
      Analyze(google, testing::GoogleShapedPage(HostsWith("www.target.com", {4, 6})), 1, true),
      pvHostFound);
  EXPECT_EQ(result_, "4,");
  EXPECT_EQ(DrainQueue().size(), 1u);
}

TEST_F(AnalyzePageTest, HighlightClosesAreRemovedButOpeningTagsStay) {
  auto google = Engine(kGoogleSpec);
  google.Host = "target.com";
  EXPECT_EQ(Analyze(google, testing::GoogleShapedPage({"www.<b>target</b>.com"}), 1), pvHostFound);
  EXPECT_EQ(result_, "1,");
  google.Host = "www.target.com";
  EXPECT_EQ(Analyze(google, testing::GoogleShapedPage({"www.<em>target</em>.com"}), 1),
            pvHostNotFound);
  // A longer host name that ends with the target counts.
  EXPECT_EQ(Analyze(google, testing::GoogleShapedPage({"shop.www.target.com.cn"}), 1), pvHostFound);
  google.Host.clear();
  EXPECT_EQ(Analyze(google, testing::GoogleShapedPage({"shop.www.target.com.cn"}), 1),
            pvHostNotFound);
  DrainQueue();
}

TEST_F(AnalyzePageTest, PagesThatAreNotResultPagesAreTellingApart) {
  auto baidu = Engine(kBaiduSpec);
  // A page without the start piece (a check page) is no result page at all.
  EXPECT_EQ(Analyze(baidu, testing::BlockedPage(), 1), pvNoResultPage);
  // The start piece without any block: a query without results.
  EXPECT_EQ(Analyze(baidu, testing::BaiduShapedPage({}), 1), pvHostNotFound);
  auto so360 = Engine(kSo360Spec);
  EXPECT_EQ(Analyze(so360, testing::So360ShapedPage({}), 1), pvHostNotFound);
  EXPECT_EQ(Analyze(so360, testing::BlockedPage(), 1), pvNoResultPage);
  auto taobao = Engine(kTaobaoSpec);
  EXPECT_EQ(Analyze(taobao, testing::TaobaoShapedPage({}), 1), pvHostNotFound);

  // Unusable specs: four parts, a depth that is not a number, an empty start
  // pattern, opening and closing lists of different lengths.
  const std::string page = testing::GoogleShapedPage(HostsWith("www.target.com", {1}));
  for (const char* spec : {"<li[*]>|</li>|<li[*]>|0", "<li[*]>|</li>|<li[*]>|..|x",
                           "<li[*]>|</li>|..|..|0", "<li[*]>,<div[*]>|</li>|<li[*]>|..|0"}) {
    EXPECT_EQ(Analyze(Engine(spec), page, 1), pvNoResultPage) << spec;
  }
  // Patterns are not lower-cased while the page is.
  EXPECT_EQ(Analyze(Engine("<LI class=\"g\"[*]>|</LI>|<LI class=\"g\"[*]>|..|0"), page, 1),
            pvNoResultPage);
  EXPECT_EQ(result_, "");
  EXPECT_EQ(DrainQueue().size(), 0u);
}

TEST(ParseKeywordLineTest, KeywordModeAndLimit) {
  TTheardParam engine;
  engine.MaxCount = 50;
  struct Case {
    const char* line;
    std::string keyword;
    std::uint16_t limit;
    bool stop;
  } cases[] = {
      {"phone", "phone", 50, false},          {"phone-0-30", "phone", 30, true},
      {"phone - 1", "phone", 50, false},      {"phone-word-30", "phone", 30, false},
      {"phone-00-30", "phone", 30, false},    {"e-mail-0-20", "e", 0, false},
      {"phone-0-70000", "phone", 4464, true}, {"phone-0-x", "phone", 50, true},
      {"phone-1-20-9", "phone", 20, false},
  };
  for (const auto& c : cases) {
    std::string keyword;
    std::uint16_t limit = 0;
    bool stop = false;
    TSeQryThread::ParseKeywordLine(engine, c.line, keyword, limit, stop);
    EXPECT_EQ(keyword, c.keyword) << c.line;
    EXPECT_EQ(limit, c.limit) << c.line;
    EXPECT_EQ(stop, c.stop) << c.line;
  }
  std::string keyword = "x";
  std::uint16_t limit = 7;
  bool stop = true;
  TSeQryThread::ParseKeywordLine(engine, " - - ", keyword, limit, stop);
  EXPECT_EQ(keyword, "x");  // no item: the caller's values stay
  EXPECT_EQ(limit, 7);
  EXPECT_TRUE(stop);
}

}  // namespace
}  // namespace korvan
