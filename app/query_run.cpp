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
  PrintLine(Cp936Text("搜索引擎名称 【") + engine.Name + Cp936Text("】 无法写入工作簿，【") +
            sheet + Cp936Text("】 中供它搜索的 【") + std::to_string(keywords.Count()) +
            Cp936Text("】 个关键字计为查询失败..."));
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
  PrintLine(Cp936Text("搜索引擎 【") + engine.Name + Cp936Text("】 已在本次查询中停止，【") +
            sheet + Cp936Text("】 中供它搜索的 【") + std::to_string(count) +
            Cp936Text("】 个关键字计为查询失败..."));
}

// Collects the keywords of every enabled engine and starts its worker;
// returns whether any worker was started.
bool StartWorkers(TRunTable& table, const std::string& sheet, bool skip_filled) {
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
    PrintLine(Cp936Text("【") + sheet + Cp936Text("】 中找到 【") +
              std::to_string(engine.Keywords->Count()) + Cp936Text("】 个供 【") + engine.Name +
              Cp936Text("】 搜索的关键字..."));
    TSeQryThread::Create(static_cast<int>(j));
  }
  return started;
}

}  // namespace

void RunSheet(TRunTable& table, const std::string& table_name, bool skip_filled) {
  if (table.IsOpen) {
    table.IsOpen = false;
    table.Table.Close();
  }
  table.Table.SetTableName(table_name);
  StopFlag.store(false, std::memory_order_release);
  try {
    table.Table.Open();
  } catch (const WorkbookError&) {
    PrintLine(Cp936Text("打开工作表 【") + table_name + Cp936Text("】 失败！跳过..."));
    return;
  }
  table.IsOpen = true;

  const std::string sheet = SheetHost(table_name);
  if (StartWorkers(table, sheet, skip_filled)) {
    TEscKeyThread::Create();
  } else {
    PrintLine(Cp936Text("【") + sheet + Cp936Text("】 中没有找到可供搜索的关键字..."));
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
