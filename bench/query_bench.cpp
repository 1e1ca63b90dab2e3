// Cost of the query engine per request against a loopback server that
// answers at once: 4 engines x 200 keywords x 2 pages with PauseTime 0.
// The server runs in a child process, so the CPU time measured here is the
// tool's alone. The same number of requests made by one curl process (one
// URL list) is the reference.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>

#include "platform/codepage.h"
#include "platform/http_client.h"
#include "query/query_thread.h"
#include "query/thread_strings.h"
#include "tests/support/http_test_server.h"
#include "tests/support/result_pages.h"

namespace {

using namespace korvan;
using Clock = std::chrono::steady_clock;

constexpr int kKeywords = 200;
constexpr int kPages = 2;

struct EngineShape {
  const char* name;
  const char* path;  // path and query of the URL template
  const char* spec;
  int per_page;
};

const EngineShape kShapes[] = {
    {"baidu", "/b?wd=[keyword]&pn=[0,0,10]&rn=10",
     "<table[*]>,<div[*]>|</table>,</div>|<div id=\"content_left\">|<[*]id=\"1\"[*]>|1", 10},
    {"google", "/g?q=[keyword]&start=[0,0,10]",
     "<li class=\"g\"[*]>|</li>|<li class=\"g\"[*]>|..|0", 10},
    {"360so", "/s?q=[keyword]&pn=[0,1,1]",
     "<li[*]>|</li>|[*]<div id=\"main\">[*]|<li id=\"first\"[*]>|0", 10},
    {"taobao", "/t?q=[keyword]&s=[0,0,40]", "<div[*]>|</div>|[*]<!--结果内容区-->[*]|..|2", 40},
};

double CpuSeconds(const rusage& r) {
  return r.ru_utime.tv_sec + r.ru_stime.tv_sec + (r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1e6;
}

// A plain HTTP/1.1 responder: one thread per connection, keep-alive, no
// compression, no logging, so that it answers at once. Serves the page of
// each shape by the first letter of the path; runs until killed. Writes its
// base URL to `url_pipe`.
[[noreturn]] void ServeForever(int url_pipe) {
  using testing::HostsWith;
  static const std::string pages[4] = {
      testing::BaiduShapedPage(HostsWith("www.target.com", {})),
      testing::GoogleShapedPage(HostsWith("www.target.com", {})),
      testing::So360ShapedPage(HostsWith("www.target.com", {})),
      testing::TaobaoShapedPage(HostsWith("www.target.com", {}, 40)),
  };
  int listener = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof addr;
  if (bind(listener, reinterpret_cast<sockaddr*>(&addr), len) != 0 || listen(listener, 128) != 0 ||
      getsockname(listener, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
    _exit(1);
  }
  std::string url = "http://127.0.0.1:" + std::to_string(ntohs(addr.sin_port));
  if (write(url_pipe, url.data(), url.size()) < 0) _exit(1);
  close(url_pipe);
  while (true) {
    int fd = accept(listener, nullptr, nullptr);
    if (fd < 0) continue;
    std::thread([fd] {
      int one = 1;
      setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
      std::string in;
      char buf[4096];
      while (true) {
        size_t end = in.find("\r\n\r\n");
        if (end == std::string::npos) {
          ssize_t n = read(fd, buf, sizeof buf);
          if (n <= 0) break;
          in.append(buf, static_cast<size_t>(n));
          continue;
        }
        size_t slash = in.find('/');
        char kind = slash + 1 < in.size() ? in[slash + 1] : 0;
        in.erase(0, end + 4);
        const std::string& body = kind == 'b'   ? pages[0]
                                  : kind == 'g' ? pages[1]
                                  : kind == 's' ? pages[2]
                                                : pages[3];
        std::string out =
            "HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=utf-8\r\n"
            "Content-Length: " +
            std::to_string(body.size()) + "\r\n\r\n" + body;
        if (write(fd, out.data(), out.size()) < 0) break;
      }
      close(fd);
    }).detach();
  }
}

struct Run {
  double wall = 0, cpu = 0;
  int requests = 0;
};

Run RunWorkers(const std::string& base_url) {
  Engines.clear();
  for (const auto& shape : kShapes) {
    TTheardParam& e = Engines.emplace_back();
    e.Name = shape.name;
    e.Host = "www.target.com";
    e.UrlTemplate = base_url + shape.path;
    e.ExtractSpec = Utf8ToCp936(shape.spec);
    e.PerPage = shape.per_page;
    e.MaxCount = 10;
    e.Timeout = 5000;
    e.Keywords = std::make_unique<TStringList>();
    e.Results = std::make_unique<TStringList>();
    for (int i = 0; i < kKeywords; ++i) {
      e.Keywords->Add("kw" + std::to_string(i) + "-1-" + std::to_string(kPages * shape.per_page));
    }
  }
  rusage before{}, after{};
  getrusage(RUSAGE_SELF, &before);
  const auto start = Clock::now();
  for (size_t i = 0; i < Engines.size(); ++i) TSeQryThread::Create(static_cast<int>(i));
  std::string line;
  while (true) {
    bool all = true;
    for (auto& e : Engines) all = all && e.Done.load(std::memory_order_acquire);
    while (MessageQueue.Count() > 0) MessageQueue.Take(line);
    if (all) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  Run run;
  run.wall = std::chrono::duration<double>(Clock::now() - start).count();
  getrusage(RUSAGE_SELF, &after);
  run.cpu = CpuSeconds(after) - CpuSeconds(before);
  for (auto& e : Engines) {
    for (int i = 0; i < e.Results->Count(); ++i) {
      if ((*e.Results)[i] != "?")
        std::fprintf(stderr, "unexpected result for %s\n", e.Name.c_str());
    }
  }
  run.requests = static_cast<int>(Engines.size()) * kKeywords * kPages;
  return run;
}

Run RunCurl(const std::string& base_url) {
  const std::string config = "/tmp/korvan_query_bench_" + std::to_string(getpid()) + ".curl";
  {
    std::ofstream out(config);
    for (const auto& shape : kShapes) {
      for (int i = 0; i < kKeywords; ++i) {
        for (int p = 0; p < kPages; ++p) {
          std::string path = std::string(shape.path).substr(0, 2) + "?q=kw" + std::to_string(i) +
                             "&p=" + std::to_string(p);
          out << "url = \"" << base_url << path << "\"\noutput = \"/dev/null\"\n";
        }
      }
    }
  }
  Run run;
  const auto start = Clock::now();
  pid_t child = fork();
  if (child == 0) {
    execlp("curl", "curl", "-s", "-K", config.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  wait4(child, &status, 0, &usage);
  run.wall = std::chrono::duration<double>(Clock::now() - start).count();
  run.cpu = CpuSeconds(usage);
  run.requests = static_cast<int>(std::size(kShapes)) * kKeywords * kPages;
  unlink(config.c_str());
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) std::fprintf(stderr, "curl failed\n");
  return run;
}

void Print(const char* what, const Run& run) {
  std::printf(
      "%-8s %5d requests  %7.3f s  %8.0f requests/s  %7.1f us wall/request  %6.1f us CPU/request\n",
      what, run.requests, run.wall, run.requests / run.wall, run.wall / run.requests * 1e6,
      run.cpu / run.requests * 1e6);
}

}  // namespace

int main() {
  int fds[2];
  if (pipe(fds) != 0) return 1;
  pid_t server = fork();
  if (server == 0) {
    close(fds[0]);
    ServeForever(fds[1]);
  }
  close(fds[1]);
  char buf[128] = {};
  ssize_t n = read(fds[0], buf, sizeof buf - 1);
  close(fds[0]);
  if (n <= 0) return 1;
  const std::string base_url(buf, static_cast<size_t>(n));

  testing::ClearProxyEnvironment();
  HttpGlobalInit();
  Run tool = RunWorkers(base_url);
  Run curl = RunCurl(base_url);
  Print("korvan", tool);
  Print("curl", curl);
  std::printf("time per request, korvan / curl: %.2f (wall), %.2f (CPU)\n",
              (tool.wall / tool.requests) / (curl.wall / curl.requests),
              (tool.cpu / tool.requests) / (curl.cpu / curl.requests));
  kill(server, SIGTERM);
  waitpid(server, nullptr, 0);
  return 0;
}
