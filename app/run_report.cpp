#include "app/run_report.h"

#include <exception>
#include <filesystem>
#include <fstream>

#include "app/keyword_workbook.h"
#include "app/report_html.h"
#include "app/settings.h"
#include "engines/engine.h"
#include "engines/run_globals.h"
#include "platform/codepage.h"
#include "platform/wide_text.h"
#include "platform/workbook/atomic_replace.h"

namespace korvan {

namespace {

// The floor of an engine's MaxCount, for engines the settings do not know.
constexpr int kUnknownEngineLimit = 10;

int EngineLimit(const std::string& utf8_name) {
  const std::string name = Utf8ToCp936(utf8_name);
  for (const TTheardParam& engine : Engines) {
    if (engine.Name == name) return engine.MaxCount;
  }
  return kUnknownEngineLimit;
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(FsPath(path), std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  if (!out) throw WorkbookError("cannot write " + path);
}

}  // namespace

std::string ReportPathFor(const std::string& workbook_path) {
  std::string path = Utf8OfPath(FsPath(workbook_path).replace_extension(".html"));
  // A workbook that is itself named ".html" is never replaced by its report.
  if (path == workbook_path) path += ".html";
  return path;
}

std::vector<TReportFailure> FailuresOfRun(std::int32_t fail_count, const TFailTally& reasons) {
  std::vector<TReportFailure> failures;
  std::int32_t counted = 0;
  for (int r = frNone + 1; r < kFailReasonCount; ++r) {
    const auto reason = static_cast<TFailReason>(r);
    if (reasons.Count(reason) <= 0) continue;
    std::string words = ReasonSummaryUtf8(reason);
    if (words.ends_with("...")) words.resize(words.size() - 3);
    failures.push_back({std::move(words), reasons.Count(reason)});
    counted += reasons.Count(reason);
  }
  if (fail_count > counted) failures.push_back({"其他原因", fail_count - counted});
  return failures;
}

TRankReport BuildRunReport(WorkbookConnection& connection, double run_date, int days,
                           std::vector<TReportFailure> failures) {
  TRankReportBuilder builder(run_date, days, EngineLimit);
  const auto schema = connection.TableSchema();
  for (std::size_t sheet = 0; sheet < schema.size(); ++sheet) {
    builder.AddSheet(Cp936ToUtf8(SheetHost(schema[sheet].TableName)),
                     connection.Cells(static_cast<int>(sheet)));
  }
  return builder.Build(std::move(failures));
}

std::string WriteRunReport(WorkbookConnection& connection, std::vector<TReportFailure> failures) {
  if (!ReportSettings.Enabled) return {};
  std::string path;
  try {
    path = ReportPathFor(connection.FilePath());
    const std::string page = RenderReportHtml(
        BuildRunReport(connection, RunDate, ReportSettings.Days, std::move(failures)));
    std::error_code ec;
    const std::string mode_source =
        std::filesystem::exists(FsPath(path), ec) ? path : connection.FilePath();
    RemoveStaleTemporaries(path);
    ReplaceFileAtomically(path, mode_source,
                          [&page](const std::string& temp) { WriteFile(temp, page); });
  } catch (const std::exception& e) {
    return Cp936Text("排名报告写入失败 【") + Utf8ToCp936(e.what()) + Cp936Text("】...");
  }
  return Cp936Text("排名报告已写入 【") + Utf8ToCp936(Utf8OfPath(FsPath(path).filename())) +
         Cp936Text("】...");
}

}  // namespace korvan
