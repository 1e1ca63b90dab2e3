#include "query/fetch_page.h"

#include <gtest/gtest.h>

#include <future>
#include <iostream>
#include <thread>

#include "platform/browser_client.h"
#include "platform/codepage.h"
#include "platform/http_client.h"
#include "query/engine_browser.h"
#include "query/thread_strings.h"
#include "tests/support/gzip.h"
#include "tests/support/http_test_server.h"

namespace korvan {
namespace {

using testing::Stopwatch;

// <DIV ID="X">百度 癆</DIV>; 癆 is GBK B0 41, whose second byte "A" is lowered.
const std::string kGbkPage = "<DIV ID=\"X\">\xB0\xD9\xB6\xC8 \xB0\x41</DIV>";
const std::string kUtf8Page = "<DIV ID=\"X\">\xE7\x99\xBE\xE5\xBA\xA6 \xE7\x99\x86</DIV>";
const std::string kLowered = "<div id=\"x\">\xB0\xD9\xB6\xC8 \xB0\x61</div>";

class FetchPageTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    testing::ClearProxyEnvironment();
    HttpGlobalInit();
  }
  FetchPageTest() {
    limited_.Timeout = 1000;
    unlimited_.UseXmlHttp = 1;
  }
  void Serve(const std::string& path, int status, std::string body,
             const std::string& type = "text/html", const std::string& encoding = "") {
    http_.server().Get(path, [=](const httplib::Request&, httplib::Response& res) {
      res.status = status;
      if (!encoding.empty()) res.set_header("Content-Encoding", encoding);
      res.set_content(body, type);
    });
  }
  std::string Fetch(const std::string& path) { return FetchPage(limited_, http_.Url(path)).Text; }

  TTheardParam limited_;    // UseXmlHttp 0: the variant with time limits
  TTheardParam unlimited_;  // UseXmlHttp 1
  testing::TestHttpServer http_;
};

TEST_F(FetchPageTest, GbkAndUtf8PagesArriveAsTheSameLowerCasedBytes) {
  Serve("/gbk", 200, kGbkPage, "text/html; charset=GBK");
  Serve("/utf8", 200, kUtf8Page, "text/html; charset=utf-8");
  Serve("/gz", 200, testing::Gzip("<meta charset=gbk>" + kGbkPage), "application/octet-stream",
        "gzip");
  http_.Start();
  EXPECT_EQ(Fetch("/gbk"), kLowered);
  EXPECT_EQ(Fetch("/utf8"), kLowered);
  // The client component's browser gives the document as it holds it.
  EXPECT_EQ(FetchPage(unlimited_, http_.Url("/utf8")).Text,
            "<html><head></head><body>" + kLowered + "</body></html>");
  EXPECT_EQ(FetchPage(unlimited_, http_.Url("/gbk")).Text,
            "<html><head></head><body>" + kLowered + "</body></html>");
  EXPECT_EQ(Fetch("/gz"), "<meta charset=gbk>" + kLowered);
}

TEST_F(FetchPageTest, OnlyA200WithABodyWithinTheCapsCounts) {
  Serve("/404", 404, "<p>gone</p>");
  Serve("/500", 500, "<p>broken</p>");
  Serve("/empty", 200, "");
  Serve("/huge", 200, std::string(kMaxBodyBytes + 1, 'H'), "application/octet-stream");
  Serve("/bomb", 200, testing::Gzip(std::string(kMaxBodyBytes + 1, 'B')),
        "application/octet-stream", "gzip");
  Serve("/at-cap", 200, testing::Gzip(std::string(kMaxBodyBytes, 'C')), "application/octet-stream",
        "gzip");
  // /hop/N redirects to /hop/N-1; /hop/0 answers.
  http_.server().Get(R"(/hop/(\d+))", [](const httplib::Request& req, httplib::Response& res) {
    const int n = std::stoi(req.matches[1]);
    if (n == 0) res.set_content("<B>Here</B>", "text/html");
    if (n > 0) res.set_redirect("/hop/" + std::to_string(n - 1));
  });
  http_.server().Get("/to-file", [](const httplib::Request&, httplib::Response& res) {
    res.set_redirect("file:///etc/passwd");
  });
  http_.Start();
  EXPECT_EQ(Fetch("/404"), "");
  EXPECT_EQ(Fetch("/500"), "");
  EXPECT_EQ(Fetch("/empty"), "");
  EXPECT_EQ(Fetch("/huge"), "");
  EXPECT_EQ(Fetch("/bomb"), "");
  EXPECT_EQ(Fetch("/at-cap").size(), kMaxBodyBytes);
  EXPECT_EQ(Fetch("/hop/10"), "<b>here</b>");
  EXPECT_EQ(Fetch("/hop/11"), "");
  EXPECT_EQ(Fetch("/to-file"), "");  // a transfer failure, not an exception
}

