// The server component on WinHTTP: resolve and connect within ConnectMs,
// send and receive within IdleMs, every wait cut to the transfer's deadline.
#include <windows.h>
#include <winhttp.h>

#include <map>

#include "platform/browser_headers.h"
#include "platform/http_transfer_win32.h"
#include "platform/wide_text.h"

namespace korvan {

namespace {

using Handle = InternetHandleWin32<WinHttpCloseHandle>;

// The calling thread's session for `proxy` (see ProxyForUrlWin32), which
// keeps the thread's connections from request to request (a connection is
// never used by another thread). The proxy is a session's setting: a
// request's own proxy option is not honoured everywhere (Wine).
HINTERNET ThreadSession(const std::string& proxy) {
  thread_local std::map<std::string, Handle> sessions;
  Handle& session = sessions[proxy];
  if (session.get() != nullptr) return session.get();
  const std::wstring agent = WideFromUtf8(kBrowserUserAgent);
  HINTERNET h = nullptr;
  if (proxy == "*") {  // the system's settings
    h = WinHttpOpen(agent.c_str(), WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY, WINHTTP_NO_PROXY_NAME,
                    WINHTTP_NO_PROXY_BYPASS, 0);
    if (h == nullptr) {  // before Windows 8.1
      h = WinHttpOpen(agent.c_str(), WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME,
                      WINHTTP_NO_PROXY_BYPASS, 0);
    }
  } else if (proxy.empty()) {
    h = WinHttpOpen(agent.c_str(), WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME,
                    WINHTTP_NO_PROXY_BYPASS, 0);
  } else {
    // Loopback addresses go through the proxy too, as with curl, unless
    // no_proxy names them ("<-loopback>").
    const std::wstring server = WideFromUtf8(proxy);
    h = WinHttpOpen(agent.c_str(), WINHTTP_ACCESS_TYPE_NAMED_PROXY, server.c_str(), L"<-loopback>",
                    0);
  }
  session = Handle(h);
  return h;
}

const wchar_t* const kModule = L"winhttp.dll";

class WinHttpRequest final : public HttpRequestWin32 {
 public:
  explicit WinHttpRequest(const HttpLimits& limits) : limits_(limits) {}

  HttpStepWin32 Send(const std::string& url, const std::string& headers,
                     HttpClockWin32::time_point deadline) override {
    HINTERNET session = ThreadSession(ProxyForUrlWin32(url));
    if (session == nullptr) return Failure("cannot open a WinHTTP session", GetLastError());
    const std::wstring wurl = WideFromUtf8(url);
    URL_COMPONENTS parts{};
    parts.dwStructSize = sizeof parts;
    parts.dwHostNameLength = static_cast<DWORD>(-1);
    parts.dwUrlPathLength = static_cast<DWORD>(-1);
    parts.dwExtraInfoLength = static_cast<DWORD>(-1);
    if (!WinHttpCrackUrl(wurl.c_str(), 0, 0, &parts)) {
      return Failure("cannot read the address", GetLastError());
    }
    const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
    std::wstring path(parts.lpszUrlPath, parts.dwUrlPathLength);
    path.append(parts.lpszExtraInfo, parts.dwExtraInfoLength);
    if (path.empty() || path[0] != L'/') path.insert(0, L"/");
    // A fragment is not sent.
    if (const std::size_t hash = path.find(L'#'); hash != std::wstring::npos) path.resize(hash);

    connection_ = Handle(WinHttpConnect(session, host.c_str(), parts.nPort, 0));
    if (connection_.get() == nullptr) return Failure("cannot connect", GetLastError());
    const bool secure = parts.nScheme == INTERNET_SCHEME_HTTPS;
    request_ = Handle(WinHttpOpenRequest(connection_.get(), L"GET", path.c_str(), nullptr,
                                         WINHTTP_NO_REFERER, WINHTTP_DEFAULT_ACCEPT_TYPES,
                                         secure ? WINHTTP_FLAG_SECURE : 0));
    if (request_.get() == nullptr) return Failure("cannot open the request", GetLastError());
    // Redirects and cookies are the transfer's (http_transfer_win32.h).
    DWORD features = WINHTTP_DISABLE_COOKIES | WINHTTP_DISABLE_REDIRECTS;
    WinHttpSetOption(request_.get(), WINHTTP_OPTION_DISABLE_FEATURE, &features, sizeof features);

    bool by_deadline = false;
    const int connect = static_cast<int>(WaitMsWin32(limits_.ConnectMs, deadline, by_deadline));
    const int idle = static_cast<int>(WaitMsWin32(limits_.IdleMs, deadline, by_deadline));
    if (!WinHttpSetTimeouts(request_.get(), connect, connect, idle, idle)) {
      return Failure("cannot set the time limits", GetLastError());
    }
    const std::wstring wheaders = WideFromUtf8(headers);
    if (!WinHttpSendRequest(request_.get(), wheaders.c_str(), static_cast<DWORD>(wheaders.size()),
                            WINHTTP_NO_REQUEST_DATA, 0, 0, 0)) {
      return Failure("cannot send the request", GetLastError(), HttpFailure::kConnectTime,
                     deadline);
    }
    // From here on the inactivity limit governs.
    DWORD receive = WaitMsWin32(limits_.IdleMs, deadline, by_deadline);
    WinHttpSetOption(request_.get(), WINHTTP_OPTION_RECEIVE_TIMEOUT, &receive, sizeof receive);
    if (!WinHttpReceiveResponse(request_.get(), nullptr)) {
      return Failure("no answer", GetLastError(), HttpFailure::kIdleTime, deadline);
    }
    return {};
  }

