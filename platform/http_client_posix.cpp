#include <curl/curl.h>
#include <strings.h>

#include <chrono>
#include <memory>
#include <mutex>
#include <string_view>

#include "platform/browser_headers.h"
#include "platform/http_client.h"
#include "platform/http_headers.h"

namespace korvan {

namespace {

constexpr long kMaxRedirects = 10;

using Clock = std::chrono::steady_clock;

// The caches that every transfer shares: resolved names and TLS sessions.
// Connections are not shared: libcurl does not support one connection cache
// for threads that transfer at the same time, so each thread keeps its own
// (see ThreadHandle). A mutex per kind of data, as libcurl asks of the lock
// callbacks.
class SharedCaches {
 public:
  SharedCaches() : share_(curl_share_init()) {
    if (share_ == nullptr) return;
    curl_share_setopt(share_, CURLSHOPT_LOCKFUNC, Lock);
    curl_share_setopt(share_, CURLSHOPT_UNLOCKFUNC, Unlock);
    curl_share_setopt(share_, CURLSHOPT_USERDATA, this);
    for (curl_lock_data kind : kSharedKinds) curl_share_setopt(share_, CURLSHOPT_SHARE, kind);
  }
  // Never cleaned up: the process may end while workers still transfer.
  CURLSH* get() const { return share_; }

 private:
  static constexpr curl_lock_data kSharedKinds[] = {CURL_LOCK_DATA_DNS, CURL_LOCK_DATA_SSL_SESSION};

  static std::mutex& MutexFor(void* user, curl_lock_data kind) {
    auto* self = static_cast<SharedCaches*>(user);
    return self->mutexes_[static_cast<std::size_t>(kind) % kKinds];
  }
  static void Lock(CURL*, curl_lock_data kind, curl_lock_access, void* user) {
    MutexFor(user, kind).lock();
  }
  static void Unlock(CURL*, curl_lock_data kind, void* user) { MutexFor(user, kind).unlock(); }

  static constexpr std::size_t kKinds = CURL_LOCK_DATA_LAST;
  CURLSH* share_;
  std::mutex mutexes_[kKinds];
};

SharedCaches* Caches = nullptr;  // set once by HttpGlobalInit, before any worker

// The easy handle of the calling thread, kept from call to call so that the
// thread's requests reuse its connections; cleaned up when the thread ends.
class ThreadHandle {
 public:
  ThreadHandle() = default;
  ThreadHandle(const ThreadHandle&) = delete;
  ThreadHandle& operator=(const ThreadHandle&) = delete;
  ~ThreadHandle() {
    if (curl_ != nullptr) curl_easy_cleanup(curl_);
  }

  // The handle with every option at its default (Release left it so); its
  // connections and the share stay. Null when libcurl cannot make one.
  CURL* Fresh() {
    if (curl_ == nullptr) curl_ = curl_easy_init();
    if (curl_ == nullptr) return nullptr;
    if (!shared_ && Caches != nullptr && Caches->get() != nullptr &&
        curl_easy_setopt(curl_, CURLOPT_SHARE, Caches->get()) == CURLE_OK) {
      shared_ = true;
    }
    return curl_;
  }

  // Drops the options of the call that ends, which point into its frame.
  void Release() {
    if (curl_ != nullptr) curl_easy_reset(curl_);
  }

 private:
  CURL* curl_ = nullptr;
  bool shared_ = false;
};

// What the callbacks of one transfer share; lives on the caller's stack.
struct Transfer {
  std::string body;
  bool too_large = false;
  bool idle_exceeded = false;
  bool connected = false;  // a connection is up and the request under way
  Clock::time_point last_activity = Clock::now();
  long idle_ms = 0;
  bool redirecting = false;            // the response being read is a 3xx
  std::vector<std::string> redirects;  // their Location values
};

// The browser's request headers as the list libcurl takes; built once, only
// read afterwards.
curl_slist* BrowserHeaderList() {
  static curl_slist* const list = [] {
    curl_slist* l = nullptr;
    for (const char* header : kBrowserRequestHeaders) l = curl_slist_append(l, header);
    return l;
  }();
  return list;
}

size_t OnBody(char* data, size_t size, size_t count, void* user) {
  auto* t = static_cast<Transfer*>(user);
  const size_t n = size * count;
  t->last_activity = Clock::now();
  if (t->body.size() + n > kMaxBodyBytes) {
    t->too_large = true;
    return 0;  // aborts the transfer with CURLE_WRITE_ERROR
  }
  t->body.append(data, n);
  return n;
}

size_t OnHeader(char* data, size_t size, size_t count, void* user) {
  auto* t = static_cast<Transfer*>(user);
  const size_t n = size * count;
  t->last_activity = Clock::now();
  const std::string_view line(data, n);
  if (line.starts_with("HTTP/")) {
    const size_t space = line.find(' ');
    t->redirecting =
        space != std::string_view::npos && line.size() > space + 1 && line[space + 1] == '3';
  } else if (t->redirecting && n > 9 && strncasecmp(data, "location:", 9) == 0) {
    t->redirects.push_back(TrimmedHeaderValue(line.substr(9)));
  }
  return n;
}

// Called when a new connection is being opened: until it is up the connect
// limit governs, not the inactivity limit.
int OnNewSocket(void* user, curl_socket_t, curlsocktype) {
  static_cast<Transfer*>(user)->connected = false;
  return CURL_SOCKOPT_OK;
}

// Called once a connection is ready, before each request (redirects too):
// from here on the inactivity limit applies.
int OnConnected(void* user, char*, char*, int, int) {
  auto* t = static_cast<Transfer*>(user);
  t->connected = true;
  t->last_activity = Clock::now();
  return CURL_PREREQFUNC_OK;
}

int OnProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  auto* t = static_cast<Transfer*>(user);
  if (!t->connected) return 0;  // the connect limit governs this phase
  const auto idle =
      std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - t->last_activity);
  if (idle.count() >= t->idle_ms) {
    t->idle_exceeded = true;
    return 1;  // aborts the transfer with CURLE_ABORTED_BY_CALLBACK
  }
  return 0;
}

}  // namespace

