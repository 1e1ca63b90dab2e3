#include "query/query_thread.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/codepage.h"
#include "platform/console_input_script.h"
#include "platform/http_client.h"
#include "query/engine_blocks.h"
#include "query/esc_key_thread.h"
#include "query/fail_reasons.h"
#include "query/messages.h"
#include "query/thread_strings.h"
#include "tests/support/http_test_server.h"
#include "tests/support/loopback_server.h"
#include "tests/support/result_pages.h"

namespace korvan {
namespace {

using std::chrono::milliseconds;
using testing::HostsWith;
using testing::LoopbackServer;
using testing::Reply;
using Lines = std::vector<std::string>;

const char* kHost = "www.target.com";

std::string Gbk(const std::string& utf8) { return Utf8ToCp936(utf8); }

Lines DrainQueue() {
  Lines lines;
  while (MessageQueue.Count() > 0) {
    std::string line;
    MessageQueue.Take(line);
    lines.push_back(line);
  }
  return lines;
}

std::vector<std::string> ResultsOf(const TTheardParam& engine) {
  std::vector<std::string> results;
  for (int i = 0; i < engine.Results->Count(); ++i) results.push_back((*engine.Results)[i]);
  return results;
}

// Pages by request target; anything not listed is a 404. A hook, when set,
// runs before every answer.
class PageServer {
 public:
  using Hook = std::function<void(const std::string& target)>;
  PageServer()
      : server_([this](const std::string& target) {
          Hook hook;
          Reply reply{404, "not here"};
          {
            std::lock_guard<std::mutex> lock(mutex_);
            hook = hook_;
            auto it = pages_.find(target);
            if (it != pages_.end()) reply = it->second;
          }
          if (hook) hook(target);
          return reply;
        }) {}
  void Page(const std::string& target, std::string body) { Set(target, Reply{200, body}); }
  void Fail(const std::string& target, int status) { Set(target, Reply{status, "error"}); }
  void Answer(const std::string& target, Reply reply) { Set(target, std::move(reply)); }
  void Redirect(const std::string& target, const std::string& to) {
    Set(target, Reply{302, "", "text/html", {"Location: " + to}});
  }
  std::string RequestHeader(std::size_t index, const std::string& name) {
    return server_.RequestHeader(index, name);
  }
  void OnRequest(Hook hook) {
    std::lock_guard<std::mutex> lock(mutex_);
    hook_ = std::move(hook);
  }
  std::string BaseUrl() const { return server_.BaseUrl(); }
  std::vector<std::string> Requests() { return server_.Requests(); }

 private:
  void Set(const std::string& target, Reply reply) {
    std::lock_guard<std::mutex> lock(mutex_);
    pages_[target] = std::move(reply);
  }
  std::mutex mutex_;
  std::map<std::string, Reply> pages_;
  Hook hook_;
  LoopbackServer server_;  // last: stopped before the pages go
};

class QueryThreadTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    testing::ClearProxyEnvironment();
    HttpGlobalInit();
  }
  void SetUp() override {
    DrainQueue();
    TSeQryThread::BeginRun();
    StopFlag.store(false);
    Engines.clear();
    Engines.reserve(8);  // references to elements stay valid while a test adds engines
  }
  void TearDown() override {
    WaitForWorkers();
    Engines.clear();
  }

