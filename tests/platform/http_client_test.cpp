#include "platform/http_client.h"

#include <gtest/gtest.h>

#include <iostream>

#include "tests/support/elapsed.h"
#include "tests/support/gzip.h"
#include "tests/support/http_test_server.h"

namespace korvan {
namespace {

using testing::SilentListener;
using testing::StalledListener;
using testing::Stopwatch;
using testing::TestHttpServer;

class HttpClientTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    testing::ClearProxyEnvironment();
    HttpGlobalInit();
  }
  HttpResponse Get(const std::string& url, long timeout_ms = 5000) {
    return CurlHttpClient().Get(url, ServerHttpLimits(timeout_ms));
  }
  TestHttpServer server_;
};

TEST_F(HttpClientTest, ReportsStatusBodyAndHeadersOfEveryAnswer) {
  server_.server().Get("/ok", [](const httplib::Request& req, httplib::Response& res) {
    res.set_header("Date", "Sun, 06 Nov 1994 08:49:37 GMT");
    res.set_content("hello " + req.get_header_value("User-Agent"), "text/plain; charset=gbk");
  });
  server_.server().Get("/missing", [](const httplib::Request&, httplib::Response& res) {
    res.status = 404;
    res.set_content("not here", "text/plain");
  });
  server_.server().Get("/broken",
                       [](const httplib::Request&, httplib::Response& res) { res.status = 500; });
  server_.Start();

  HttpResponse ok = Get(server_.Url("/ok"));
  EXPECT_TRUE(ok.completed) << ok.error;
  EXPECT_EQ(ok.status, 200);
  EXPECT_TRUE(ok.body.starts_with("hello Mozilla/5.0 ")) << ok.body;
  EXPECT_EQ(ok.content_type, "text/plain; charset=gbk");
  EXPECT_EQ(ok.date, "Sun, 06 Nov 1994 08:49:37 GMT");
  EXPECT_TRUE(ok.error.empty());

  HttpResponse missing = Get(server_.Url("/missing"));
  EXPECT_TRUE(missing.completed);
  EXPECT_EQ(missing.status, 404);
  HttpResponse broken = Get(server_.Url("/broken"));
  EXPECT_TRUE(broken.completed);
  EXPECT_EQ(broken.status, 500);
}

TEST_F(HttpClientTest, FollowsUpToTenRedirects) {
  server_.server().Get(
      "/old", [](const httplib::Request&, httplib::Response& res) { res.set_redirect("/new"); });
  server_.server().Get("/new", [](const httplib::Request&, httplib::Response& res) {
    res.set_content("moved here", "text/plain");
  });
  // /hop/N redirects to /hop/N-1; /hop/0 answers.
  server_.server().Get(R"(/hop/(\d+))", [](const httplib::Request& req, httplib::Response& res) {
    const int n = std::stoi(req.matches[1]);
    if (n == 0) {
      res.set_content("arrived", "text/plain");
    } else {
      res.set_redirect("/hop/" + std::to_string(n - 1));
    }
  });
  server_.Start();

  HttpResponse moved = Get(server_.Url("/old"));
  EXPECT_TRUE(moved.completed) << moved.error;
  EXPECT_EQ(moved.status, 200);
  EXPECT_EQ(moved.body, "moved here");

  HttpResponse ten = Get(server_.Url("/hop/10"));
  EXPECT_TRUE(ten.completed) << ten.error;
  EXPECT_EQ(ten.body, "arrived");
  HttpResponse eleven = Get(server_.Url("/hop/11"));
  EXPECT_FALSE(eleven.completed);
  EXPECT_TRUE(eleven.body.empty());
}

TEST_F(HttpClientTest, DecompressesGzipBodies) {
  const std::string page = "<html>" + std::string(10000, 'x') + "</html>";
  server_.server().Get("/gz", [&](const httplib::Request&, httplib::Response& res) {
    res.set_header("Content-Encoding", "gzip");
    res.set_content(testing::Gzip(page), "application/octet-stream");
  });
  server_.Start();
  HttpResponse r = Get(server_.Url("/gz"));
  EXPECT_TRUE(r.completed) << r.error;
  EXPECT_EQ(r.body, page);
}