void CheckUrl(const std::string& url) {
  std::unique_ptr<CURLU, decltype(&curl_url_cleanup)> parsed(curl_url(), curl_url_cleanup);
  if (!parsed) throw HttpError("cannot set up the HTTP request: out of memory");
  if (curl_url_set(parsed.get(), CURLUPART_URL, url.c_str(), 0) != CURLUE_OK) {
    throw HttpError("cannot open the HTTP request: malformed address " + url);
  }
  char* scheme = nullptr;
  bool web = false;
  if (curl_url_get(parsed.get(), CURLUPART_SCHEME, &scheme, 0) == CURLUE_OK) {
    std::string s = scheme;
    web = s == "http" || s == "https";
  }
  curl_free(scheme);
  if (!web) throw HttpError("cannot open the HTTP request: not an http address " + url);
}

namespace {

template <typename T>
void SetOpt(CURL* curl, CURLoption option, T value) {
  CURLcode rc = curl_easy_setopt(curl, option, value);
  if (rc != CURLE_OK) {
    throw HttpError(std::string("cannot set up the HTTP request: ") + curl_easy_strerror(rc));
  }
}

class CurlClient : public HttpClient {
 public:
  HttpResponse Get(const std::string& url, const HttpLimits& limits,
                   HttpCookieJar* cookies) override {
    CheckUrl(url);
    thread_local ThreadHandle thread_handle;
    CURL* curl = thread_handle.Fresh();
    if (curl == nullptr) throw HttpError("cannot set up the HTTP request: libcurl did not start");
    struct ReleaseOnReturn {
      ThreadHandle& handle;
      ~ReleaseOnReturn() { handle.Release(); }
    } release{thread_handle};
    Transfer t;
    t.idle_ms = limits.IdleMs;
    char error[CURL_ERROR_SIZE] = {};

    SetOpt(curl, CURLOPT_URL, url.c_str());
    SetOpt(curl, CURLOPT_HTTPGET, 1L);
    SetOpt(curl, CURLOPT_NOSIGNAL, 1L);
    SetOpt(curl, CURLOPT_ERRORBUFFER, error);
    SetOpt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    SetOpt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    SetOpt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    SetOpt(curl, CURLOPT_MAXREDIRS, kMaxRedirects);
    SetOpt(curl, CURLOPT_SSL_VERIFYPEER, 1L);
    SetOpt(curl, CURLOPT_SSL_VERIFYHOST, 2L);
    SetOpt(curl, CURLOPT_ACCEPT_ENCODING, "");
    SetOpt(curl, CURLOPT_USERAGENT, kBrowserUserAgent);
    SetOpt(curl, CURLOPT_HTTPHEADER, BrowserHeaderList());
    if (cookies != nullptr) LoadCookies(curl, *cookies);
    SetOpt(curl, CURLOPT_CONNECTTIMEOUT_MS, limits.ConnectMs);
    SetOpt(curl, CURLOPT_TIMEOUT_MS, limits.TotalMs);
    SetOpt(curl, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(kMaxBodyBytes));
    SetOpt(curl, CURLOPT_WRITEFUNCTION, OnBody);
    SetOpt(curl, CURLOPT_WRITEDATA, &t);
    SetOpt(curl, CURLOPT_HEADERFUNCTION, OnHeader);
    SetOpt(curl, CURLOPT_HEADERDATA, &t);
    SetOpt(curl, CURLOPT_PREREQFUNCTION, OnConnected);
    SetOpt(curl, CURLOPT_PREREQDATA, &t);
    SetOpt(curl, CURLOPT_XFERINFOFUNCTION, OnProgress);
    SetOpt(curl, CURLOPT_XFERINFODATA, &t);
    SetOpt(curl, CURLOPT_NOPROGRESS, 0L);
    SetOpt(curl, CURLOPT_SOCKOPTFUNCTION, OnNewSocket);
    SetOpt(curl, CURLOPT_SOCKOPTDATA, &t);

    HttpResponse response;
    const CURLcode rc = curl_easy_perform(curl);
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &response.status);
    char* type = nullptr;
    if (curl_easy_getinfo(curl, CURLINFO_CONTENT_TYPE, &type) == CURLE_OK && type) {
      response.content_type = type;
    }
    curl_header* date = nullptr;
    if (curl_easy_header(curl, "Date", 0, CURLH_HEADER, -1, &date) == CURLHE_OK) {
      response.date = date->value;
    }
    char* final_url = nullptr;
    if (curl_easy_getinfo(curl, CURLINFO_EFFECTIVE_URL, &final_url) == CURLE_OK && final_url) {
      response.final_url = final_url;
    }
    response.redirects = std::move(t.redirects);
    for (curl_header* h = nullptr; (h = curl_easy_nextheader(curl, CURLH_HEADER, -1, h));) {
      response.headers.emplace_back(LowerHeaderName(h->name), TrimmedHeaderValue(h->value));
    }
    if (cookies != nullptr) StoreCookies(curl, *cookies);
    if (rc == CURLE_OK) {
      response.completed = true;
      response.body = std::move(t.body);
      return response;
    }
    response.failure = FailureOf(rc, t);
    if (response.failure == HttpFailure::kTooLarge) {
      response.error = "body larger than 32 MiB";
    } else if (response.failure == HttpFailure::kIdleTime) {
      response.error = "no data moved for " + std::to_string(limits.IdleMs) + " ms";
    } else {
      response.error = error[0] ? error : curl_easy_strerror(rc);
    }
    return response;
  }

