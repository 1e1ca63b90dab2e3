// Peak memory and time of one page analysis on hostile pages (unclosed tags,
// deep nesting, the start piece at every tag) and on an ordinary result page,
// with each built-in engine's extraction spec. Every case runs in a child
// process of its own: the child builds the page, resets its peak resident set
// (/proc/self/clear_refs), analyses the page once and reports the peak above
// the resident set it had before the analysis, with the wall-clock and the
// processor time the analysis took. The goal is at most 4 x the page + 16 MiB.
//
//   analysis_memory_bench [page MiB, default 32] [case name filter]
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>

#include "bench/hostile_pages.h"
#include "bench/rich_result_pages.h"
#include "engines/default_engines.h"
#include "query/query_thread.h"
#include "query/thread_strings.h"

namespace korvan::bench {
namespace {

// A field of /proc/self/status in KiB ("VmRSS", "VmHWM"); -1 when missing.
long StatusKiB(const std::string& field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(field + ":", 0) == 0)
      return std::strtol(line.c_str() + field.size() + 1, nullptr, 10);
  }
  return -1;
}

bool ResetPeak() {
  std::ofstream clear("/proc/self/clear_refs");
  clear << "5";
  clear.flush();
  return static_cast<bool>(clear);
}

double CpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

const char* kVerdicts[] = {"found", "not found", "no result page"};

// In the child: analyse the page and print one line.
void RunCase(const std::string& name, int engine_row, const std::function<std::string()>& make) {
  const std::string page = make();
  TTheardParam engine;
  engine.Name = "bench";
  engine.Host = std::string(kHostilePageHost);
  engine.ExtractSpec = DefaultEngines[engine_row][2];
  engine.PerPage = 10;
  const bool reset = ResetPeak();
  const long before = StatusKiB("VmRSS");
  std::string result;
  const double cpu_start = CpuSeconds();
  const auto start = std::chrono::steady_clock::now();
  const TPageVerdict verdict = TSeQryThread::AnalyzePage(engine, page, "k", result, false, 1);
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  const double cpu = CpuSeconds() - cpu_start;
  const long peak = reset ? StatusKiB("VmHWM") : -1;
  const double page_mib = static_cast<double>(page.size()) / (1 << 20);
  const double over_mib = peak < 0 ? -1 : static_cast<double>(peak - before) / 1024;
  if (result.size() > 40) {  // the count of ranks, the first and the last
    const std::size_t ranks = std::count(result.begin(), result.end(), ',');
    const std::size_t last = result.find_last_of(',', result.size() - 2) + 1;
    result = std::to_string(ranks) + " ranks: " + result.substr(0, result.find(',')) + ".." +
             result.substr(last, result.size() - last - 1);
  }
  std::printf("%-30s %5.1f %9.1f %9.1f %6.2f %6.2f  %-14s %s\n", name.c_str(), page_mib, over_mib,
              4 * page_mib + 16, took.count(), cpu, kVerdicts[verdict], result.c_str());
  std::fflush(stdout);
}

void Fork(const std::string& name, const std::string& filter, int engine_row,
          const std::function<std::string()>& make) {
  if (!filter.empty() && name.find(filter) == std::string::npos) return;
  std::fflush(stdout);
  const pid_t child = fork();
  if (child == 0) {
    RunCase(name, engine_row, make);
    std::_Exit(0);
  }
  int status = 0;
  rusage usage{};
  if (child < 0 || wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) ||
      WEXITSTATUS(status) != 0) {
    std::printf("%-30s failed\n", name.c_str());
  }
}

}  // namespace
}  // namespace korvan::bench

int main(int argc, char** argv) {
  using namespace korvan::bench;
  const std::size_t size = (argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 32) << 20;
  const std::string filter = argc > 2 ? argv[2] : "";
  const char* engines[] = {"baidu", "google", "so360", "taobao"};
  const std::pair<HostileShape, const char*> shapes[] = {
      {HostileShape::kUnclosed, "unclosed"},
      {HostileShape::kUnclosedHighlighted, "unclosed-highlighted"},
      {HostileShape::kDeepNesting, "deep-nesting"},
      {HostileShape::kStartAtEveryTag, "start-at-every-tag"}};
  std::printf("%-30s %5s %9s %9s %6s %6s  %-14s %s\n", "case", "MiB", "peak+MiB", "goal MiB",
              "wall s", "cpu s", "verdict", "ranks");
  for (int row = 0; row < 4; ++row) {
    for (const auto& [shape, shape_name] : shapes) {
      Fork(std::string(engines[row]) + "/" + shape_name, filter, row,
           [shape, row, size] { return MakeHostilePage(shape, row, size); });
    }
    Fork(std::string(engines[row]) + "/rich", filter, row,
         [row, size] { return MakeRichResultPage(static_cast<PageShape>(row), size); });
  }
  return 0;
}
