// The client component on WinINet, the library the system's own browser
// components rest on. Its limits are the finite ClientHttpLimits: connect,
// send and receive time-outs of the library, every wait cut to the
// transfer's deadline. Cookies are the jar's, not the system's store, so an
// engine's cookies stay with that engine and nothing is left on the machine.
#include <windows.h>
#include <wininet.h>

#include "platform/browser_headers.h"
#include "platform/http_transfer_win32.h"
#include "platform/wide_text.h"

namespace korvan {

namespace {

using Handle = InternetHandleWin32<InternetCloseHandle>;

const wchar_t* const kModule = L"wininet.dll";

class WinInetRequest final : public HttpRequestWin32 {
 public:
  explicit WinInetRequest(const HttpLimits& limits) : limits_(limits) {}

  HttpStepWin32 Send(const std::string& url, const std::string& headers,
                     HttpClockWin32::time_point deadline) override {
    // A session per request: its proxy is the one for this address. Loopback
    // addresses go through a proxy too, as with curl, unless no_proxy names
    // them ("<-loopback>").
    const std::string proxy = ProxyForUrlWin32(url);
    const std::wstring agent = WideFromUtf8(kBrowserUserAgent);
    const std::wstring server = WideFromUtf8(proxy);
    if (proxy == "*") {
      internet_ =
          Handle(InternetOpenW(agent.c_str(), INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    } else if (proxy.empty()) {
      internet_ =
          Handle(InternetOpenW(agent.c_str(), INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
    } else {
      internet_ = Handle(InternetOpenW(agent.c_str(), INTERNET_OPEN_TYPE_PROXY, server.c_str(),
                                       L"<-loopback>", 0));
    }
    if (internet_.get() == nullptr) return Failure("cannot open WinINet", GetLastError());

    bool by_deadline = false;
    const DWORD connect = WaitMsWin32(limits_.ConnectMs, deadline, by_deadline);
    const DWORD idle = WaitMsWin32(limits_.IdleMs, deadline, by_deadline);
    SetTimeout(INTERNET_OPTION_CONNECT_TIMEOUT, connect);
    SetTimeout(INTERNET_OPTION_SEND_TIMEOUT, idle);
    SetTimeout(INTERNET_OPTION_RECEIVE_TIMEOUT, idle);

    const std::wstring wurl = WideFromUtf8(url);
    const std::wstring wheaders = WideFromUtf8(headers);
    // Redirects and cookies are the transfer's (http_transfer_win32.h); no
    // page comes from or goes to the cache.
    const DWORD flags = INTERNET_FLAG_NO_AUTO_REDIRECT | INTERNET_FLAG_NO_COOKIES |
                        INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_UI |
                        INTERNET_FLAG_NO_AUTH;
    request_ = Handle(InternetOpenUrlW(internet_.get(), wurl.c_str(), wheaders.c_str(),
                                       static_cast<DWORD>(wheaders.size()), flags, 0));
    if (request_.get() == nullptr) {
      return Failure("cannot open the address", GetLastError(), HttpFailure::kConnectTime,
                     deadline);
    }
    return {};
  }

  long Status() override {
    DWORD status = 0;
    DWORD size = sizeof status;
    HttpQueryInfoW(request_.get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size,
                   nullptr);
    return static_cast<long>(status);
  }

  std::string HeaderBlock() override {
    DWORD size = 0;
    HttpQueryInfoW(request_.get(), HTTP_QUERY_RAW_HEADERS_CRLF, nullptr, &size, nullptr);
    if (size == 0) return {};
    std::wstring block(size / sizeof(wchar_t) + 1, L'\0');
    size = static_cast<DWORD>(block.size() * sizeof(wchar_t));
    if (!HttpQueryInfoW(request_.get(), HTTP_QUERY_RAW_HEADERS_CRLF, block.data(), &size,
                        nullptr)) {
      return {};
    }
    block.resize(size / sizeof(wchar_t));
    return Utf8FromWide(block);
  }

  HttpStepWin32 Read(std::string& chunk, HttpClockWin32::time_point deadline) override {
    chunk.clear();
    if (HttpClockWin32::now() >= deadline) {
      return Failure("the transfer", ERROR_INTERNET_TIMEOUT, HttpFailure::kTotalTime, deadline);
    }
    bool by_deadline = false;
    SetTimeout(INTERNET_OPTION_RECEIVE_TIMEOUT, WaitMsWin32(limits_.IdleMs, deadline, by_deadline));
    char buffer[65536];
    DWORD read = 0;
    if (!InternetReadFile(request_.get(), buffer, sizeof buffer, &read)) {
      return Failure("the answer broke off", GetLastError(), HttpFailure::kIdleTime, deadline);
    }
    chunk.assign(buffer, read);
    return {};
  }

 private:
  void SetTimeout(DWORD option, DWORD ms) {
    InternetSetOptionW(internet_.get(), option, &ms, sizeof ms);
    if (request_.get() != nullptr) InternetSetOptionW(request_.get(), option, &ms, sizeof ms);
  }

  // `timeout` is the kind of a time-out in this step.
  HttpStepWin32 Failure(const char* what, DWORD code, HttpFailure timeout = HttpFailure::kOther,
                        HttpClockWin32::time_point deadline = HttpClockWin32::time_point::max()) {
    const HttpFailure kind = code == ERROR_INTERNET_NAME_NOT_RESOLVED ? HttpFailure::kResolve
                             : code == ERROR_INTERNET_CANNOT_CONNECT  ? HttpFailure::kConnect
                                                                      : HttpFailure::kOther;
    return FailedStepWin32(what, code, kModule, kind, code == ERROR_INTERNET_TIMEOUT, timeout,
                           deadline, limits_);
  }

  const HttpLimits limits_;
  Handle internet_;
  Handle request_;  // closed before the session (members end in reverse)
};

}  // namespace

std::unique_ptr<HttpRequestWin32> NewWinInetRequest(const HttpLimits& limits) {
  return std::make_unique<WinInetRequest>(limits);
}

}  // namespace korvan