  long Status() override {
    DWORD status = 0;
    DWORD size = sizeof status;
    WinHttpQueryHeaders(request_.get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                        WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX);
    return static_cast<long>(status);
  }

  std::string HeaderBlock() override {
    DWORD size = 0;
    WinHttpQueryHeaders(request_.get(), WINHTTP_QUERY_RAW_HEADERS_CRLF,
                        WINHTTP_HEADER_NAME_BY_INDEX, WINHTTP_NO_OUTPUT_BUFFER, &size,
                        WINHTTP_NO_HEADER_INDEX);
    if (size == 0) return {};
    std::wstring block(size / sizeof(wchar_t), L'\0');
    if (!WinHttpQueryHeaders(request_.get(), WINHTTP_QUERY_RAW_HEADERS_CRLF,
                             WINHTTP_HEADER_NAME_BY_INDEX, block.data(), &size,
                             WINHTTP_NO_HEADER_INDEX)) {
      return {};
    }
    block.resize(size / sizeof(wchar_t));
    return Utf8FromWide(block);
  }

  HttpStepWin32 Read(std::string& chunk, HttpClockWin32::time_point deadline) override {
    chunk.clear();
    bool by_deadline = false;
    DWORD receive = WaitMsWin32(limits_.IdleMs, deadline, by_deadline);
    if (HttpClockWin32::now() >= deadline) {
      return Failure("the transfer", ERROR_WINHTTP_TIMEOUT, HttpFailure::kTotalTime, deadline);
    }
    WinHttpSetOption(request_.get(), WINHTTP_OPTION_RECEIVE_TIMEOUT, &receive, sizeof receive);
    char buffer[65536];
    DWORD read = 0;
    if (!WinHttpReadData(request_.get(), buffer, sizeof buffer, &read)) {
      return Failure("the answer broke off", GetLastError(), HttpFailure::kIdleTime, deadline);
    }
    chunk.assign(buffer, read);
    return {};
  }

 private:
  // `timeout` is the kind of a time-out in this step.
  HttpStepWin32 Failure(const char* what, DWORD code, HttpFailure timeout = HttpFailure::kOther,
                        HttpClockWin32::time_point deadline = HttpClockWin32::time_point::max()) {
    const HttpFailure kind = code == ERROR_WINHTTP_NAME_NOT_RESOLVED ? HttpFailure::kResolve
                             : code == ERROR_WINHTTP_CANNOT_CONNECT  ? HttpFailure::kConnect
                                                                     : HttpFailure::kOther;
    return FailedStepWin32(what, code, kModule, kind, code == ERROR_WINHTTP_TIMEOUT, timeout,
                           deadline, limits_);
  }

  const HttpLimits limits_;
  Handle connection_;
  Handle request_;  // closed before the connection (members end in reverse)
};

}  // namespace

std::unique_ptr<HttpRequestWin32> NewWinHttpRequest(const HttpLimits& limits) {
  return std::make_unique<WinHttpRequest>(limits);
}

}  // namespace korvan