  // Adds an engine shaped like a built-in one whose host is the test server.
  TTheardParam& AddEngine(const std::string& name, const std::string& path_template,
                          const std::string& spec, int per_page,
                          std::vector<std::string> keywords) {
    TTheardParam& e = Engines.emplace_back();
    e.Name = Gbk(name);
    e.Host = kHost;
    e.UrlTemplate = server_.BaseUrl() + path_template;
    e.ExtractSpec = Gbk(spec);
    e.PerPage = per_page;
    e.MaxCount = 10;
    e.Timeout = 2000;
    e.PauseTime = 0;
    e.UseXmlHttp = 0;
    e.Done.store(true);
    e.Keywords = std::make_unique<TStringList>();
    e.Results = std::make_unique<TStringList>();
    for (auto& k : keywords) e.Keywords->Add(Gbk(k));
    return e;
  }
  TTheardParam& Baidu(std::vector<std::string> keywords) {
    return AddEngine(
        "百度", "/s?wd=[keyword]&pn=[0,0,10]&rn=10",
        "<table[*]>,<div[*]>|</table>,</div>|<div id=\"content_left\">|<[*]id=\"1\"[*]>|1", 10,
        std::move(keywords));
  }
  TTheardParam& Google(std::vector<std::string> keywords) {
    return AddEngine("谷歌", "/search?q=[keyword]&start=[0,0,10]",
                     "<li class=\"g\"[*]>|</li>|<li class=\"g\"[*]>|..|0", 10, std::move(keywords));
  }
  TTheardParam& So360(std::vector<std::string> keywords) {
    return AddEngine("360So", "/s?q=[keyword]&pn=[0,1,1]",
                     "<li[*]>|</li>|[*]<div id=\"main\">[*]|<li id=\"first\"[*]>|0", 10,
                     std::move(keywords));
  }
  TTheardParam& Taobao(std::vector<std::string> keywords) {
    return AddEngine("淘宝", "/search?q=[keyword]&s=[0,0,40]",
                     "<div[*]>|</div>|[*]<!--结果内容区-->[*]|..|2", 40, std::move(keywords));
  }

  // Starts a worker for every engine and waits until all are done.
  void RunAll() {
    for (size_t i = 0; i < Engines.size(); ++i) TSeQryThread::Create(static_cast<int>(i));
    WaitForWorkers();
  }
  void WaitForWorkers() {
    for (int n = 0; n < 2000; ++n) {
      bool all = true;
      for (auto& e : Engines) all = all && e.Done.load(std::memory_order_acquire);
      if (all) return;
      std::this_thread::sleep_for(milliseconds(5));
    }
    FAIL() << "workers did not finish";
  }

  // The message of `id` for engine `e` with the given trailing arguments.
  static std::string Msg(const TTheardParam& e, int id, std::vector<std::string> rest) {
    std::vector<std::string> a = {e.Name};
    a.insert(a.end(), rest.begin(), rest.end());
    switch (a.size()) {
      case 2:
        return BuildMessage(id, {a[0], a[1]});
      case 3:
        return BuildMessage(id, {a[0], a[1], a[2]});
      case 4:
        return BuildMessage(id, {a[0], a[1], a[2], a[3]});
      default:
        return BuildMessage(id, {a[0], a[1], a[2], a[3], a[4], a[5]});
    }
  }

  PageServer server_;
};

TEST_F(QueryThreadTest, WorkedExampleMessagesInOrder) {
  const std::string kw = "%E6%89%8B%E6%9C%BA";  // 手机
  server_.Page("/s?wd=" + kw + "&pn=0&rn=10", testing::BaiduShapedPage(HostsWith(kHost, {})));
  server_.Page("/s?wd=" + kw + "&pn=10&rn=10", testing::BaiduShapedPage(HostsWith(kHost, {3}), 11));
  server_.Page("/s?wd=tv&pn=0&rn=10", testing::BaiduShapedPage(HostsWith(kHost, {})));
  TTheardParam& e = Baidu({"手机-0-20", "tv"});
  e.PauseTime = 30;
  RunAll();

  const std::string k = Gbk("手机");
  const std::string host = kHost;
  Lines expected = {
      Msg(e, msgGettingUrl, {k, "1"}),
      Msg(e, msgGettingPage, {k, "1"}),
      Msg(e, msgNotOnPage, {k, "1", host}),
      Msg(e, msgPause, {"30"}),
      Msg(e, msgGettingUrl, {k, "2"}),
      Msg(e, msgGettingPage, {k, "2"}),
      Msg(e, msgFoundAt, {k, "2", "3", host, "13"}),
      Msg(e, msgFoundStop, {k, "2", host}),
      Msg(e, msgPause, {"30"}),
      Msg(e, msgGettingUrl, {"tv", "1"}),
      Msg(e, msgGettingPage, {"tv", "1"}),
      Msg(e, msgNotOnPage, {"tv", "1", host}),
      Msg(e, msgNotFound, {"tv", "10", host}),
      Gbk(" 【百度】 搜索 【www.target.com】 上的全部关键字查询完毕，所有关键字均查询成功！"),
  };
  EXPECT_EQ(DrainQueue(), expected);
  EXPECT_EQ(ResultsOf(e), (std::vector<std::string>{"13", "?"}));
  EXPECT_EQ(server_.Requests(),
            (std::vector<std::string>{"/s?wd=" + kw + "&pn=0&rn=10", "/s?wd=" + kw + "&pn=10&rn=10",
                                      "/s?wd=tv&pn=0&rn=10"}));
}

