// Cost of the rank report on a big keyword workbook (by default 200 sheets x
// 3000 rows x 50 keywords, two engines, made by openpyxl): the time to build
// and write the report beside the time of the run's own workbook work (one
// load and one save, the least a run does), the report's peak heap (live
// bytes above those held before it started) and the page's size, for the
// default period of 90 days and the longest one of 3660.
//
// usage: report_bench [SHEETS ROWS KEYWORDS]
//        report_bench --workbook WORKBOOK  (the same on a copy of WORKBOOK)
//        report_bench --page WORKBOOK      (only writes the report beside WORKBOOK)
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <new>
#include <string>

#include "app/keyword_workbook.h"
#include "app/run_report.h"
#include "app/settings.h"
#include "engines/run_globals.h"
#include "platform/codepage.h"
#include "platform/date_time.h"
#include "tests/support/connection_string.h"
#include "tests/support/counting_heap.h"

#ifndef KORVAN_BENCH_SCRIPT
#error "KORVAN_BENCH_SCRIPT names the Python side of the benchmark"
#endif

namespace {

using namespace korvan;
using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

double MiB(long long bytes) { return bytes / 1048576.0; }

// Writes the report of `workbook` with a period of `days`; prints its time,
// peak heap and size, and returns the time.
double MeasureReport(WorkbookConnection& connection, const std::string& workbook, int days) {
  ReportSettings.Days = days;
  const std::size_t before = testing::RestartHeapPeak();
  const auto start = Clock::now();
  const std::string line = WriteRunReport(connection, FailuresOfRun(123, RunFailures));
  const double seconds = SecondsSince(start);
  const auto size = std::filesystem::file_size(ReportPathFor(workbook));
  std::printf("report, %4d days: %7.3f s, peak heap %6.1f MiB, page %5.2f MB (%s)\n", days, seconds,
              MiB(testing::HeapPeakBytes.load() - before), size / 1e6, Cp936ToUtf8(line).c_str());
  return seconds;
}

int PageOnly(const std::string& workbook) {
  RunDate = *EncodeDate(2026, 12, 8) + *EncodeTime(9, 5, 7);
  WorkbookConnection connection;
  connection.Open(testing::ConnectionStringFor(workbook));
  std::printf("%s\n",
              Cp936ToUtf8(WriteRunReport(connection, FailuresOfRun(123, RunFailures))).c_str());
  connection.Close();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "--page") return PageOnly(argv[2]);
  const int sheets = argc >= 4 ? std::atoi(argv[1]) : 200;
  const int rows = argc >= 4 ? std::atoi(argv[2]) : 3000;
  const int keywords = argc >= 4 ? std::atoi(argv[3]) : 50;
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("korvan-report-bench-" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  const std::string workbook = (dir / "关键字.xlsx").string();

  if (argc == 3 && std::string(argv[1]) == "--workbook") {
    std::filesystem::copy_file(argv[2], workbook);
  } else {
    std::printf("workbook: %d sheets x %d rows x %d keywords, engines 百度 and Google\n", sheets,
                rows, keywords);
    const std::string command = std::string("/usr/bin/python3 ") + KORVAN_BENCH_SCRIPT +
                                " make-xlsx " + workbook + " " + std::to_string(sheets) + " " +
                                std::to_string(rows) + " " + std::to_string(keywords + 3);
    if (std::system(command.c_str()) != 0) {
      std::fprintf(stderr, "cannot make the workbook\n");
      return 1;
    }
  }
  std::printf("size: %.1f MB\n", std::filesystem::file_size(workbook) / 1e6);

  RunDate = *EncodeDate(2026, 12, 8) + *EncodeTime(9, 5, 7);
  WorkbookConnection connection;
  auto start = Clock::now();
  connection.Open(testing::ConnectionStringFor(workbook));
  TStringList names;
  ReadSheetNames(connection, names);
  WorkbookTable table(connection);
  for (int i = 0; i < names.Count(); ++i) {  // every sheet read, as a run opens them
    table.SetTableName(names[i]);
    table.Open();
    table.Close();
  }
  const double load = SecondsSince(start);
  std::printf("workbook load: %.2f s, heap %.1f MiB\n", load, MiB(testing::HeapLiveBytes.load()));

  const double report_90 = MeasureReport(connection, workbook, 90);
  const double report_3660 = MeasureReport(connection, workbook, 3660);

  // One save: a changed cell, and the connection's close writes the file.
  table.SetTableName(names[0]);
  table.Open();
  table.MoveLast();
  table.Edit();
  table.SetText(table.FieldName(3), "1");
  table.Update();
  start = Clock::now();
  table.Close();
  const double save = SecondsSince(start);
  connection.Close();
  std::printf("workbook save: %.2f s; load + save %.2f s\n", save, load + save);
  std::printf("report / (load + save): %.3f (90 days), %.3f (3660 days)\n",
              report_90 / (load + save), report_3660 / (load + save));

  std::error_code ec;
  std::filesystem::remove_all(dir, ec);
  return 0;
}
