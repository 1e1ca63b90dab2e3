// What the two Windows HTTP components share. Each library only sends one
// request and reads its answer (an HttpRequestWin32); the transfer around
// it is the program's, the same for both: redirects followed one by one
// (each recorded, each hop with the jar's cookies for its address and the
// cookies it set stored back), the browser's headers, content decoding
// with the body limit, and the overall deadline. Windows only.
#pragma once

#include <chrono>
#include <memory>
#include <string>
#include <utility>

#include "platform/http_client.h"

namespace korvan {

using HttpClockWin32 = std::chrono::steady_clock;

// How one step of a request ended.
struct HttpStepWin32 {
  HttpFailure failure = HttpFailure::kNone;
  std::string error;  // empty when failure is kNone
  bool ok() const { return failure == HttpFailure::kNone; }
};

// One GET on one library; its handles are closed when it is destroyed.
class HttpRequestWin32 {
 public:
  virtual ~HttpRequestWin32() = default;
  // Sends the request with `headers` ("Name: value" lines, each ending in
  // CR LF) and waits for the head of the answer, within the limits and
  // before `deadline`; a wait cut short by the deadline is kTotalTime.
  virtual HttpStepWin32 Send(const std::string& url, const std::string& headers,
                             HttpClockWin32::time_point deadline) = 0;
  virtual long Status() = 0;
  // The header block of the answer as received ("HTTP/1.1 200 OK" line first).
  virtual std::string HeaderBlock() = 0;
  // The next bytes of the body into `chunk`; an empty chunk at its end.
  virtual HttpStepWin32 Read(std::string& chunk, HttpClockWin32::time_point deadline) = 0;
};

// An HINTERNET of either library, closed by `Close` when the owner ends.
template <auto Close>
class InternetHandleWin32 {
 public:
  InternetHandleWin32() = default;
  explicit InternetHandleWin32(void* h) : h_(h) {}
  InternetHandleWin32(const InternetHandleWin32&) = delete;
  InternetHandleWin32& operator=(const InternetHandleWin32&) = delete;
  InternetHandleWin32& operator=(InternetHandleWin32&& other) noexcept {
    std::swap(h_, other.h_);
    return *this;
  }
  ~InternetHandleWin32() {
    if (h_ != nullptr) Close(h_);
  }
  void* get() const { return h_; }

 private:
  void* h_ = nullptr;
};

// The failed step of an error of `module` (`what` failed with `code`), of
// the `kind` the library's code means. A time-out (`timed_out`) is
// `timeout`, or kTotalTime when the deadline cut the wait.
HttpStepWin32 FailedStepWin32(const char* what, unsigned long code, const wchar_t* module,
                              HttpFailure kind, bool timed_out, HttpFailure timeout,
                              HttpClockWin32::time_point deadline, const HttpLimits& limits);

// A request of the server component (WinHTTP) and of the client component
// (WinINet), with the limits of the transfer.
std::unique_ptr<HttpRequestWin32> NewWinHttpRequest(const HttpLimits& limits);
std::unique_ptr<HttpRequestWin32> NewWinInetRequest(const HttpLimits& limits);

// The proxy for `url` from the proxy variables: "host:port", "" to go
// directly, or "*" when no variable is set (the system's settings apply).
std::string ProxyForUrlWin32(const std::string& url);

// The milliseconds a wait may take: `limit`, or less when the deadline comes
// first (then `by_deadline` is set). At least 1.
unsigned long WaitMsWin32(long limit, HttpClockWin32::time_point deadline, bool& by_deadline);

}  // namespace korvan