TEST_F(QueryThreadTest, CollectsRanksOnEveryPageUpToTheLimit) {
  server_.Page("/search?q=k&start=0", testing::GoogleShapedPage(HostsWith(kHost, {2, 9})));
  server_.Page("/search?q=k&start=10", testing::GoogleShapedPage(HostsWith(kHost, {})));
  server_.Page("/search?q=k&start=20", testing::GoogleShapedPage(HostsWith(kHost, {5})));
  server_.Page("/search?q=none&start=0", testing::GoogleShapedPage(HostsWith(kHost, {})));
  server_.Page("/search?q=none&start=10", testing::GoogleShapedPage(HostsWith(kHost, {})));
  TTheardParam& e = Google({"k-1-30", "none-1-15", "zero-0-0"});
  RunAll();

  Lines lines = DrainQueue();
  EXPECT_EQ(ResultsOf(e), (std::vector<std::string>{"2,9,25", "?", "?"}));
  // Limit 15 is looked through as two pages and shown as 20; limit 0 makes
  // no request and shows 0.
  EXPECT_NE(std::find(lines.begin(), lines.end(), Msg(e, msgNotFound, {"none", "20", kHost})),
            lines.end());
  EXPECT_NE(std::find(lines.begin(), lines.end(), Msg(e, msgNotFound, {"zero", "0", kHost})),
            lines.end());
  EXPECT_EQ(std::count(lines.begin(), lines.end(), Msg(e, msgGettingUrl, {"zero", "1"})), 0);
  EXPECT_EQ(server_.Requests().size(), 5u);
  EXPECT_EQ(lines.back(), Gbk(" 【谷歌】 搜索 【www.target.com】 "
                              "上的全部关键字查询完毕，所有关键字均查询成功！"));
}

TEST_F(QueryThreadTest, StopsAtTheFirstHitOnEachShape) {
  server_.Page("/s?q=k&pn=1", testing::So360ShapedPage(HostsWith(kHost, {4, 6})));
  server_.Page("/search?q=k&s=0", testing::TaobaoShapedPage(HostsWith(kHost, {7, 8}, 40)));
  TTheardParam& so = So360({"k-0-30"});
  TTheardParam& tb = Taobao({"k-0-120"});
  RunAll();
  EXPECT_EQ(ResultsOf(so), std::vector<std::string>{"4"});
  EXPECT_EQ(ResultsOf(tb), std::vector<std::string>{"7"});
  EXPECT_EQ(server_.Requests().size(), 2u);  // one page each
  Lines lines = DrainQueue();
  EXPECT_NE(std::find(lines.begin(), lines.end(), Msg(tb, msgFoundStop, {"k", "1", kHost})),
            lines.end());
}

TEST_F(QueryThreadTest, FetchFailureKeepsEarlierRanksAndCountsAsFailedOnlyWhenEmpty) {
  server_.Page("/s?wd=a&pn=0&rn=10", testing::BaiduShapedPage(HostsWith(kHost, {4})));
  server_.Fail("/s?wd=a&pn=10&rn=10", 500);
  server_.Fail("/s?wd=b&pn=0&rn=10", 404);
  server_.Page("/s?wd=c&pn=0&rn=10", testing::BaiduShapedPage(HostsWith(kHost, {1})));
  TTheardParam& e = Baidu({"a-1-30", "b", "c"});
  RunAll();
  EXPECT_EQ(ResultsOf(e), (std::vector<std::string>{"4", "", "1"}));
  Lines lines = DrainQueue();
  EXPECT_NE(std::find(lines.begin(), lines.end(), Msg(e, msgFetchFailed, {"a", "2"})), lines.end());
  EXPECT_NE(std::find(lines.begin(), lines.end(), Msg(e, msgFetchFailed, {"b", "1"})), lines.end());
  // Page 3 of "a" is not asked for after the failure on page 2.
  EXPECT_EQ(server_.Requests().size(), 4u);
  EXPECT_EQ(lines.back(), Gbk(" 【百度】 搜索 【www.target.com】 "
                              "上的全部关键字查询完毕，总计 【1】 个关键字查询失败！"));
}

