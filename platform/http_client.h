// HTTP GET over the system's HTTP library, one transfer per call: libcurl
// on POSIX; on Windows WinHTTP for the server component and WinINet for the
// client component (HttpLimits::Component picks one).
//
// Get() never throws for a transfer problem (no name, no connection, a limit
// exceeded, a TLS or protocol error, a body above kMaxBodyBytes): it returns
// a response whose `completed` is false and whose `failure` and `error` say
// why. Requests carry the headers of a desktop browser (browser_headers.h)
// and, when a cookie jar is given, its cookies; the cookies the servers set
// go back into the jar, also when the transfer fails. It throws
// HttpError only when the transfer cannot be set up at all (the library does
// not initialise, or the URL is not an http/https address).
// Thread-safe: each thread has one handle of its own, which keeps the
// thread's connections from call to call (a connection is never used by
// another thread); with libcurl the handles share, under locks, the caches
// of resolved names and TLS sessions. Call HttpGlobalInit() once on the
// main thread before any other thread fetches.
// Proxies: the curl-style variables http_proxy, https_proxy, all_proxy and
// no_proxy where set; on Windows, when none is set, the system's settings.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "platform/http_cookie_jar.h"

namespace korvan {

class HttpError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The two HTTP components an engine chooses between. libcurl serves both
// alike (only their limits differ); Windows has a library for each.
enum class HttpComponent { kServer, kClient };

// Limits of one transfer, in milliseconds; every value is finite and > 0.
struct HttpLimits {
  long ConnectMs;  // name resolution plus connecting (TLS handshake included)
  long IdleMs;     // no byte moves for this long after connecting: failure
  long TotalMs;    // the whole transfer, redirects included
  HttpComponent Component = HttpComponent::kServer;
};

// The limited variant (server component): connect within `timeout_ms`,
// 3000 ms of inactivity, `timeout_ms` + 30 s in all.
HttpLimits ServerHttpLimits(long timeout_ms);
// The variant without limits of the program's own (client component):
// finite library-style defaults so that a dead server cannot hold a thread
// forever.
HttpLimits ClientHttpLimits();

// A body larger than this (after content decoding) fails the transfer.
inline constexpr std::size_t kMaxBodyBytes = 32u << 20;

// Why a transfer did not complete.
enum class HttpFailure {
  kNone,
  kResolve,      // the host name (or the proxy's) could not be resolved
  kConnect,      // no connection could be made
  kConnectTime,  // HttpLimits::ConnectMs passed before a connection was up
  kIdleTime,     // HttpLimits::IdleMs passed without a byte moving
  kTotalTime,    // HttpLimits::TotalMs passed
  kTooLarge,     // the body grew above kMaxBodyBytes
  kOther,        // TLS, protocol, too many redirects...
};

struct HttpResponse {
  bool completed = false;    // the transfer ended without error
  long status = 0;           // HTTP status of the last response
  std::string body;          // raw body bytes after content decoding
  std::string content_type;  // "Content-Type" of the last response
  std::string date;          // "Date" header of the last response
  HttpFailure failure = HttpFailure::kNone;
  std::string error;      // why the transfer failed (empty on success)
  std::string final_url;  // the address last asked for, after redirects
  // Every "Location" of a redirect answer, in order.
  std::vector<std::string> redirects;
  // The headers of the last response: names lower-cased, values trimmed.
  std::vector<std::pair<std::string, std::string>> headers;
};

// Throws HttpError unless `url` is an absolute http or https address, the
// only addresses either component loads.
void CheckUrl(const std::string& url);

class HttpClient {
 public:
  virtual ~HttpClient() = default;
  // `cookies` may be null: no cookies are sent or kept.
  virtual HttpResponse Get(const std::string& url, const HttpLimits& limits,
                           HttpCookieJar* cookies) = 0;
  HttpResponse Get(const std::string& url, const HttpLimits& limits) {
    return Get(url, limits, nullptr);
  }
};

// The process-wide client of the system's HTTP library (stateless; safe
// from any thread). The name is historical: on Windows it is WinHTTP and
// WinINet.
HttpClient& CurlHttpClient();

// Initialises the HTTP library once; later calls do nothing. Throws
// HttpError when the library cannot be initialised.
void HttpGlobalInit();

}  // namespace korvan
