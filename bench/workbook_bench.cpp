// Cost of one run over a big keyword workbook: 50 sheets x 2000 rows x 40
// columns, in .xlsx and in .xls (made by openpyxl and xlwt). Connect, list
// the tables, open every sheet, PrepareKeywords and WriteResults for two
// engines, close every sheet (each close saves the workbook) and the
// connection. In the same run openpyxl loads the .xlsx, makes the same
// changes and saves it. Every contender runs in a child process of its own,
// so its wall time and peak resident memory are its alone.
//
// usage: workbook_bench [SHEETS ROWS COLUMNS]
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "app/keyword_workbook.h"
#include "engines/engine.h"
#include "platform/codepage.h"
#include "platform/date_time.h"
#include "tests/support/keyword_run.h"

#ifndef KORVAN_BENCH_SCRIPT
#error "KORVAN_BENCH_SCRIPT names the Python side of the benchmark"
#endif

namespace {

using namespace korvan;

struct Figures {
  double seconds = 0;
  double cpu_seconds = 0;  // user and system
  double peak_mb = 0;
  bool ok = false;
};

// Runs `body` in a child process; its wall time and peak resident memory.
template <typename Body>
Figures Measure(Body body) {
  std::fflush(stdout);
  const auto start = std::chrono::steady_clock::now();
  const pid_t pid = fork();
  if (pid == 0) {
    const int code = body();
    std::fflush(stdout);
    _exit(code);
  }
  int status = 0;
  struct rusage usage {};
  wait4(pid, &status, 0, &usage);
  Figures figures;
  figures.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const auto seconds_of = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
  figures.cpu_seconds = seconds_of(usage.ru_utime) + seconds_of(usage.ru_stime);
  figures.peak_mb = usage.ru_maxrss / 1024.0;
  figures.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return figures;
}

int RunPython(const std::string& arguments) {
  const std::string command =
      std::string("/usr/bin/python3 ") + KORVAN_BENCH_SCRIPT + " " + arguments;
  return std::system(command.c_str()) == 0 ? 0 : 1;
}

// The result the benchmark's engines answer for keyword k (the Python side
// answers the same).
std::string ResultOf(int engine_index, int k) {
  if (k % 5 == 4) return "";
  if (k % 3 == 0) return "?";
  return std::to_string(k + 1) + "," + std::to_string(k + 11 + engine_index);
}

// Keyword k's index in the sheet's header, from its column name.
int KeywordIndex(const std::string& cp936_name) {
  const std::string name = Cp936ToUtf8(cp936_name);
  const std::string prefix = "关键字";
  return std::atoi(name.c_str() + prefix.size());
}

// One run of the tool over the workbook, as the run control makes it.
int RunKorvan(const std::string& path) {
  try {
    const double run_date = *EncodeDate(2026, 12, 8) + *EncodeTime(9, 5, 7);
    testing::AddFinishedEngine("百度", run_date);
    testing::AddFinishedEngine("Google", run_date);
    testing::RunAllSheets(path, [](int e, int, const std::string& keyword) {
      return ResultOf(e, KeywordIndex(keyword));
    });
    std::printf("  korvan: %d keywords without an answer\n", FailCount);
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "korvan run failed: %s\n", e.what());
    return 1;
  }
}

void Print(const char* what, const Figures& f) {
  std::printf("%-34s %8.2f s %8.2f s %9.1f MB%s\n", what, f.seconds, f.cpu_seconds, f.peak_mb,
              f.ok ? "" : "  FAILED");
}

}  // namespace

int main(int argc, char** argv) {
  const std::string shape =
      argc >= 4 ? std::string(argv[1]) + " " + argv[2] + " " + argv[3] : std::string("50 2000 40");
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("korvan-bench-" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  const std::string xlsx = (dir / "关键字.xlsx").string();
  const std::string xls = (dir / "关键字.xls").string();
  const std::string xlsx_py = (dir / "python.xlsx").string();

  std::printf("workbook: sheets rows columns = %s\n", shape.c_str());
  if (RunPython("make-xlsx " + xlsx + " " + shape) != 0 ||
      RunPython("make-xls " + xls + " " + shape) != 0) {
    std::fprintf(stderr, "cannot make the workbooks\n");
    return 1;
  }
  std::filesystem::copy_file(xlsx, xlsx_py);
  std::printf("sizes: .xlsx %.1f MB, .xls %.1f MB\n", std::filesystem::file_size(xlsx) / 1048576.0,
              std::filesystem::file_size(xls) / 1048576.0);

  const Figures korvan_xlsx = Measure([&] { return RunKorvan(xlsx); });
  const Figures korvan_xls = Measure([&] { return RunKorvan(xls); });
  const Figures python = Measure([&] { return RunPython("edit-xlsx " + xlsx_py); });

  std::printf("%-34s %10s %10s %12s\n", "", "wall", "cpu", "peak RSS");
  Print("korvan .xlsx (a save per sheet)", korvan_xlsx);
  Print("korvan .xls  (a save per sheet)", korvan_xls);
  Print("openpyxl .xlsx (load, edit, save)", python);
  // Both made the same changes: the two .xlsx files hold the same values.
  const bool same = RunPython("compare-xlsx " + xlsx + " " + xlsx_py) == 0;
  std::printf("korvan's and openpyxl's .xlsx hold the same values: %s\n", same ? "yes" : "NO");
  if (korvan_xlsx.seconds > 0 && korvan_xls.seconds > 0) {
    std::printf("openpyxl / korvan time: .xlsx %.1fx, .xls %.1fx\n",
                python.seconds / korvan_xlsx.seconds, python.seconds / korvan_xls.seconds);
  }
  std::error_code ec;
  std::filesystem::remove_all(dir, ec);
  return korvan_xlsx.ok && korvan_xls.ok && python.ok && same ? 0 : 1;
}