TEST_F(QueryThreadTest, APageThatIsNoResultPageFailsTheKeyword) {
  server_.Page("/s?wd=a&pn=0&rn=10", testing::BlockedPage());
  server_.Page("/s?wd=b&pn=0&rn=10", testing::BaiduShapedPage({}));  // no results at all
  TTheardParam& e = Baidu({"a", "b"});
  RunAll();
  EXPECT_EQ(ResultsOf(e), (std::vector<std::string>{"", "?"}));
  Lines lines = DrainQueue();
  EXPECT_NE(std::find(lines.begin(), lines.end(), Msg(e, msgFetchFailed, {"a", "1"})), lines.end());
  EXPECT_NE(std::find(lines.begin(), lines.end(), Msg(e, msgNotOnPage, {"b", "1", kHost})),
            lines.end());

  // An unusable extraction spec fails every keyword instead of writing "?".
  Engines.clear();
  server_.Page("/search?q=a&start=0", testing::GoogleShapedPage(HostsWith(kHost, {1})));
  TTheardParam& g = Google({"a"});
  g.ExtractSpec = "<li class=\"g\"[*]>|</li>|<li class=\"g\"[*]>|0";
  RunAll();
  EXPECT_EQ(ResultsOf(g), std::vector<std::string>{""});
  EXPECT_EQ(DrainQueue().back(), Gbk(" 【谷歌】 搜索 【www.target.com】 "
                                     "上的全部关键字查询完毕，总计 【1】 个关键字查询失败！"));
}

TEST_F(QueryThreadTest, NoUrlEndsTheWorkerAndFailsEveryKeyword) {
  TTheardParam& e = Baidu({"a", "b", "c"});
  e.UrlTemplate = server_.BaseUrl() + "/s?wd=[keyword]";
  RunAll();
  Lines expected = {Msg(e, msgGettingUrl, {"a", "1"}), Msg(e, msgNoUrl, {"a", "1"}),
                    Gbk(" 【百度】 搜索 【www.target.com】 "
                        "上的全部关键字查询完毕，总计 【3】 个关键字查询失败！")};
  EXPECT_EQ(DrainQueue(), expected);
  EXPECT_EQ(ResultsOf(e), (std::vector<std::string>{"", "", ""}));
  EXPECT_TRUE(server_.Requests().empty());
}

TEST_F(QueryThreadTest, EnginesWithoutPagesOrKeywordsMakeNoRequest) {
  TTheardParam& bad = Google({"", "a", "b"});
  bad.PerPage = 0;
  So360({});
  RunAll();
  Lines lines = DrainQueue();
  Lines bad_lines, none_lines;
  for (auto& l : lines) {
    (l.find(bad.Name) != std::string::npos ? bad_lines : none_lines).push_back(l);
  }
  EXPECT_EQ(bad_lines, (Lines{Msg(bad, msgNoUrl, {"a", "1"}),
                              Gbk(" 【谷歌】 搜索 【www.target.com】 "
                                  "上的全部关键字查询完毕，总计 【3】 个关键字查询失败！")}));
  EXPECT_EQ(none_lines, Lines{Gbk(" 【360So】 搜索 【www.target.com】 "
                                  "上的全部关键字查询完毕，所有关键字均查询成功！")});
  EXPECT_TRUE(server_.Requests().empty());
}