TEST_F(HttpClientTest, FailsBodiesAboveThirtyTwoMebibytesAfterDecompression) {
  const std::string at_limit = testing::Gzip(std::string(kMaxBodyBytes, 'a'));
  const std::string over_limit = testing::Gzip(std::string(kMaxBodyBytes + 1, 'a'));
  server_.server().Get("/bomb/at", [&](const httplib::Request&, httplib::Response& res) {
    res.set_header("Content-Encoding", "gzip");
    res.set_content(at_limit, "application/octet-stream");
  });
  server_.server().Get("/bomb/over", [&](const httplib::Request&, httplib::Response& res) {
    res.set_header("Content-Encoding", "gzip");
    res.set_content(over_limit, "application/octet-stream");
  });
  server_.server().Get("/plain/over", [](const httplib::Request&, httplib::Response& res) {
    res.set_content(std::string(kMaxBodyBytes + 4096, 'b'), "application/octet-stream");
  });
  server_.Start();

  HttpResponse at = Get(server_.Url("/bomb/at"));
  EXPECT_TRUE(at.completed) << at.error;
  EXPECT_EQ(at.body.size(), kMaxBodyBytes);

  Stopwatch watch;
  HttpResponse over = Get(server_.Url("/bomb/over"));
  std::cout << "[measured] compressed body over 32 MiB refused after " << watch.ElapsedMs()
            << " ms\n";
  EXPECT_FALSE(over.completed);
  EXPECT_TRUE(over.body.empty());
  EXPECT_EQ(over.error, "body larger than 32 MiB");

  HttpResponse plain = Get(server_.Url("/plain/over"));
  EXPECT_FALSE(plain.completed);
  EXPECT_EQ(plain.error, "body larger than 32 MiB");
}

TEST_F(HttpClientTest, GivesUpOnAServerThatNeverAnswers) {
  SilentListener silent;
  Stopwatch watch;
  HttpResponse r = Get(silent.Url("/"), 1000);
  const long ms = watch.ElapsedMs();
  std::cout << "[measured] inactivity limit (3000 ms) ended the fetch after " << ms << " ms\n";
  EXPECT_FALSE(r.completed);
  EXPECT_EQ(r.error, "no data moved for 3000 ms");
  EXPECT_GE(ms, 3000);
  EXPECT_LT(ms, 6000);
}

TEST_F(HttpClientTest, ASlowButSteadyServerIsNotCutOff) {
  // One byte a second for five seconds: never 3000 ms without data.
  server_.server().Get("/slow", [](const httplib::Request&, httplib::Response& res) {
    res.set_chunked_content_provider(
        "application/octet-stream", [](size_t offset, httplib::DataSink& sink) {
          if (offset > 0) std::this_thread::sleep_for(std::chrono::milliseconds(1000));
          if (offset == 5) {
            sink.done();
          } else {
            sink.write("z", 1);
          }
          return true;
        });
  });
  server_.Start();
  Stopwatch watch;
  HttpResponse r = Get(server_.Url("/slow"), 1000);
  const long ms = watch.ElapsedMs();
  std::cout << "[measured] trickling answer completed after " << ms << " ms\n";
  EXPECT_TRUE(r.completed) << r.error;
  EXPECT_EQ(r.body, "zzzzz");
  EXPECT_GE(ms, 4500);
}

TEST_F(HttpClientTest, GivesUpConnectingAfterTheTimeout) {
  StalledListener stalled;
  Stopwatch watch;
  HttpResponse r = Get(stalled.Url("/"), 1000);
  const long ms = watch.ElapsedMs();
  std::cout << "[measured] connect limit (Timeout 1000 ms) ended the fetch after " << ms
            << " ms: " << r.error << "\n";
  EXPECT_FALSE(r.completed);
  EXPECT_GE(ms, 900);
  EXPECT_LT(ms, 2500);
}

TEST_F(HttpClientTest, FailsFastWhenNothingListens) {
  int port;
  {
    SilentListener closed;  // takes a free port, then gives it back
    port = closed.port();
  }
  Stopwatch watch;
  HttpResponse r = Get("http://127.0.0.1:" + std::to_string(port) + "/");
  std::cout << "[measured] refused connection failed after " << watch.ElapsedMs()
            << " ms: " << r.error << "\n";
  EXPECT_FALSE(r.completed);
  EXPECT_EQ(r.status, 0);
  EXPECT_FALSE(r.error.empty());
}

TEST_F(HttpClientTest, RefusesToSetUpAnythingButWebAddresses) {
  EXPECT_THROW(Get("ftp://127.0.0.1/file"), HttpError);
  EXPECT_THROW(Get("file:///etc/passwd"), HttpError);
  EXPECT_THROW(Get("no scheme at all"), HttpError);
  EXPECT_THROW(Get(""), HttpError);
}

TEST_F(HttpClientTest, RedirectToAnotherSchemeIsATransferFailureNotAnError) {
  server_.server().Get("/to-file", [](const httplib::Request&, httplib::Response& res) {
    res.set_redirect("file:///etc/passwd");
  });
  server_.Start();
  HttpResponse r;
  EXPECT_NO_THROW(r = Get(server_.Url("/to-file")));
  EXPECT_FALSE(r.completed);
  EXPECT_TRUE(r.body.empty());
}

}  // namespace
}  // namespace korvan
