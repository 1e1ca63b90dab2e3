#include "app/query_run.h"

#include <chrono>
#include <thread>

#include "app/keyword_workbook.h"
#include "app/run_report.h"
#include "app/run_summary.h"
#include "app/settings.h"
#include "app/workers.h"
#include "engines/engine.h"
#include "platform/codepage.h"
#include "platform/console_output.h"
#include "platform/tick_count.h"
#include "query/engine_blocks.h"
#include "query/esc_key_thread.h"
#include "query/fail_reasons.h"
#include "query/query_thread.h"
#include "query/thread_strings.h"
#include "text/string_helpers.h"

namespace korvan {

namespace {

// Console texts, code page 936.
struct Texts {
  std::string open_failed_head = Utf8ToCp936("打开工作表 【");
  std::string open_failed_tail = Utf8ToCp936("】 失败！跳过...");
  std::string open_bracket = Utf8ToCp936("【");
  std::string found_mid1 = Utf8ToCp936("】 中找到 【");
  std::string found_mid2 = Utf8ToCp936("】 个供 【");
  std::string found_tail = Utf8ToCp936("】 搜索的关键字...");
  std::string none_tail = Utf8ToCp936("】 中没有找到可供搜索的关键字...");
  std::string unholdable_head = Utf8ToCp936("搜索引擎名称 【");
  std::string unholdable_mid1 = Utf8ToCp936("】 无法写入工作簿，【");
  std::string unholdable_mid2 = Utf8ToCp936("】 中供它搜索的 【");
  std::string unholdable_tail = Utf8ToCp936("】 个关键字计为查询失败...");
  std::string stopped_head = Utf8ToCp936("搜索引擎 【");
  std::string stopped_mid1 = Utf8ToCp936("】 已在本次查询中停止，【");
};

const Texts& T() {
  static const Texts texts;
  return texts;
}

constexpr auto kPollInterval = std::chrono::milliseconds(100);

void PrintQueuedLine() {
  std::string line;
  MessageQueue.Take(line);
  if (!line.empty()) PrintLine(line);
}

// An engine whose name a cell cannot hold would get a day's row that is
// never found again: its keywords on the sheet are not queried but counted
// as failed, with a line that says why.
void RefuseEngineOnSheet(TRunTable& table, const std::string& sheet, const TTheardParam& engine) {
  TStringList keywords;
  ReadKeywordColumns(table.Table, keywords);
  FailCount += keywords.Count();
  RunFailures.Add(frNameUnwritable, keywords.Count());
  const Texts& t = T();
  PrintLine(t.unholdable_head + engine.Name + t.unholdable_mid1 + sheet + t.unholdable_mid2 +
            std::to_string(keywords.Count()) + t.unholdable_tail);
}

// An engine stopped earlier in the run for refusing this client is not asked
// again: its keywords on the sheet get the day's row and count as failed, so
// that a failed-keyword re-query asks for them later.
void SkipStoppedEngine(TRunTable& table, const std::string& sheet, TTheardParam& engine,
                       bool skip_filled) {
  PrepareKeywords(engine.Name, table.Table, skip_filled, *engine.Keywords, engine.RunDate);
  engine.Results->Clear();
  const int count = engine.Keywords->Count();
  engine.Keywords->Clear();
  if (count == 0) return;
  FailCount += count;
  RunFailures.Add(frEngineStopped, count);
  const Texts& t = T();
  PrintLine(t.stopped_head + engine.Name + t.stopped_mid1 + sheet + t.unholdable_mid2 +
            std::to_string(count) + t.unholdable_tail);
}

// Collects the keywords of every enabled engine and starts its worker;
// returns whether any worker was started.
bool StartWorkers(TRunTable& table, const std::string& sheet, bool skip_filled) {
  const Texts& t = T();
  const std::string host = LowerAscii(sheet);
  bool started = false;
  for (std::size_t j = 0; j < Engines.size(); ++j) {
    TTheardParam& engine = Engines[j];
    engine.Host = host;
    if (!EngineEnabledFor(static_cast<int>(j))) continue;
    if (!WorkbookCanHoldText(engine.Name)) {
      RefuseEngineOnSheet(table, sheet, engine);
      continue;
    }
    if (EngineBlocks.Stopped(engine.Name)) {
      SkipStoppedEngine(table, sheet, engine, skip_filled);
      continue;
    }
    PrepareKeywords(engine.Name, table.Table, skip_filled, *engine.Keywords, engine.RunDate);
    engine.Results->Clear();
    if (engine.Keywords->Empty()) continue;
    started = true;
    PrintLine(t.open_bracket + sheet + t.found_mid1 + std::to_string(engine.Keywords->Count()) +
              t.found_mid2 + engine.Name + t.found_tail);
    TSeQryThread::Create(static_cast<int>(j));
  }
  return started;
}

}  // namespace

void RunSheet(TRunTable& table, const std::string& table_name, bool skip_filled) {
  const Texts& t = T();
  if (table.IsOpen) {
    table.IsOpen = false;
    table.Table.Close();
  }
  table.Table.SetTableName(table_name);
  StopFlag.store(false, std::memory_order_release);
  try {
    table.Table.Open();
  } catch (const WorkbookError&) {
    PrintLine(t.open_failed_head + table_name + t.open_failed_tail);
    return;
  }
  table.IsOpen = true;

  const std::string sheet = SheetHost(table_name);
  if (StartWorkers(table, sheet, skip_filled)) {
    TEscKeyThread::Create();
  } else {
    PrintLine(t.open_bracket + sheet + t.none_tail);
  }

  while (!AllWorkersDone()) {
    PrintQueuedLine();
    std::this_thread::sleep_for(kPollInterval);
  }
  StopFlag.store(true, std::memory_order_release);
  while (MessageQueue.Count() >= 1) PrintQueuedLine();

  for (std::size_t j = 0; j < Engines.size(); ++j) WriteResults(table.Table, static_cast<int>(j));
  // The sheet's results go to disk now, not when the next sheet opens or the
  // program ends: a console closed at the end menu loses nothing.
  table.IsOpen = false;
  table.Table.Close();
}

void RunSheets(TRunTable& table, const TStringList& sheet_names, bool skip_filled) {
  const std::uint32_t start = GetTickCount();
  FailCount = 0;
  TSeQryThread::BeginRun();
  for (int i = 0; i < sheet_names.Count(); ++i) RunSheet(table, sheet_names[i], skip_filled);
  const std::string report_line =
      WriteRunReport(table.Connection, FailuresOfRun(FailCount, RunFailures));
  PrintRunSummary(FailCount, RunFailures, EngineBlocks.StoppedEngines(),
                  TicksSince(start, GetTickCount()), report_line);
}

}  // namespace korvan