// Esc arrives while engine A fetches the second page of its second keyword;
// both workers stop at their next boundary.
TEST_F(QueryThreadTest, EscStopsEveryWorkerOfTheSheet) {
  ScriptedKeyInput keys;
  ConsoleInput.store(&keys);
  for (const char* k : {"a", "b", "c"}) {
    for (int pn : {0, 10}) {
      server_.Page(std::string("/s?wd=") + k + "&pn=" + std::to_string(pn) + "&rn=10",
                   testing::BaiduShapedPage(HostsWith(kHost, {pn == 10 ? 2 : 0}), pn + 1));
    }
  }
  for (int i = 0; i < 40; ++i) {
    server_.Page("/search?q=g" + std::to_string(i) + "&start=0",
                 testing::GoogleShapedPage(HostsWith(kHost, {1})));
  }
  server_.OnRequest([&](const std::string& target) {
    if (target != "/s?wd=b&pn=10&rn=10") return;
    keys.Push('X');
    keys.Push(kKeyEscape);
    for (int i = 0; i < 400 && !StopFlag.load(); ++i) std::this_thread::sleep_for(milliseconds(5));
  });
  TTheardParam& a = Baidu({"a-1-20", "b-1-20", "c-1-20"});
  a.PauseTime = 10;
  std::vector<std::string> google_keywords;
  for (int i = 0; i < 40; ++i) google_keywords.push_back("g" + std::to_string(i));
  TTheardParam& g = Google(google_keywords);
  g.PauseTime = 20;

  for (size_t i = 0; i < Engines.size(); ++i) TSeQryThread::Create(static_cast<int>(i));
  TEscKeyThread::Create();
  WaitForWorkers();
  TEscKeyThread::WaitUntilNoneRunning();
  ConsoleInput.store(nullptr);
  EXPECT_TRUE(StopFlag.load());

  // "b" was being fetched: its page is still analysed; "c" is never asked.
  EXPECT_EQ(ResultsOf(a), (std::vector<std::string>{"12", "12", ""}));
  std::vector<std::string> requests = server_.Requests();
  EXPECT_EQ(std::count(requests.begin(), requests.end(), "/s?wd=c&pn=0&rn=10"), 0);
  std::vector<std::string> google_results = ResultsOf(g);
  int unanswered = static_cast<int>(std::count(google_results.begin(), google_results.end(), ""));
  EXPECT_GT(unanswered, 0);

  Lines lines = DrainQueue();
  EXPECT_NE(std::find(lines.begin(), lines.end(), Msg(a, msgFoundAt, {"b", "2", "2", kHost, "12"})),
            lines.end());
  const std::string stopped = Gbk("上的关键字查询中断，");
  Lines summaries;
  for (auto& l : lines) {
    if (l.find(stopped) != std::string::npos) summaries.push_back(l);
  }
  Lines expected = {Msg(a, msgInterrupted, {kHost}) + SummaryFailed(1),
                    Msg(g, msgInterrupted, {kHost}) + SummaryFailed(unanswered)};
  std::sort(summaries.begin(), summaries.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(summaries, expected);
}

TEST_F(QueryThreadTest, EachEngineSendsBackItsOwnCookiesWithABrowsersHeaders) {
  server_.Answer("/s?wd=a&pn=0&rn=10",
                 Reply{200,
                       testing::BaiduShapedPage(HostsWith(kHost, {})),
                       "text/html",
                       {"Set-Cookie: sid=A1; Path=/", "Set-Cookie: h=2; Path=/; HttpOnly",
                        "Set-Cookie: elsewhere=3; Path=/other", "Set-Cookie: gone=4; Max-Age=0"}});
  server_.Page("/s?wd=b&pn=0&rn=10", testing::BaiduShapedPage(HostsWith(kHost, {})));
  server_.Page("/search?q=a&start=0", testing::GoogleShapedPage(HostsWith(kHost, {})));
  TTheardParam& baidu = Baidu({"a", "b"});
  RunAll();
  // The next run: the same engine record again (its cookies last for the
  // program execution), and another engine on the same host.
  TSeQryThread::BeginRun();
  baidu.Keywords->Clear();
  baidu.Keywords->Add("b");
  Google({"a"});
  RunAll();

  const std::vector<std::string> requests = server_.Requests();
  ASSERT_EQ(requests.size(), 4u);
  auto cookie_of = [&](std::size_t i) { return server_.RequestHeader(i, "Cookie"); };
  EXPECT_EQ(cookie_of(0), "");
  EXPECT_EQ(cookie_of(1), "sid=A1; h=2");
  for (std::size_t i = 2; i < 4; ++i) {
    EXPECT_EQ(cookie_of(i), requests[i] == "/s?wd=b&pn=0&rn=10" ? "sid=A1; h=2" : "") << i;
  }
  EXPECT_EQ(server_.RequestHeader(0, "Accept-Language"), "zh-CN,zh;q=0.9,en;q=0.8");
  EXPECT_NE(server_.RequestHeader(0, "User-Agent").find("Chrome/"), std::string::npos);
  EXPECT_NE(server_.RequestHeader(0, "Accept-Encoding").find("gzip"), std::string::npos);
  EXPECT_EQ(server_.RequestHeader(0, "Accept").rfind("text/html,", 0), 0u);
}

// A competitor's sheet on the same keywords: its pages come from memory,
// without a request and without a pause; a failed page is asked again, and
// a new run asks for everything again.
TEST_F(QueryThreadTest, OneRequestPerResultPageAndRun) {
  testing::Items first_page = HostsWith(kHost, {2});
  first_page.push_back("http://rival.cn/");  // an eleventh result
  server_.Page("/s?wd=a&pn=0&rn=10", testing::BaiduShapedPage(first_page));
  server_.Page("/s?wd=a&pn=10&rn=10", testing::BaiduShapedPage(HostsWith("rival.cn", {4}), 11));
  server_.Fail("/s?wd=b&pn=0&rn=10", 500);
  TTheardParam& e = Baidu({"b", "a-1-20"});
  e.PauseTime = 20;
  RunAll();
  EXPECT_EQ(ResultsOf(e), (std::vector<std::string>{"", "2"}));
  Lines lines = DrainQueue();
  EXPECT_EQ(std::count(lines.begin(), lines.end(), Msg(e, msgPause, {"20"})), 2);

  e.Host = "rival.cn";  // the next sheet
  RunAll();
  EXPECT_EQ(ResultsOf(e), (std::vector<std::string>{"", "11,14"}));
  lines = DrainQueue();
  EXPECT_EQ(std::count(lines.begin(), lines.end(), Msg(e, msgPause, {"20"})), 1);  // after "b"
  EXPECT_NE(std::find(lines.begin(), lines.end(), Msg(e, msgGettingPage, {"a", "2"})), lines.end());
  const std::vector<std::string> once = {"/s?wd=b&pn=0&rn=10", "/s?wd=a&pn=0&rn=10",
                                         "/s?wd=a&pn=10&rn=10", "/s?wd=b&pn=0&rn=10"};
  EXPECT_EQ(server_.Requests(), once);

  TSeQryThread::BeginRun();
  RunAll();
  EXPECT_EQ(server_.Requests().size(), 7u);
}

// Right after message 6 the worker says why, in words a user can act on.
TEST_F(QueryThreadTest, EveryFailedPageSaysWhy) {
  testing::StalledListener stalled;
  const int closed_port = [] {
    int port = 0;
    close(testing::ListenOnLoopback(1, port));
    return port;
  }();
  const std::string base = server_.BaseUrl();
  auto target = [](const std::string& k) { return "/s?wd=" + k + "&pn=0&rn=10"; };
  server_.Fail(target("s403"), 403);
  server_.Fail(target("s500"), 500);
  server_.Fail(target("s429"), 429);
  server_.Page(target("nolist"), testing::BlockedPage());
  server_.Redirect(target("sorry"), base + "/sorry/index?continue=x");
  server_.Page("/sorry/index?continue=x", "<p>unusual traffic</p>");
  server_.Page(target("empty"), "");
  server_.Page(target("title"), "<html><title>百度安全验证</title></html>");
  server_.Page(target("big"), std::string(kMaxBodyBytes + 1, 'x'));
  server_.Redirect(target("dns"), "http://no-such-host.invalid/s");
  server_.Redirect(target("closed"), "http://127.0.0.1:" + std::to_string(closed_port) + "/s");
  server_.Redirect(target("stalled"), stalled.Url("/s"));
  // No three refusals in a row: the answers between them start the count again.
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"s403", "原因：HTTP状态 【403】 ，搜索引擎拒绝本机访问..."},
      {"s500", "原因：HTTP状态 【500】 ..."},
      {"s429", "原因：HTTP状态 【429】 ，搜索引擎限制本机的访问频率..."},
      {"nolist",
       "原因：页面中没有结果列表，可能是验证页面，也可能是搜索引擎改了页面，需要更新搜索引擎定义.."
       "."},
      {"sorry", "原因：搜索引擎转到了验证页面 【127.0.0.1】 ，要求证明访问者不是机器人..."},
      {"empty", "原因：搜索引擎返回了空白页面..."},
      {"title", "原因：搜索引擎转到了验证页面 【127.0.0.1】 ，要求证明访问者不是机器人..."},
      {"big", "原因：页面超过 【32】 MiB的大小上限..."},
      {"dns", "原因：无法解析地址 【no-such-host.invalid】 ，请检查网络连接和DNS设置..."},
      {"closed", "原因：无法连接到 【127.0.0.1】 ，请检查网络连接..."},
      {"stalled", "原因：超过预设时间 【1000】 毫秒仍未连上服务器..."},
  };
  std::vector<std::string> keywords;
  for (const auto& c : cases) keywords.push_back(c.first);
  TTheardParam& e = Baidu(keywords);
  e.Timeout = 1000;
  RunAll();

  Lines lines = DrainQueue();
  for (const auto& [keyword, reason] : cases) {
    auto failed = std::find(lines.begin(), lines.end(), Msg(e, msgFetchFailed, {keyword, "1"}));
    ASSERT_NE(failed, lines.end()) << keyword;
    ASSERT_NE(failed + 1, lines.end());
    EXPECT_EQ(failed[1], Gbk(reason)) << keyword;
  }
  EXPECT_FALSE(EngineBlocks.Stopped(e.Name));
  EXPECT_EQ(RunFailures.Count(frVerification), 2);
  EXPECT_EQ(RunFailures.Count(frConnectTime), 1);
  EXPECT_EQ(RunFailures.Count(frEngineStopped), 0);
}

