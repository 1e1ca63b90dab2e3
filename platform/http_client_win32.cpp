#include <shlwapi.h>
#include <windows.h>

#include <cstdlib>

#include "platform/browser_headers.h"
#include "platform/content_decoder.h"
#include "platform/http_cookie_match.h"
#include "platform/http_headers.h"
#include "platform/http_transfer_win32.h"
#include "platform/proxy_environment.h"
#include "platform/wide_text.h"

namespace korvan {

namespace {

constexpr std::size_t kMaxRedirects = 10;

// Offered because the program decodes these itself (content_decoder.h).
constexpr const char* kAcceptEncoding = "Accept-Encoding: gzip, deflate\r\n";

std::int64_t UnixNow() {
  return std::chrono::duration_cast<std::chrono::seconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

std::string RequestHeaders(const std::string& cookie) {
  std::string headers;
  for (const char* header : kBrowserRequestHeaders) headers += std::string(header) + "\r\n";
  headers += kAcceptEncoding;
  if (!cookie.empty()) headers += "Cookie: " + cookie + "\r\n";
  return headers;
}

std::string HeaderValue(const HttpResponse& response, std::string_view name) {
  for (const auto& [n, v] : response.headers) {
    if (n == name) return v;
  }
  return {};
}

// `location` resolved against the address that answered with it.
std::string RedirectTarget(const std::string& base, const std::string& location) {
  const std::wstring wbase = WideFromUtf8(base);
  const std::wstring wlocation = WideFromUtf8(location);
  std::wstring combined(4096, L'\0');
  DWORD size = static_cast<DWORD>(combined.size());
  if (FAILED(UrlCombineW(wbase.c_str(), wlocation.c_str(), combined.data(), &size, 0))) {
    return location;
  }
  combined.resize(size);
  return Utf8FromWide(combined);
}

bool IsRedirect(long status) { return status >= 300 && status < 400 && status != 304; }

HttpResponse Failed(HttpResponse response, HttpFailure failure, std::string error) {
  response.completed = false;
  response.body.clear();
  response.failure = failure;
  response.error = std::move(error);
  return response;
}

HttpResponse Transfer(const std::string& url, const HttpLimits& limits, HttpCookieJar* cookies) {
  const auto deadline = HttpClockWin32::now() + std::chrono::milliseconds(limits.TotalMs);
  std::vector<std::string> jar = cookies != nullptr ? cookies->Lines() : std::vector<std::string>();
  struct StoreOnReturn {
    HttpCookieJar* cookies;
    std::vector<std::string>& jar;
    ~StoreOnReturn() {
      if (cookies != nullptr) cookies->Replace(std::move(jar));
    }
  } store{cookies, jar};

  HttpResponse response;
  std::string address = url;
  std::unique_ptr<HttpRequestWin32> request;
  for (;;) {
    response.final_url = address;
    const CookieTarget target = CookieTargetOf(address);
    request = limits.Component == HttpComponent::kServer ? NewWinHttpRequest(limits)
                                                         : NewWinInetRequest(limits);
    const std::string cookie = cookies != nullptr ? CookieHeaderFor(jar, target, UnixNow()) : "";
    HttpStepWin32 step = request->Send(address, RequestHeaders(cookie), deadline);
    if (!step.ok()) return Failed(std::move(response), step.failure, std::move(step.error));
    response.status = request->Status();
    response.headers = HeaderFields(request->HeaderBlock());
    response.content_type = HeaderValue(response, "content-type");
    response.date = HeaderValue(response, "date");
    if (cookies != nullptr) {
      for (const auto& [name, value] : response.headers) {
        if (name == "set-cookie") StoreSetCookie(jar, value, target, UnixNow());
      }
    }
    const std::string location = HeaderValue(response, "location");
    if (!IsRedirect(response.status) || location.empty()) break;
    response.redirects.push_back(location);
    if (response.redirects.size() > kMaxRedirects) {
      return Failed(std::move(response), HttpFailure::kOther,
                    "more than " + std::to_string(kMaxRedirects) + " redirects");
    }
    address = RedirectTarget(address, location);
    try {
      CheckUrl(address);
    } catch (const HttpError&) {
      return Failed(std::move(response), HttpFailure::kOther,
                    "redirected to an address that is not http: " + address);
    }
  }

  ContentDecoder decoder(HeaderValue(response, "content-encoding"));
  if (!decoder.Supported()) {
    return Failed(std::move(response), HttpFailure::kOther,
                  "unsupported content encoding " + HeaderValue(response, "content-encoding"));
  }
  for (std::string chunk;;) {
    HttpStepWin32 step = request->Read(chunk, deadline);
    if (!step.ok()) return Failed(std::move(response), step.failure, std::move(step.error));
    if (chunk.empty()) break;
    switch (decoder.Add(chunk, response.body, kMaxBodyBytes)) {
      case ContentDecoder::Status::kOk:
        break;
      case ContentDecoder::Status::kTooLarge:
        return Failed(std::move(response), HttpFailure::kTooLarge, "body larger than 32 MiB");
      case ContentDecoder::Status::kCorrupt:
        return Failed(std::move(response), HttpFailure::kOther,
                      "the body does not decode as " + HeaderValue(response, "content-encoding"));
    }
  }
  response.completed = true;
  return response;
}

class WindowsClient : public HttpClient {
 public:
  HttpResponse Get(const std::string& url, const HttpLimits& limits,
                   HttpCookieJar* cookies) override {
    CheckUrl(url);
    return Transfer(url, limits, cookies);
  }
};

}  // namespace

void CheckUrl(const std::string& url) {
  const std::size_t scheme_end = url.find("://");
  if (scheme_end == std::string::npos || scheme_end == 0 || url.find_first_of("/?#") < scheme_end) {
    throw HttpError("cannot open the HTTP request: malformed address " + url);
  }
  const std::string scheme = LowerHeaderName(url.substr(0, scheme_end));
  if (scheme != "http" && scheme != "https") {
    throw HttpError("cannot open the HTTP request: not an http address " + url);
  }
  if (CookieTargetOf(url).host.empty()) {
    throw HttpError("cannot open the HTTP request: malformed address " + url);
  }
}

std::string ProxyForUrlWin32(const std::string& url) {
  const ProxyVariables proxies =
      ReadProxyVariables([](const char* name) -> const char* { return std::getenv(name); });
  if (!proxies.Set()) return "*";
  const CookieTarget target = CookieTargetOf(url);
  return ProxyFor(proxies, target.secure, target.host);
}

namespace {

// "what failed: the system's text (code)".
std::string ErrorText(const char* what, unsigned long code, const wchar_t* module) {
  wchar_t* text = nullptr;
  const DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                      FORMAT_MESSAGE_IGNORE_INSERTS |
                      (module != nullptr ? FORMAT_MESSAGE_FROM_HMODULE : 0);
  const DWORD n = FormatMessageW(flags, module != nullptr ? GetModuleHandleW(module) : nullptr,
                                 code, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
                                 reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::string message =
      n > 0 ? TrimmedHeaderValue(Utf8FromWide(std::wstring_view(text, n))) : std::string("error");
  if (text != nullptr) LocalFree(text);
  return std::string(what) + ": " + message + " (" + std::to_string(code) + ")";
}

}  // namespace

HttpStepWin32 FailedStepWin32(const char* what, unsigned long code, const wchar_t* module,
                              HttpFailure kind, bool timed_out, HttpFailure timeout,
                              HttpClockWin32::time_point deadline, const HttpLimits& limits) {
  if (timed_out && HttpClockWin32::now() >= deadline - std::chrono::milliseconds(50)) {
    return {HttpFailure::kTotalTime,
            "the transfer took longer than " + std::to_string(limits.TotalMs) + " ms"};
  }
  if (timed_out && timeout == HttpFailure::kIdleTime) {
    return {timeout, "no data moved for " + std::to_string(limits.IdleMs) + " ms"};
  }
  return {timed_out ? timeout : kind, ErrorText(what, code, module)};
}

unsigned long WaitMsWin32(long limit, HttpClockWin32::time_point deadline, bool& by_deadline) {
  const auto left =
      std::chrono::duration_cast<std::chrono::milliseconds>(deadline - HttpClockWin32::now())
          .count();
  by_deadline = left < limit;
  const long long ms = by_deadline ? left : limit;
  return ms < 1 ? 1ul : static_cast<unsigned long>(ms);
}

HttpClient& CurlHttpClient() {
  static WindowsClient client;
  return client;
}

// WinHTTP and WinINet need no set-up of the program's.
void HttpGlobalInit() {}

}  // namespace korvan