TEST_F(FetchPageTest, TheLimitedVariantGivesUpOnSilentAndStalledServers) {
  testing::SilentListener silent;
  Stopwatch idle;
  EXPECT_EQ(FetchPage(limited_, silent.Url("/s?wd=x")).Failure, frIdleTime);
  const long idle_ms = idle.ElapsedMs();
  std::cout << "[measured] server never answers: empty after " << idle_ms << " ms\n";
  EXPECT_GE(idle_ms, 3000);
  EXPECT_LT(idle_ms, 6000);

  testing::StalledListener stalled;
  limited_.Timeout = 1500;
  Stopwatch connect;
  EXPECT_EQ(FetchPage(limited_, stalled.Url("/s?wd=x")).Failure, frConnectTime);
  const long connect_ms = connect.ElapsedMs();
  std::cout << "[measured] connection never completes, Timeout 1500: empty after " << connect_ms
            << " ms\n";
  EXPECT_GE(connect_ms, 1400);
  EXPECT_LT(connect_ms, 3000);
}

TEST_F(FetchPageTest, ASlowButSteadyServerIsNotCutOff) {
  // One byte a second for five seconds: never 3000 ms without data.
  http_.server().Get("/slow", [](const httplib::Request&, httplib::Response& res) {
    res.set_chunked_content_provider(
        "application/octet-stream", [](size_t offset, httplib::DataSink& sink) {
          if (offset > 0) std::this_thread::sleep_for(std::chrono::milliseconds(1000));
          return offset == 5 ? (sink.done(), true) : sink.write("Z", 1);
        });
  });
  http_.Start();
  Stopwatch watch;
  EXPECT_EQ(Fetch("/slow"), "zzzzz");
  std::cout << "[measured] one byte a second: complete after " << watch.ElapsedMs() << " ms\n";
  EXPECT_GE(watch.ElapsedMs(), 4500);
}

TEST_F(FetchPageTest, AWorkerReusesItsOwnConnectionsButNeverAnothers) {
  http_.server().Get("/port", [](const httplib::Request& req, httplib::Response& res) {
    res.set_content(std::to_string(req.remote_port), "text/plain");
  });
  http_.Start();
  // Worker a fetches, stays alive while worker b fetches, then fetches again;
  // the server answers with the client's port, one per connection.
  std::string a1, b1, a2;
  std::promise<void> a_fetched, b_fetched;
  std::thread a([&, b_done = b_fetched.get_future()] {
    a1 = Fetch("/port");
    a_fetched.set_value();
    b_done.wait();
    a2 = Fetch("/port");
  });
  std::thread b([&, a_done = a_fetched.get_future()] {
    a_done.wait();
    b1 = Fetch("/port");
    b_fetched.set_value();
  });
  a.join();
  b.join();
  ASSERT_FALSE(a1.empty());
  ASSERT_FALSE(b1.empty());
  EXPECT_EQ(a2, a1);
  EXPECT_NE(b1, a1);
}

TEST_F(FetchPageTest, WithoutABrowserTheClientComponentFetchesPlainlyAndSaysWhatToInstall) {
  Serve("/utf8", 200, kUtf8Page, "text/html; charset=utf-8");
  http_.Start();
  SetBrowserExecutableForTesting("");
  EXPECT_EQ(FetchPage(unlimited_, http_.Url("/utf8")).Text, kLowered);
  EXPECT_EQ(FetchPage(unlimited_, http_.Url("/utf8")).Text, kLowered);
  SetBrowserExecutableForTesting(FindBrowserExecutable());
  ASSERT_EQ(MessageQueue.Count(), 1);  // once per execution
  std::string line;
  MessageQueue.Take(line);
  EXPECT_EQ(Cp936ToUtf8(line),
            "未找到浏览器，需要浏览器的搜索引擎改用普通方式获取；请安装软件包 "
            "【chromium-headless-shell】");
}

TEST_F(FetchPageTest, AnAddressThatCannotBeOpenedThrows) {
  EXPECT_THROW(FetchPage(limited_, "gopher://127.0.0.1/"), HttpError);
  EXPECT_THROW(FetchPage(unlimited_, "no scheme"), HttpError);
  EXPECT_THROW(FetchPage(unlimited_, ""), HttpError);
}

}  // namespace
}  // namespace korvan