// Three refusals in a row stop the engine for the run; any other answer in
// between starts the count again.
TEST_F(QueryThreadTest, ThreeRefusalsInARowStopTheEngine) {
  for (const char* k : {"v1", "v2", "v3", "v4", "v5", "after"}) {
    server_.Redirect(std::string("/s?wd=") + k + "&pn=0&rn=10",
                     server_.BaseUrl() + "/sorry/index?q=" + k);
  }
  server_.Page("/s?wd=good&pn=0&rn=10", testing::BaiduShapedPage(HostsWith(kHost, {3})));
  TTheardParam& e = Baidu({"v1", "v2", "good", "v3", "v4", "v5", "after"});
  RunAll();

  EXPECT_EQ(ResultsOf(e), (std::vector<std::string>{"", "", "3", "", "", "", ""}));
  const std::vector<std::string> requests = server_.Requests();
  EXPECT_EQ(requests.size(), 11u);  // "after" is never asked
  EXPECT_EQ(std::count(requests.begin(), requests.end(), "/s?wd=after&pn=0&rn=10"), 0);
  Lines lines = DrainQueue();
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[lines.size() - 2],
            Gbk("搜索引擎 【百度】 连续 【3】 次拒绝访问或要求验证，本次查询不再使用它..."));
  EXPECT_EQ(lines.back(), Msg(e, msgAllDone, {kHost}) + SummaryFailed(6));
  EXPECT_TRUE(EngineBlocks.Stopped(e.Name));
  EXPECT_EQ(RunFailures.Count(frVerification), 5);
  EXPECT_EQ(RunFailures.Count(frEngineStopped), 1);
}

}  // namespace
}  // namespace korvan
