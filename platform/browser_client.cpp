#include "platform/browser_client.h"

#include <atomic>
#include <memory>
#include <mutex>

#include "platform/browser_process.h"
#include "platform/devtools_pipe.h"
#include "platform/http_client.h"

namespace korvan {

namespace {

using nlohmann::json;
using Clock = DevToolsPipe::Clock;
using ReadStatus = DevToolsPipe::ReadStatus;

constexpr long kStartLimitMs = 20000;  // a cold start from disk included
// A command the browser answers by itself (open or close a tab) that takes
// longer than this means the browser hangs.
constexpr long kAnswerLimitMs = 5000;
constexpr const char* kAcceptLanguage = "zh-CN,zh;q=0.9,en;q=0.8";

// Run once the load event has fired: lets the timers that the page's
// scripts queued with no delay run, then takes the document. null when it
// is above the body limit (in UTF-16 units, at most its UTF-8 bytes).
const std::string kReadDocument =
    "new Promise(r => setTimeout(r, 0)).then(() => {"
    "  const d = document.documentElement;"
    "  const h = d ? d.outerHTML : '';"
    "  return h.length > " +
    std::to_string(kMaxBodyBytes) + " ? null : h; })";

Clock::time_point After(long ms) { return Clock::now() + std::chrono::milliseconds(ms); }

// What the events of one navigation told about the main frame.
struct Navigation {
  int navigate_id = 0;
  int read_id = 0;  // the Runtime.evaluate that takes the document
  bool replied = false;
  // The frame has stopped loading: the load event has fired, and no script
  // has started another navigation since.
  bool loaded = false;
  bool read_stale = false;  // a navigation started while the read was under way
  std::string net_error;    // errorText of the navigation's reply
  // Status and address of the last main-frame document that arrived.
  long status = 0;
  std::string url;
};

class ChromiumClient final : public BrowserClient {
 public:
  explicit ChromiumClient(std::string executable) : executable_(std::move(executable)) {}
  ~ChromiumClient() override { End(); }

  BrowserPage LoadPage(const std::string& url, long limit_ms) override {
    std::lock_guard<std::mutex> lock(mutex_);
    if (process_ && process_->Ended()) End();
    if (!process_) {
      std::string error;
      if (!Start(error)) return Failed(BrowserFailure::kNoBrowser, error);
    }
    return Navigate(url, limit_ms);
  }

  pid_t ProcessId() const override { return pid_.load(std::memory_order_acquire); }

 private:
  static BrowserPage Failed(BrowserFailure failure, std::string error) {
    BrowserPage page;
    page.failure = failure;
    page.error = std::move(error);
    return page;
  }

  bool Start(std::string& error) {
    process_ = StartBrowserProcess(executable_, error);
    if (!process_) return false;
    pid_.store(process_->Pid(), std::memory_order_release);
    json version;
    if (!Call("Browser.getVersion", {}, "", After(kStartLimitMs), version)) {
      error = "the browser " + executable_ + " did not start";
      End();
      return false;
    }
    // Sites answer "HeadlessChrome" (Edge: "HeadlessEdg") differently from
    // the desktop browser.
    user_agent_ = version.value("userAgent", "");
    for (std::size_t at; (at = user_agent_.find("Headless")) != std::string::npos;) {
      user_agent_.erase(at, 8);
    }
    if (!OpenTab()) {
      error = "the browser " + executable_ + " did not open a page";
      End();
      return false;
    }
    return true;
  }

  DevToolsPipe& Pipe() { return process_->Pipe(); }

  void End() {
    process_.reset();
    pid_.store(0, std::memory_order_release);
    target_.clear();
    session_.clear();
  }

  // Sends a command and waits for its reply until `deadline`; events that
  // arrive meanwhile are dropped. False when the reply is an error or does
  // not come.
  bool Call(const std::string& method, const json& params, const std::string& session,
            Clock::time_point deadline, json& result) {
    const int id = Pipe().Send(method, params, session);
    if (id == 0) return false;
    json message;
    while (Pipe().Read(deadline, message) == ReadStatus::kMessage) {
      if (message.value("id", 0) != id) continue;
      if (message.contains("error")) return false;
      result = message.value("result", json::object());
      return true;
    }
    return false;
  }

  bool OpenTab() {
    const auto deadline = After(kAnswerLimitMs);
    json created, attached, ignored;
    if (!Call("Target.createTarget", {{"url", "about:blank"}}, "", deadline, created)) return false;
    target_ = created.value("targetId", "");
    if (!Call("Target.attachToTarget", {{"targetId", target_}, {"flatten", true}}, "", deadline,
              attached)) {
      return false;
    }
    session_ = attached.value("sessionId", "");
    // No response bodies are kept for the protocol: the document is read
    // from the page itself.
    return Call("Page.enable", json::object(), session_, deadline, ignored) &&
           Call("Network.enable", {{"maxTotalBufferSize", 0}, {"maxResourceBufferSize", 0}},
                session_, deadline, ignored) &&
           Call("Network.setUserAgentOverride",
                {{"userAgent", user_agent_}, {"acceptLanguage", kAcceptLanguage}}, session_,
                deadline, ignored);
  }

