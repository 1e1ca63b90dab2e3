#include "platform/browser_client.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>

#include "tests/support/http_test_server.h"

namespace korvan {
namespace {

using testing::Stopwatch;
namespace fs = std::filesystem;

// The profile folders of this process's browsers.
int OwnProfiles() {
  int count = 0;
  const std::string prefix = "korvan-browser-" + std::to_string(getpid()) + "-";
  for (const auto& entry : fs::directory_iterator(fs::temp_directory_path())) {
    if (entry.path().filename().string().rfind(prefix, 0) == 0) ++count;
  }
  return count;
}

// Child processes of this process, running or ended but not reaped.
int ChildProcesses() {
  int count = 0;
  for (const auto& entry : fs::directory_iterator("/proc")) {
    std::ifstream stat(entry.path() / "stat");
    std::string line;
    std::getline(stat, line);
    const std::size_t close = line.rfind(')');
    if (close == std::string::npos) continue;
    std::istringstream fields(line.substr(close + 1));
    std::string state;
    pid_t ppid = 0;
    fields >> state >> ppid;
    if (ppid == getpid()) ++count;
  }
  return count;
}

class BrowserClientTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { testing::ClearProxyEnvironment(); }
  void SetUp() override {
    if (FindBrowserExecutable().empty()) GTEST_SKIP() << "install " << kBrowserPackage;
    http_.server().Get("/slow.png", [](const httplib::Request&, httplib::Response& res) {
      std::this_thread::sleep_for(std::chrono::seconds(4));
      res.status = 404;
    });
    http_.server().Get("/list", [](const httplib::Request&, httplib::Response& res) {
      res.set_content(
          "<html><body><ol id=r></ol><script>"
          "document.cookie = 'seen=yes; path=/';"
          "setTimeout(() => { for (const h of ['a.test', 'b.test']) {"
          "  const li = document.createElement('li'); li.textContent = h;"
          "  document.getElementById('r').appendChild(li); } }, 0);"
          "</script></body></html>",
          "text/html");
    });
  }
  testing::TestHttpServer http_;
};

TEST_F(BrowserClientTest, ScriptsRunCookiesStayAndOnlyA200Counts) {
  std::atomic<int> cookie_sent{0};
  http_.server().Get("/next", [&](const httplib::Request& req, httplib::Response& res) {
    if (req.get_header_value("Cookie") == "seen=yes") ++cookie_sent;
    res.set_content("<p>next</p>", "text/html; charset=gbk");
  });
  http_.server().Get(
      "/moved", [](const httplib::Request&, httplib::Response& res) { res.set_redirect("/next"); });
  http_.server().Get("/by-script", [](const httplib::Request&, httplib::Response& res) {
    res.set_content("<script>onload = () => location.replace('/list')</script>", "text/html");
  });
  http_.server().Get("/gone", [](const httplib::Request&, httplib::Response& res) {
    res.status = 404;
    res.set_content("<p>gone</p>", "text/html");
  });
  http_.server().Get("/empty-error",
                     [](const httplib::Request&, httplib::Response& res) { res.status = 503; });
  http_.Start();
  auto browser = MakeBrowserClient(FindBrowserExecutable());

  BrowserPage list = browser->LoadPage(http_.Url("/list"), 10000);
  EXPECT_EQ(list.failure, BrowserFailure::kNone) << list.error;
  EXPECT_EQ(list.status, 200);
  EXPECT_NE(list.html.find("<ol id=\"r\"><li>a.test</li><li>b.test</li></ol>"), std::string::npos)
      << list.html;

  BrowserPage next = browser->LoadPage(http_.Url("/moved"), 10000);
  EXPECT_EQ(next.failure, BrowserFailure::kNone) << next.error;
  EXPECT_EQ(next.final_url, http_.Url("/next"));
  EXPECT_EQ(next.html, "<html><head></head><body><p>next</p></body></html>");
  EXPECT_EQ(cookie_sent.load(), 1);

  BrowserPage by_script = browser->LoadPage(http_.Url("/by-script"), 10000);
  EXPECT_EQ(by_script.final_url, http_.Url("/list"));
  EXPECT_NE(by_script.html.find("<li>b.test</li>"), std::string::npos) << by_script.html;

  for (auto [path, status] : {std::pair{"/gone", 404L}, {"/empty-error", 503L}}) {
    BrowserPage failed = browser->LoadPage(http_.Url(path), 10000);
    EXPECT_EQ(failed.failure, BrowserFailure::kStatus) << path << ": " << failed.error;
    EXPECT_EQ(failed.status, status) << path;
  }
  int closed_port = 0;
  close(testing::ListenOnLoopback(1, closed_port));
  BrowserPage refused = browser->LoadPage(testing::LoopbackUrl(closed_port, "/"), 10000);
  EXPECT_EQ(refused.failure, BrowserFailure::kNetwork);
  EXPECT_EQ(refused.error, "net::ERR_CONNECTION_REFUSED");

  EXPECT_EQ(OwnProfiles(), 1);
  browser.reset();
  EXPECT_EQ(OwnProfiles(), 0);
  EXPECT_EQ(ChildProcesses(), 0) << "a browser or its guard is left, running or unreaped";
}

TEST_F(BrowserClientTest, ANeverFinishingPageIsBoundedACrashedOrHungBrowserReplaced) {
  http_.server().Get("/never", [](const httplib::Request&, httplib::Response& res) {
    res.set_content("<p>waiting</p><img src=\"/slow.png\">", "text/html");
  });
  http_.Start();
  auto browser = MakeBrowserClient(FindBrowserExecutable());
  ASSERT_EQ(browser->LoadPage(http_.Url("/list"), 10000).failure, BrowserFailure::kNone);

  Stopwatch bounded;
  BrowserPage never = browser->LoadPage(http_.Url("/never"), 1500);
  EXPECT_EQ(never.failure, BrowserFailure::kTimeLimit) << never.error;
  EXPECT_GE(bounded.ElapsedMs(), 1500);
  EXPECT_LT(bounded.ElapsedMs(), 3500);
  const pid_t pid = browser->ProcessId();
  EXPECT_EQ(browser->LoadPage(http_.Url("/list"), 10000).failure, BrowserFailure::kNone);

  // The browser dies in the middle of a page: that page fails, the next one
  // gets a new browser.
  std::thread killer([pid] {
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    kill(pid, SIGKILL);
  });
  BrowserPage crashed = browser->LoadPage(http_.Url("/never"), 10000);
  killer.join();
  EXPECT_EQ(crashed.failure, BrowserFailure::kCrashed) << crashed.error;
  Stopwatch gone;  // its helpers may take a moment to be reaped
  while (kill(-pid, 0) == 0 && gone.ElapsedMs() < 3000) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  EXPECT_EQ(kill(-pid, 0), -1) << "a process of the dead browser's group is left";
  BrowserPage again = browser->LoadPage(http_.Url("/list"), 10000);
  EXPECT_EQ(again.failure, BrowserFailure::kNone) << again.error;
  EXPECT_NE(browser->ProcessId(), pid);
  EXPECT_EQ(OwnProfiles(), 1);

  // A browser that stops answering is ended; the next page gets a new one.
  kill(browser->ProcessId(), SIGSTOP);
  BrowserPage hung = browser->LoadPage(http_.Url("/list"), 1000);
  EXPECT_EQ(hung.failure, BrowserFailure::kHung) << hung.error;
  EXPECT_EQ(browser->ProcessId(), 0);
  EXPECT_EQ(browser->LoadPage(http_.Url("/list"), 10000).failure, BrowserFailure::kNone);
  EXPECT_EQ(OwnProfiles(), 1);
}

TEST(BrowserProxyTest, CurlProxyVariablesBecomeChromiumSwitches) {
  static std::map<std::string, std::string> vars;
  auto env = [](const char* name) -> const char* {
    auto it = vars.find(name);
    return it == vars.end() ? nullptr : it->second.c_str();
  };
  EXPECT_TRUE(BrowserProxySwitches(env).empty());
  vars = {{"HTTP_PROXY", "http://ignored:1"}};  // curl reads it in lower case only
  EXPECT_TRUE(BrowserProxySwitches(env).empty());
  vars = {{"http_proxy", "http://127.0.0.1:8080/"},
          {"ALL_PROXY", "socks5h://s:1080"},
          {"no_proxy", " .example.com, 10.0.0.0/8 ,intra,"}};
  EXPECT_EQ(BrowserProxySwitches(env),
            (std::vector<std::string>{
                "--proxy-server=http=http://127.0.0.1:8080;https=socks5://s:1080",
                "--proxy-bypass-list=example.com;*.example.com;10.0.0.0/8;intra;*.intra;"
                "<-loopback>"}));
  vars = {{"https_proxy", "p:3128"}, {"NO_PROXY", "*"}};
  EXPECT_TRUE(BrowserProxySwitches(env).empty());
}

TEST(BrowserProfileTest, OnlyProfilesOfEndedExecutionsAreRemoved) {
  // pid 1 is alive; a pid above the kernel's maximum never is.
  const fs::path live = fs::temp_directory_path() / "korvan-browser-1-test";
  const fs::path dead = fs::temp_directory_path() / "korvan-browser-99999999-test";
  fs::create_directories(dead / "Default");
  fs::create_directories(live);
  RemoveStaleBrowserProfiles();
  EXPECT_FALSE(fs::exists(dead));
  EXPECT_TRUE(fs::exists(live));
  fs::remove_all(live);
}

}  // namespace
}  // namespace korvan
