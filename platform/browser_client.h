// A headless Chromium that loads result pages the way a desktop browser does:
// it runs the page's scripts and keeps the cookies its sites set. On Linux
// it is Debian's chromium; on Windows, Chrome or else Edge.
//
// How it is driven: Chromium's remote-debugging protocol over the pipe that
// --remote-debugging-pipe opens, JSON messages separated by NUL bytes. On
// Linux the pipe is the child's descriptors 3 and 4 (one socket pair here);
// on Windows it is two inherited pipe handles, named by
// --remote-debugging-io-pipes and also given as the C runtime's descriptors
// 3 and 4 for browsers older than that switch. One long-lived browser
// process serves every page of its client: a page costs one navigation in
// an open tab, so its time stays close to the browser's own load time, and
// the cookie store of the browser's profile is kept across pages as in any
// browser. No port is opened and no WebSocket or WebDriver server sits in
// between; one headless process per page would pay the browser's start-up
// on every page and lose its cookies.
//
// The browser starts at the first LoadPage, in a new profile folder
// "korvan-browser-<pid>-<unique>" in the folder for temporary files ($TMPDIR
// or /tmp; Windows' own). It ends with korvan however korvan ends.
// - Linux: it runs in a process group of its own and gets SIGKILL when
//   korvan is gone (parent-death signal); its helpers end when its protocol
//   pipe closes; a small guard shell, started beside it in a session of its
//   own, waits for korvan's end, kills the browser's group and removes the
//   profile folder (kill -9 of korvan included).
// - Windows: it runs in a job object that ends every process in it when
//   korvan's handle to the job closes, which the system does at korvan's
//   end, whatever the end.
// A folder whose korvan died before removing it is removed by
// RemoveStaleBrowserProfiles.
//
// Proxies: http_proxy, https_proxy, all_proxy and no_proxy (or their upper
// case names) become --proxy-server and --proxy-bypass-list; without them
// the browser uses the system's proxy settings. As root on Linux the
// browser's sandbox cannot start, so then, and only then, it runs without.
//
// Threads: a BrowserClient serves one call at a time (calls are serialised
// by a lock); different clients run in parallel.
#pragma once

#include <sys/types.h>

#include <memory>
#include <string>
#include <vector>

namespace korvan {

// The Debian package that gives korvan its browser (empty on Windows, where
// the browser is not a package), and what a user without a browser is told
// to install (UTF-8).
#ifdef _WIN32
inline constexpr const char* kBrowserPackage = "";
inline constexpr const char* kBrowserInstallHint = "请安装 Chrome 或 Edge 浏览器";
#else
inline constexpr const char* kBrowserPackage = "chromium-headless-shell";
inline constexpr const char* kBrowserInstallHint = "请安装软件包 【chromium-headless-shell】";
#endif

enum class BrowserFailure {
  kNone,
  kNoBrowser,  // the browser could not be started
  kTimeLimit,  // the page did not finish loading within the time limit
  kCrashed,    // the browser or the page's renderer ended during the load
  kHung,       // the browser stopped answering; it was ended
  kStatus,     // the main document came with a status other than 200
  kNetwork,    // the navigation failed (error: Chromium's net::ERR_... text)
  kTooLarge,   // the document is larger than the body limit of the HTTP client
};

struct BrowserPage {
  BrowserFailure failure = BrowserFailure::kNone;
  long status = 0;        // HTTP status of the main document (0: none arrived)
  std::string final_url;  // address of the main document after redirects
  std::string html;       // the document as the browser holds it, UTF-8
  std::string error;      // why it failed, for a user (empty on success)
};

class BrowserClient {
 public:
  virtual ~BrowserClient() = default;
  // Navigates to `url` and returns the document once the page has stopped
  // loading (its load event has fired, and the pages that its scripts went
  // on to have loaded too) and the timers its scripts queued without delay
  // have run. A page that is not loaded
  // after `limit_ms` fails with kTimeLimit; its tab is replaced so the next
  // page starts clean. A browser that has ended or hangs is ended and
  // started again (with a new profile) at the next call.
  virtual BrowserPage LoadPage(const std::string& url, long limit_ms) = 0;
  // Process id of the running browser, 0 when none runs (for tests).
  virtual pid_t ProcessId() const = 0;
};

// The browser executable on this machine, or empty when none is installed.
// Linux: the headless shell first, then the full chromium. Windows: Chrome,
// then Edge, as registered under "App Paths" or in their usual folders.
std::string FindBrowserExecutable();

// A client of the browser at `executable`; starts nothing yet.
std::unique_ptr<BrowserClient> MakeBrowserClient(std::string executable);

// Removes profile folders left behind by korvan executions that are gone.
void RemoveStaleBrowserProfiles();

// The proxy switches for Chromium from curl-style proxy variables; `env`
// reads one variable (nullptr when unset).
std::vector<std::string> BrowserProxySwitches(const char* (*env)(const char* name));

}  // namespace korvan