  // After a page ran past its limit: its tab goes and a new one opens, so
  // that nothing of it loads on. A browser that does not manage that in
  // time is ended.
  BrowserPage TimeLimitPassed(long limit_ms) {
    json ignored;
    const bool replaced =
        Call("Target.closeTarget", {{"targetId", target_}}, "", After(kAnswerLimitMs), ignored) &&
        OpenTab();
    if (!replaced) {
      End();
      return Failed(BrowserFailure::kHung, "the page did not load within " +
                                               std::to_string(limit_ms) +
                                               " ms and the browser stopped answering");
    }
    return Failed(BrowserFailure::kTimeLimit,
                  "the page did not load within " + std::to_string(limit_ms) + " ms");
  }

  BrowserPage Crashed(const std::string& what) {
    End();
    return Failed(BrowserFailure::kCrashed, what);
  }

  // Records what an event says about the navigation in the main frame.
  void Observe(const json& message, Navigation& nav) {
    const std::string method = message.value("method", "");
    const json params = message.value("params", json::object());
    if (message.value("sessionId", "") != session_) return;
    if (method == "Network.responseReceived") {
      if (params.value("type", "") != "Document" || params.value("frameId", "") != target_) return;
      const json response = params.value("response", json::object());
      nav.status = response.value("status", 0L);
      nav.url = response.value("url", "");
    } else if (method == "Page.frameStoppedLoading" && params.value("frameId", "") == target_) {
      nav.loaded = true;
    } else if (method == "Page.frameStartedLoading" && params.value("frameId", "") == target_) {
      nav.loaded = false;  // a script goes on to another page: wait for that one
      if (nav.read_id != 0) nav.read_stale = true;
    }
  }

  static bool CrashEvent(const json& message) {
    const std::string method = message.value("method", "");
    return method == "Inspector.targetCrashed" || method == "Target.targetCrashed" ||
           method == "Inspector.detached";
  }

  BrowserPage Navigate(const std::string& url, long limit_ms) {
    const auto deadline = After(limit_ms);
    Navigation nav;
    nav.navigate_id = Pipe().Send("Page.navigate", {{"url", url}}, session_);
    if (nav.navigate_id == 0) return Crashed("the browser ended");
    json message;
    for (;;) {
      const ReadStatus status = Pipe().Read(deadline, message);
      if (status == ReadStatus::kTimeLimit) return TimeLimitPassed(limit_ms);
      if (status == ReadStatus::kClosed) return Crashed("the browser ended during the page");
      if (CrashEvent(message) && message.value("sessionId", "") == session_) {
        return Crashed("the page's renderer ended");
      }
      const int id = message.value("id", 0);
      if (id != 0 && id == nav.navigate_id) {
        if (message.contains("error")) {
          return Failed(BrowserFailure::kNetwork,
                        message["error"].value("message", "the browser refused the address"));
        }
        nav.replied = true;
        nav.net_error = message.value("result", json::object()).value("errorText", "");
        if (!nav.net_error.empty()) break;
      } else if (id != 0 && id == nav.read_id) {
        nav.read_id = 0;
        if (!nav.read_stale) return Finish(message, nav);
        nav.read_stale = false;  // that was the page being replaced
      } else {
        Observe(message, nav);
      }
      if (nav.replied && nav.loaded && nav.read_id == 0) {
        nav.read_id = Pipe().Send(
            "Runtime.evaluate",
            {{"expression", kReadDocument}, {"awaitPromise", true}, {"returnByValue", true}},
            session_);
        if (nav.read_id == 0) return Crashed("the browser ended");
      }
    }
    // The navigation failed: an HTTP error without a body to show ends here
    // too, with the status it came with.
    if (nav.status != 0 && nav.status != 200) return StatusFailure(nav);
    return Failed(BrowserFailure::kNetwork, nav.net_error);
  }

  static BrowserPage StatusFailure(const Navigation& nav) {
    BrowserPage page = Failed(BrowserFailure::kStatus, "status " + std::to_string(nav.status));
    page.status = nav.status;
    page.final_url = nav.url;
    return page;
  }

  static BrowserPage Finish(const json& reply, const Navigation& nav) {
    if (nav.status == 0) return Failed(BrowserFailure::kNetwork, "no document arrived");
    if (nav.status != 200) return StatusFailure(nav);
    const json value = reply.value("result", json::object())
                           .value("result", json::object())
                           .value("value", json());
    if (reply.contains("error") || !(value.is_string() || value.is_null())) {
      return Failed(BrowserFailure::kCrashed, "the page's document could not be read");
    }
    BrowserPage page;
    page.status = nav.status;
    page.final_url = nav.url;
    if (value.is_null()) return Failed(BrowserFailure::kTooLarge, "document larger than 32 MiB");
    page.html = value.get<std::string>();
    if (page.html.size() > kMaxBodyBytes) {
      return Failed(BrowserFailure::kTooLarge, "document larger than 32 MiB");
    }
    return page;
  }

  std::mutex mutex_;  // one page at a time
  const std::string executable_;
  std::unique_ptr<BrowserProcess> process_;  // null: no browser runs
  std::atomic<pid_t> pid_{0};
  std::string user_agent_;
  std::string target_;   // the tab; also the id of its main frame
  std::string session_;  // the protocol session attached to the tab
};

}  // namespace

std::unique_ptr<BrowserClient> MakeBrowserClient(std::string executable) {
  return std::make_unique<ChromiumClient>(std::move(executable));
}

}  // namespace korvan
