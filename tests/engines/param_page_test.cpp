#include "engines/param_page.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <iostream>

#include "engines/engine.h"
#include "engines/run_globals.h"
#include "engines/run_params.h"
#include "platform/clock.h"
#include "platform/date_time.h"
#include "platform/http_client.h"
#include "tests/support/elapsed.h"
#include "tests/support/http_test_server.h"

namespace korvan {
namespace {

using testing::TestHttpServer;

const std::string kPage =
    "korvan parameters\r\n"
    "http://exit.example/\r\n"
    "1.2.0.1\r\n"
    "Menu Zero\r\n"
    "Menu One\r\n"
    "Notice\r\n"
    "[\xB0\xD9\xB6\xC8]\r\n"  // 百度
    "http://www.baidu.com/s?wd=[keyword]&pn=[0,0,10]&rn=10\r\n"
    "<DIV[*]>|</DIV>|..|..|1\r\n"
    "10\r\n"
    "0\r\n"
    "[Other]\r\n"
    "http://other/?q=[keyword]&p=[0,1,1]\r\n";

bool IsNow(double value) { return std::fabs(value - LocalNow()) < 5.0 / 86400; }

class ParamPageTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    testing::ClearProxyEnvironment();
    HttpGlobalInit();
  }
  void SetUp() override {
    Engines.clear();
    for (std::string* text : {&ExitUrl, &LatestVersion, &MenuText0, &MenuText1, &NoticeText}) {
      text->clear();
    }
    RunDate = 0;
  }
  void TearDown() override {
    Engines.clear();
    testing::ClearProxyEnvironment();
  }
  void ServePage(const std::string& body, const std::string& type) {
    server_.server().Get(R"(.*)", [=](const httplib::Request&, httplib::Response& res) {
      res.set_header("Date", "Sun, 06 Nov 1994 08:49:37 GMT");
      res.set_content(body, type);
    });
    server_.Start();
  }
  TestHttpServer server_;
};

TEST_F(ParamPageTest, LoadsEnginesTextsAndTheServerDate) {
  ServePage(kPage, "text/plain; charset=gbk");
  LoadRunParamsFrom(server_.Url("/params.txt"));
  EXPECT_DOUBLE_EQ(RunDate, *EncodeDate(1994, 11, 6) + *EncodeTime(16, 49, 37));
  EXPECT_EQ(ExitUrl, "http://exit.example/");
  EXPECT_EQ(LatestVersion, "1.2.0.1");
  EXPECT_EQ(MenuText0, "Menu Zero");  // letter case kept
  EXPECT_EQ(NoticeText, "Notice");
  ASSERT_EQ(Engines.size(), 2u);
  EXPECT_EQ(Engines[0].Name, "\xB0\xD9\xB6\xC8");
  EXPECT_EQ(Engines[0].ExtractSpec, "<DIV[*]>|</DIV>|..|..|1");
  EXPECT_EQ(Engines[1].Name, "Other");
  EXPECT_EQ(Engines[1].PerPage, 0);
}

TEST_F(ParamPageTest, AUtf8PageGivesTheSameEngines) {
  ServePage("\xE7\x99\xBE\xE5\xBA\xA6\r\n[\xE7\x99\xBE\xE5\xBA\xA6]\r\nurl\r\n", "text/plain");
  LoadRunParamsFrom(server_.Url("/params.txt"));
  ASSERT_EQ(Engines.size(), 1u);
  EXPECT_EQ(Engines[0].Name, "\xB0\xD9\xB6\xC8");
}

TEST_F(ParamPageTest, NoUsablePageLeavesEverythingEmptyAndTheLocalDate) {
  server_.server().Get("/params.txt", [](const httplib::Request&, httplib::Response& res) {
    res.status = 404;
    res.set_header("Date", "Sun, 06 Nov 1994 08:49:37 GMT");
    res.set_content(kPage, "text/plain");
  });
  server_.Start();
  Engines.emplace_back().Name = "left over";
  LoadRunParamsFrom(server_.Url("/params.txt"));
  EXPECT_TRUE(Engines.empty());
  EXPECT_TRUE(IsNow(RunDate));
  EXPECT_EQ(ExitUrl, "");

  testing::SilentListener silent;
  testing::Stopwatch watch;
  LoadRunParamsFrom(silent.Url("/params.txt"));
  std::cout << "[measured] parameter page from a silent server given up after " << watch.ElapsedMs()
            << " ms\n";
  EXPECT_TRUE(Engines.empty());
  EXPECT_TRUE(IsNow(RunDate));
  EXPECT_LT(watch.ElapsedMs(), 6000);
}

TEST_F(ParamPageTest, AMissingDateHeaderGivesTheLocalTime) {
  server_.server().Get("/p", [](const httplib::Request&, httplib::Response& res) {
    res.set_content("x\r\n[E]\r\n", "text/plain");
  });
  server_.Start();
  std::string text;
  FetchParamPage(text, server_.Url("/p"));
  EXPECT_EQ(text, "x\r\n[E]\r\n");
  EXPECT_TRUE(IsNow(RunDate));
}

TEST_F(ParamPageTest, TheBuiltInAddressIsFetchedThroughTheProxyVariable) {
  const std::string address = kParamPageUrl;
  if (!address.starts_with("http://")) {
    GTEST_SKIP() << "built-in address " << address << " is not plain http";
  }
  std::string host_seen;
  std::mutex mutex;
  server_.server().Get(R"(.*)", [&](const httplib::Request& req, httplib::Response& res) {
    std::lock_guard<std::mutex> lock(mutex);
    host_seen = req.get_header_value("Host");
    res.set_content(kPage, "text/plain; charset=gbk");
  });
  server_.Start();
  setenv("http_proxy", server_.Url("").c_str(), 1);
  LoadRunParams();
  EXPECT_EQ(Engines.size(), 2u);
  std::lock_guard<std::mutex> lock(mutex);
  EXPECT_EQ(address.find("http://" + host_seen + "/"), 0u) << host_seen;
}

}  // namespace
}  // namespace korvan
