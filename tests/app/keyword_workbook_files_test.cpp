// The keyword workbook on real .xlsx and .xls files made and read back by
// independent writers and readers (openpyxl, xlwt, xlrd, LibreOffice).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "app/keyword_workbook.h"
#include "engines/engine.h"
#include "platform/codepage.h"
#include "platform/date_time.h"
#include "tests/support/keyword_run.h"
#include "tests/support/kill_during_save.h"
#include "tests/support/python_tool.h"
#include "tests/support/temp_dir.h"

#ifndef KORVAN_INTEROP_SCRIPT
#error "KORVAN_INTEROP_SCRIPT names the Python helper"
#endif

namespace korvan {
namespace {

using testing::RunCommand;
using testing::RunPythonTool;

const char* kScript = KORVAN_INTEROP_SCRIPT;

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string G(const std::string& utf8) { return Utf8ToCp936(utf8); }

std::string Source(const std::string& path) { return testing::ConnectionStringFor(path); }

const double kRunDate = *EncodeDate(2026, 12, 8) + *EncodeTime(9, 5, 7);

// One run in which engine e answers results[e][k] for its k-th keyword.
void RunOnce(const std::string& path, const std::vector<std::vector<std::string>>& results) {
  testing::RunAllSheets(path, [&results](int e, int k, const std::string&) {
    return k < static_cast<int>(results[e].size()) ? G(results[e][k]) : std::string();
  });
}

class KeywordWorkbookFilesTest : public ::testing::TestWithParam<std::string> {
 protected:
  void SetUp() override {
    Engines.clear();
    FailCount = 0;
    path_ = dir_.Path("关键字." + GetParam());
    RunPythonTool(kScript, "make-" + GetParam(), path_);
  }
  std::string Dump(const std::string& path) {
    return RunPythonTool(kScript, "dump-" + GetParam(), path);
  }

  testing::TempDir dir_;
  std::string path_;
};

TEST_P(KeywordWorkbookFilesTest, RunWritesTheDayRowsAndKeepsEverythingElse) {
  const std::string before = Dump(path_);
  ASSERT_FALSE(before.empty());
  testing::AddFinishedEngine("百度", kRunDate);
  testing::AddFinishedEngine("Google", kRunDate);
  RunOnce(path_, {{"3,17"}, {"", "?"}});
  EXPECT_EQ(FailCount, 1);

  const std::string expected_sheet =
      R"("www.shop.com": [["日期", "时间", "搜索引擎", "手机壳", "蓝牙耳机-1-50"], )"
      R"(["2026/12/07", "06:00:00", "Google", 2.5, "?"], )"
      R"(["2026-12-08", "09:05:07", "百度", "3,17", 9], )"
      R"(["2026/12/08", "09:05:07", "Google", null, "?"]])";
  const std::string after = Dump(path_);
  EXPECT_NE(after.find(expected_sheet), std::string::npos) << after;
  // The other sheet, the sheet list, the fonts, widths and the date format
  // are as the other program wrote them.
  const auto other_sheet = [](const std::string& dump) {
    const auto start = dump.find("\"第二页\"");
    return start == std::string::npos ? std::string()
                                      : dump.substr(start, dump.find("]]", start) - start);
  };
  EXPECT_FALSE(other_sheet(before).empty());
  EXPECT_EQ(other_sheet(after), other_sheet(before));
  for (const char* fact : {R"("bold_A1": true)", R"("date_A3": true)", R"("width_D": 30.0)",
                           R"("sheets": ["www.shop.com", "第二页"])"}) {
    EXPECT_NE(after.find(fact), std::string::npos) << fact << " in " << after;
  }
  // The backup is the file as the other program wrote it.
  const std::string backup = dir_.Path("backup." + GetParam());  // readers go by the name
  std::filesystem::copy_file(path_ + ".bak", backup);
  EXPECT_EQ(Dump(backup), before);

  // A second run on the same day finds both rows and queries only the empty
  // cell of Google's row.
  RunOnce(path_, {{}, {"8"}});
  EXPECT_NE(Dump(path_).find(R"(["2026/12/08", "09:05:07", "Google", "8", "?"]])"),
            std::string::npos);
}

TEST_P(KeywordWorkbookFilesTest, FormatIsTakenFromTheContentNotTheName) {
  const std::string renamed = dir_.Path(GetParam() == "xls" ? "book.xlsx" : "book.xls");
  std::filesystem::copy_file(path_, renamed);
  WorkbookConnection connection;
  connection.Open(Source(renamed));
  TStringList sheets;
  ReadSheetNames(connection, sheets);
  ASSERT_EQ(sheets.Count(), 2);
  EXPECT_EQ(sheets[0], "www#shop#com$");
  EXPECT_EQ(sheets[1], G("第二页$"));
}

TEST_P(KeywordWorkbookFilesTest, KillDuringSavesLeavesTheOldOrTheNewWorkbook) {
  RunPythonTool(kScript, "make-big-" + GetParam(), path_);
  const auto report =
      testing::KillDuringSaves(OpenWorkbookFile, path_, 8, [this](const std::string& path) {
        // The independent reader must open it, and every data cell holds one
        // version.
        const std::string dump = Dump(path);
        const auto first = dump.find("[\"", dump.find("\"c11\"]"));
        if (first == std::string::npos) {
          ADD_FAILURE() << "no data rows in " << dump.substr(0, 200);
          return 0;
        }
        const std::string version = dump.substr(first + 2, dump.find('"', first + 2) - first - 2);
        std::string row = "[";
        for (int c = 0; c < 12; ++c) row += (c ? ", \"" : "\"") + version + "\"";
        row += "]";
        std::size_t rows = 0;
        for (std::size_t at = dump.find(row); at != std::string::npos;
             at = dump.find(row, at + 1)) {
          ++rows;
        }
        EXPECT_EQ(rows, 1499u) << "version " << version;
        return std::stoi(version);
      });
  EXPECT_GT(report.last_version, 1);
}

TEST(KeywordWorkbookOfficeTest, LibreOfficeReadsTheSavedWorkbook) {
  testing::TempDir dir;
  const std::string path = dir.Path("关键字.xls");
  RunPythonTool(kScript, "make-xls", path);
  Engines.clear();
  testing::AddFinishedEngine("Google", kRunDate);
  RunOnce(path, {{"5", "?"}});
  RunCommand("cd " + testing::ShellQuoted(dir.Path("")) +
             " && HOME=. soffice -env:UserInstallation=file://" + dir.Path("profile") +
             " --headless --convert-to csv " + testing::ShellQuoted(path) + " >/dev/null 2>&1");
  const std::string csv = ReadFile(dir.Path("关键字.csv"));
  EXPECT_NE(csv.find("2026/12/08,09:05:07,Google,5,?"), std::string::npos) << csv;
}

INSTANTIATE_TEST_SUITE_P(Formats, KeywordWorkbookFilesTest, ::testing::Values("xlsx", "xls"));

}  // namespace
}  // namespace korvan
