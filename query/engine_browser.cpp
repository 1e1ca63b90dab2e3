#include "query/engine_browser.h"

#include <map>
#include <memory>
#include <mutex>
#include <optional>

#include "platform/browser_client.h"
#include "platform/codepage.h"
#include "query/thread_strings.h"
#include "text/string_helpers.h"

namespace korvan {

namespace {

struct Browsers {
  std::mutex mutex;
  std::optional<std::string> executable;  // looked up at the first need
  bool notice_given = false;
  // Never destroyed: a worker may still load a page while the process ends.
  std::map<std::string, std::unique_ptr<BrowserClient>> by_engine;
};

Browsers& State() {
  static Browsers* browsers = new Browsers();
  return *browsers;
}

// The engine's browser, or nullptr when none is installed.
BrowserClient* BrowserOf(const TTheardParam& engine) {
  Browsers& b = State();
  std::lock_guard<std::mutex> lock(b.mutex);
  if (!b.executable) b.executable = FindBrowserExecutable();
  if (b.executable->empty()) {
    if (!b.notice_given) {
      b.notice_given = true;
      MessageQueue.Add(
          Utf8ToCp936(std::string("未找到浏览器，需要浏览器的搜索引擎改用普通方式获取；") +
                      kBrowserInstallHint));
    }
    return nullptr;
  }
  std::unique_ptr<BrowserClient>& client = b.by_engine[engine.Name];
  if (!client) client = MakeBrowserClient(*b.executable);
  return client.get();
}

// The browser's failures in the terms of the plain client, so that the
// reason line is the same whichever component loaded the page.
HttpFailure HttpFailureOf(BrowserFailure failure, const std::string& error) {
  switch (failure) {
    case BrowserFailure::kNone:
    case BrowserFailure::kStatus:
      return HttpFailure::kNone;
    case BrowserFailure::kTimeLimit:
      return HttpFailure::kTotalTime;
    case BrowserFailure::kTooLarge:
      return HttpFailure::kTooLarge;
    case BrowserFailure::kNetwork:
      if (error.find("ERR_NAME_NOT_RESOLVED") != std::string::npos) return HttpFailure::kResolve;
      if (error.find("ERR_CONNECTION_REFUSED") != std::string::npos ||
          error.find("ERR_ADDRESS_UNREACHABLE") != std::string::npos) {
        return HttpFailure::kConnect;
      }
      return HttpFailure::kOther;
    case BrowserFailure::kNoBrowser:
    case BrowserFailure::kCrashed:
    case BrowserFailure::kHung:
      break;
  }
  return HttpFailure::kOther;
}

// The detail of the reason line (code page 936).
std::string ErrorTextOf(BrowserFailure failure, std::string error) {
  if (failure == BrowserFailure::kCrashed) return Cp936Text("浏览器在载入页面时崩溃");
  if (failure == BrowserFailure::kHung) return Cp936Text("浏览器停止响应，已被结束");
  return error;
}

}  // namespace

bool FetchInBrowser(const TTheardParam& engine, const std::string& url, HttpResponse& response) {
  CheckUrl(url);
  BrowserClient* browser = BrowserOf(engine);
  if (browser == nullptr) return false;
  BrowserPage page = browser->LoadPage(url, kBrowserPageLimitMs);
  response = HttpResponse{};
  response.completed =
      page.failure == BrowserFailure::kNone || page.failure == BrowserFailure::kStatus;
  response.status = page.status;
  response.final_url = std::move(page.final_url);
  response.body = std::move(page.html);
  response.content_type = "text/html; charset=utf-8";
  response.failure = HttpFailureOf(page.failure, page.error);
  response.error = ErrorTextOf(page.failure, std::move(page.error));
  return true;
}

void SetBrowserExecutableForTesting(std::string executable) {
  Browsers& b = State();
  std::lock_guard<std::mutex> lock(b.mutex);
  b.executable = std::move(executable);
  b.notice_given = false;
  b.by_engine.clear();
}

}  // namespace korvan
