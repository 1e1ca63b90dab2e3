// The client component's browser next to the plain HTTP client, per result
// page on a loopback server: wall time of FetchPage (median of the runs) for
// a 100 KB and a 1 MB Google-shaped page, the memory each side needs, and
// the browser's start-up cost once per engine.
//
// Memory: the plain client's is the growth of this process's peak resident
// size; the browser's is that of its processes (its process group) after the
// pages: the sum of their proportional set sizes (shared pages split between
// the processes that share them) and the sum of their peak resident sizes
// (an upper bound, shared pages counted in every process).
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/rich_result_pages.h"
#include "platform/browser_client.h"
#include "platform/http_client.h"
#include "platform/response_text.h"
#include "query/fetch_page.h"
#include "tests/support/loopback_server.h"
#include "text/string_helpers.h"

namespace {

using namespace korvan;
using Clock = std::chrono::steady_clock;

constexpr int kRuns = 20;

double Ms(Clock::time_point since) {
  return std::chrono::duration<double, std::milli>(Clock::now() - since).count();
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

double PeakRssMiB() {
  rusage r{};
  getrusage(RUSAGE_SELF, &r);
  return r.ru_maxrss / 1024.0;
}

// A "Key:  N kB" line of a /proc file, in MiB; 0 when absent.
double ProcKb(const std::string& path, const std::string& key) {
  std::ifstream in(path);
  for (std::string line; std::getline(in, line);) {
    if (line.rfind(key + ":", 0) == 0) return std::stod(line.substr(key.size() + 1)) / 1024.0;
  }
  return 0;
}

struct GroupMemory {
  int processes = 0;
  double pss_mib = 0;
  double peak_rss_mib = 0;
};

GroupMemory MemoryOfGroup(pid_t group) {
  GroupMemory m;
  for (const auto& entry : std::filesystem::directory_iterator("/proc")) {
    const std::string pid = entry.path().filename().string();
    if (pid.find_first_not_of("0123456789") != std::string::npos) continue;
    std::ifstream stat(entry.path() / "stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    const std::size_t close = text.rfind(')');
    if (close == std::string::npos) continue;
    char state = 0;
    int ppid = 0, pgrp = 0;
    if (std::sscanf(text.c_str() + close + 1, " %c %d %d", &state, &ppid, &pgrp) != 3) continue;
    if (pgrp != group) continue;
    ++m.processes;
    m.pss_mib += ProcKb("/proc/" + pid + "/smaps_rollup", "Pss");
    m.peak_rss_mib += ProcKb("/proc/" + pid + "/status", "VmHWM");
  }
  return m;
}

// Median milliseconds over kRuns of `fetch` (which returns the page text in
// code page 936, lower-cased, as FetchPage does), checking every page came.
template <typename Fetch>
double TimePages(const std::string& url, Fetch fetch) {
  std::vector<double> runs;
  for (int i = 0; i < kRuns; ++i) {
    const auto start = Clock::now();
    const std::string text = fetch(url + "&n=" + std::to_string(i));
    runs.push_back(Ms(start));
    if (text.find("</html>") == std::string::npos) {
      std::fprintf(stderr, "no page from %s\n", url.c_str());
      std::exit(1);
    }
  }
  return Median(runs);
}

}  // namespace

int main() {
  const std::string browser = FindBrowserExecutable();
  if (browser.empty()) {
    std::printf("no browser installed: apt-get install %s\n", kBrowserPackage);
    return 1;
  }
  testing::ClearProxyEnvironment();
  HttpGlobalInit();
  const std::string page_100k = bench::MakeRichResultPage(bench::PageShape::kGoogle, 100 << 10);
  const std::string page_1m = bench::MakeRichResultPage(bench::PageShape::kGoogle, 1 << 20);
  testing::LoopbackServer server([&](const std::string& target) {
    testing::Reply reply;
    reply.content_type = "text/html; charset=gbk";
    reply.body = target.rfind("/1m", 0) == 0     ? page_1m
                 : target.rfind("/100k", 0) == 0 ? page_100k
                                                 : "<html><body>tiny</body></html>";
    return reply;
  });

  // Start-up: the first page of a new client against its next ones.
  std::vector<double> starts, tiny;
  for (int i = 0; i < 5; ++i) {
    auto client = MakeBrowserClient(browser);
    auto start = Clock::now();
    client->LoadPage(server.BaseUrl() + "/tiny?i=0", 30000);
    starts.push_back(Ms(start));
    for (int j = 1; j <= 5; ++j) {
      start = Clock::now();
      client->LoadPage(server.BaseUrl() + "/tiny?i=" + std::to_string(j), 30000);
      tiny.push_back(Ms(start));
    }
    if (i == 0) {
      const GroupMemory idle = MemoryOfGroup(client->ProcessId());
      std::printf("browser started: %d processes, %.1f MiB (sum of PSS)\n", idle.processes,
                  idle.pss_mib);
    }
  }
  std::printf(
      "browser start-up once per engine: first page %.0f ms, next pages %.1f ms "
      "(medians of %zu and %zu): start-up cost %.0f ms\n",
      Median(starts), Median(tiny), starts.size(), tiny.size(), Median(starts) - Median(tiny));

  TTheardParam plain;
  plain.Timeout = 10000;
  for (auto [label, path] : {std::pair{"100 KB", "/100k?q=x"}, {"1 MB", "/1m?q=x"}}) {
    const double peak_before = PeakRssMiB();
    const double plain_ms = TimePages(server.BaseUrl() + path, [&](const std::string& url) {
      return FetchPage(plain, url).Text;
    });
    const double plain_growth = PeakRssMiB() - peak_before;
    // The browser's part of FetchPage, with the same conversion after it.
    auto client = MakeBrowserClient(browser);
    client->LoadPage(server.BaseUrl() + "/tiny", 30000);
    const double browser_ms = TimePages(server.BaseUrl() + path, [&](const std::string& url) {
      const BrowserPage page = client->LoadPage(url, 30000);
      return LowerAscii(ResponseTextCp936(page.html, "text/html; charset=utf-8"));
    });
    const GroupMemory memory = MemoryOfGroup(client->ProcessId());
    std::printf(
        "%-6s page: plain client %6.1f ms, peak memory +%.1f MiB; browser %6.1f ms, "
        "%d processes, %.1f MiB (sum of PSS), %.1f MiB (sum of peak RSS)\n",
        label, plain_ms, plain_growth, browser_ms, memory.processes, memory.pss_mib,
        memory.peak_rss_mib);
  }
  std::printf("(per page: medians of %d; korvan's own peak RSS at the end %.1f MiB)\n", kRuns,
              PeakRssMiB());
  return 0;
}