 private:
  static HttpFailure FailureOf(CURLcode rc, const Transfer& t) {
    if (t.too_large || rc == CURLE_FILESIZE_EXCEEDED) return HttpFailure::kTooLarge;
    if (t.idle_exceeded) return HttpFailure::kIdleTime;
    switch (rc) {
      case CURLE_COULDNT_RESOLVE_HOST:
      case CURLE_COULDNT_RESOLVE_PROXY:
        return HttpFailure::kResolve;
      case CURLE_COULDNT_CONNECT:
        return HttpFailure::kConnect;
      case CURLE_OPERATION_TIMEDOUT:
        return t.connected ? HttpFailure::kTotalTime : HttpFailure::kConnectTime;
      default:
        return HttpFailure::kOther;
    }
  }

  // The handle's cookie engine holds exactly the jar's cookies: a handle that
  // served another engine before keeps none of that engine's.
  // Adding a cookie switches the cookie engine on; "ALL" then empties it.
  // (CURLOPT_COOKIEFILE "" would switch it on too, but its pending file list
  // is never freed by curl_easy_reset, a leak per request.)
  static void LoadCookies(CURL* curl, const HttpCookieJar& cookies) {
    SetOpt(curl, CURLOPT_COOKIELIST, "Set-Cookie: engine=on; domain=engine.invalid");
    SetOpt(curl, CURLOPT_COOKIELIST, "ALL");
    for (const std::string& line : cookies.Lines()) SetOpt(curl, CURLOPT_COOKIELIST, line.c_str());
  }

  static void StoreCookies(CURL* curl, HttpCookieJar& cookies) {
    curl_slist* list = nullptr;
    if (curl_easy_getinfo(curl, CURLINFO_COOKIELIST, &list) != CURLE_OK) return;
    std::vector<std::string> lines;
    for (curl_slist* item = list; item != nullptr; item = item->next)
      lines.emplace_back(item->data);
    curl_slist_free_all(list);
    cookies.Replace(std::move(lines));
  }
};

}  // namespace

HttpClient& CurlHttpClient() {
  static CurlClient client;
  return client;
}

void HttpGlobalInit() {
  static std::once_flag once;
  static CURLcode result = CURLE_OK;
  std::call_once(once, [] {
    result = curl_global_init(CURL_GLOBAL_DEFAULT);
    if (result == CURLE_OK) Caches = new SharedCaches();
  });
  if (result != CURLE_OK) {
    throw HttpError(std::string("cannot start the HTTP library: ") + curl_easy_strerror(result));
  }
}

}  // namespace korvan
