#include "engines/param_page.h"

#include <gtest/gtest.h>

#include <iostream>
#include <mutex>

#include "engines/engine.h"
#include "engines/run_globals.h"
#include "engines/run_params.h"
#include "platform/clock.h"
#include "platform/http_client.h"
#include "tests/support/http_test_server.h"
#include "tests/support/temp_dir.h"

namespace korvan {
namespace {

const std::string kPage =
    "parameters\r\nhttp://exit/\r\n1.2.0.1\r\nMenu Zero\r\nMenu One\r\nNotice\r\n"
    "[\xB0\xD9\xB6\xC8]\r\nhttp://b/s?wd=[keyword]&pn=[0,0,10]\r\n<DIV[*]>|</DIV>|..|..|1\r\n"
    "[Other]\r\n";
const double kServerDate = 34644 + (16 * 3600 + 49 * 60 + 37) / 86400.0;  // 1994-11-06 16:49:37

class ParamPageTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { HttpGlobalInit(); }
  void SetUp() override {
    testing::ClearProxyEnvironment();
    Engines.clear();
    ExitUrl = MenuText0 = "";
  }
  void TearDown() override {
    Engines.clear();
    testing::ClearProxyEnvironment();
  }
  // Serves `body` at every path, with a Date header.
  void Serve(int status, const std::string& body, const std::string& type) {
    server_.server().Get(R"(.*)", [=, this](const httplib::Request& req, httplib::Response& res) {
      std::lock_guard<std::mutex> lock(mutex_);
      host_seen_ = req.get_header_value("Host");
      res.status = status;
      res.set_header("Date", "Sun, 06 Nov 1994 08:49:37 GMT");
      res.set_content(body, type);
    });
    server_.Start();
  }
  testing::TestHttpServer server_;
  testing::TempDir copy_;  // where the local copy of the page goes
  std::mutex mutex_;
  std::string host_seen_;
};

TEST_F(ParamPageTest, LoadsEnginesTextsAndTheServerDate) {
  Serve(200, kPage, "text/plain; charset=gbk");
  LoadRunParamsFrom(server_.Url("/params.txt"), copy_.Path("copy.txt"));
  EXPECT_DOUBLE_EQ(RunDate, kServerDate);
  EXPECT_EQ(ExitUrl, "http://exit/");
  EXPECT_EQ(MenuText0, "Menu Zero");  // letter case kept
  ASSERT_EQ(Engines.size(), 2u);
  EXPECT_EQ(Engines[0].Name, "\xB0\xD9\xB6\xC8");
  EXPECT_EQ(Engines[0].ExtractSpec, "<DIV[*]>|</DIV>|..|..|1");
}

TEST_F(ParamPageTest, NoUsablePageLeavesNoEnginesAndTheLocalDate) {
  Serve(404, kPage, "text/plain");
  Engines.emplace_back().Name = "left over";
  LoadRunParamsFrom(server_.Url("/params.txt"), copy_.Path("copy.txt"));
  EXPECT_TRUE(Engines.empty());
  EXPECT_EQ(ExitUrl, "");
  EXPECT_NEAR(RunDate, LocalNow(), 5.0 / 86400);

  testing::SilentListener silent;
  testing::Stopwatch watch;
  LoadRunParamsFrom(silent.Url("/params.txt"), copy_.Path("copy.txt"));
  std::cout << "[measured] silent parameter server given up after " << watch.ElapsedMs() << " ms\n";
  EXPECT_TRUE(Engines.empty());
  EXPECT_NEAR(RunDate, LocalNow(), 5.0 / 86400);
  EXPECT_LT(watch.ElapsedMs(), 6000);
}

TEST_F(ParamPageTest, TheBuiltInAddressIsReachedThroughTheProxyVariable) {
  const std::string address = kParamPageUrl;
  if (!address.starts_with("http://")) GTEST_SKIP() << address << " is not plain http";
  Serve(200, "\xE7\x99\xBE\xE5\xBA\xA6\r\n[\xE7\x99\xBE\xE5\xBA\xA6]\r\n", "text/plain");
  setenv("http_proxy", server_.Url("").c_str(), 1);
  LoadRunParamsFrom(kParamPageUrl, copy_.Path("copy.txt"));
  ASSERT_EQ(Engines.size(), 1u);
  EXPECT_EQ(Engines[0].Name, "\xB0\xD9\xB6\xC8");  // a UTF-8 page arrives as GBK
  EXPECT_DOUBLE_EQ(RunDate, kServerDate);
  std::lock_guard<std::mutex> lock(mutex_);
  EXPECT_EQ(address.find("http://" + host_seen_ + "/"), 0u) << host_seen_;
}

}  // namespace
}  // namespace korvan
