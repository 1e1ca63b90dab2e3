#include "query/fetch_page.h"

#include <gtest/gtest.h>

#include <iostream>

#include "platform/http_client.h"
#include "tests/support/elapsed.h"
#include "tests/support/gzip.h"
#include "tests/support/http_test_server.h"

namespace korvan {
namespace {

using testing::Stopwatch;
using testing::TestHttpServer;

// <DIV ID="X">百度 癆</DIV> in GBK; 癆 is B0 41, whose second byte is "A",
// and comes back as B0 61.
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
    server_.Timeout = 1000;
    client_.UseXmlHttp = 1;
  }
  TTheardParam server_;  // the limited variant
  TTheardParam client_;  // the variant without limits of its own
  TestHttpServer http_;
};

TEST_F(FetchPageTest, GbkAndUtf8PagesArriveAsTheSameLowerCasedBytes) {
  http_.server().Get("/gbk", [](const httplib::Request&, httplib::Response& res) {
    res.set_content(kGbkPage, "text/html; charset=GBK");
  });
  http_.server().Get("/utf8", [](const httplib::Request&, httplib::Response& res) {
    res.set_content(kUtf8Page, "text/html; charset=utf-8");
  });
  http_.server().Get("/gz", [](const httplib::Request&, httplib::Response& res) {
    res.set_header("Content-Encoding", "gzip");
    res.set_content(testing::Gzip("<meta charset=gbk>" + kGbkPage), "application/octet-stream");
  });
  http_.Start();
  EXPECT_EQ(FetchPage(server_, http_.Url("/gbk")), kLowered);
  EXPECT_EQ(FetchPage(server_, http_.Url("/utf8")), kLowered);
  EXPECT_EQ(FetchPage(client_, http_.Url("/utf8")), kLowered);
  EXPECT_EQ(FetchPage(server_, http_.Url("/gz")), "<meta charset=gbk>" + kLowered);
}

TEST_F(FetchPageTest, EveryAnswerButA200WithABodyIsEmpty) {
  http_.server().Get("/404", [](const httplib::Request&, httplib::Response& res) {
    res.status = 404;
    res.set_content("<p>gone</p>", "text/html");
  });
  http_.server().Get("/500", [](const httplib::Request&, httplib::Response& res) {
    res.status = 500;
    res.set_content("<p>broken</p>", "text/html");
  });
  http_.server().Get("/empty", [](const httplib::Request&, httplib::Response& res) {
    res.set_content("", "text/html");
  });
  http_.server().Get("/redirect", [](const httplib::Request&, httplib::Response& res) {
    res.set_redirect("/target");
  });
  http_.server().Get("/target", [](const httplib::Request&, httplib::Response& res) {
    res.set_content("<B>Found</B>", "text/html");
  });
  http_.server().Get("/huge", [](const httplib::Request&, httplib::Response& res) {
    res.set_content(std::string(kMaxBodyBytes + 1, 'H'), "application/octet-stream");
  });
  http_.Start();
  EXPECT_EQ(FetchPage(server_, http_.Url("/404")), "");
  EXPECT_EQ(FetchPage(server_, http_.Url("/500")), "");
  EXPECT_EQ(FetchPage(server_, http_.Url("/empty")), "");
  EXPECT_EQ(FetchPage(server_, http_.Url("/redirect")), "<b>found</b>");
  EXPECT_EQ(FetchPage(server_, http_.Url("/huge")), "");
}

TEST_F(FetchPageTest, TheLimitedVariantGivesUpOnSilentAndStalledServers) {
  testing::SilentListener silent;
  Stopwatch idle;
  EXPECT_EQ(FetchPage(server_, silent.Url("/s?wd=x")), "");
  const long idle_ms = idle.ElapsedMs();
  std::cout << "[measured] FetchPage, server that never answers: empty after " << idle_ms
            << " ms\n";
  EXPECT_GE(idle_ms, 3000);
  EXPECT_LT(idle_ms, 6000);

  testing::StalledListener stalled;
  server_.Timeout = 1500;
  Stopwatch connect;
  EXPECT_EQ(FetchPage(server_, stalled.Url("/s?wd=x")), "");
  const long connect_ms = connect.ElapsedMs();
  std::cout << "[measured] FetchPage, connection never completed (Timeout 1500): empty after "
            << connect_ms << " ms\n";
  EXPECT_GE(connect_ms, 1400);
  EXPECT_LT(connect_ms, 3000);
}

TEST_F(FetchPageTest, AnAddressThatCannotBeOpenedThrows) {
  EXPECT_THROW(FetchPage(server_, "gopher://127.0.0.1/"), HttpError);
  EXPECT_THROW(FetchPage(client_, ""), HttpError);
}

}  // namespace
}  // namespace korvan
