#include "platform/workbook/workbook_table.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "platform/codepage.h"
#include "platform/workbook/backup_copy.h"
#include "platform/workbook/cell_text.h"
#include "platform/workbook/file_lock.h"
#include "tests/support/connection_string.h"
#include "tests/support/fake_workbook.h"
#include "tests/support/kill_during_save.h"
#include "tests/support/temp_dir.h"

namespace korvan {
namespace {

using testing::FakeSheet;
using testing::NumberCell;
using testing::TextCell;
using testing::TextSheet;
using Strings = std::vector<std::string>;

std::string G(const std::string& utf8) { return Utf8ToCp936(utf8); }

std::string Source(const std::string& path) { return testing::ConnectionStringFor(path); }

Strings FilesIn(const std::string& folder) {
  Strings names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

// Runs `body` in a child process and returns its exit code (-1 when killed).
template <typename Body>
int RunInChild(Body body) {
  const pid_t pid = fork();
  if (pid == 0) _exit(body());
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

FakeSheet ShopSheet() {
  FakeSheet sheet = TextSheet("www.shop.com", {{"日期", "时间", "搜索引擎", "", "手机壳"}});
  auto& rows = sheet.cells.rows;
  rows.push_back({NumberCell(46364, true), TextCell("08:00:00"), TextCell("百度"), TextCell("note"),
                  NumberCell(3)});
  Cell yes;
  yes.kind = Cell::Kind::Boolean;
  yes.number = 1;
  rows.push_back({TextCell("2026/12/09"), NumberCell(2.5), TextCell("Google"), Cell{}, yes});
  rows.push_back({Cell{}, Cell{}, Cell{}, TextCell(""), NumberCell(100000)});
  rows.push_back({});  // empty rows below the last value are no records
  rows.push_back({Cell{}, TextCell("")});
  return sheet;
}

class WorkbookTableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = dir_.Path("关键字.xls");
    testing::WriteFake(
        path_, {TextSheet("first.sheet.cn", {{"a"}}), ShopSheet(), TextSheet("店铺)list", {})});
  }

  // The cells of sheet `sheet` as the file holds them now, as texts.
  std::vector<Strings> SavedTexts(int sheet) const {
    std::vector<Strings> rows;
    const auto sheets = testing::ParseFake(testing::ReadBytes(path_), path_);
    for (const auto& row : sheets.at(sheet).cells.rows) {
      rows.emplace_back();
      for (const auto& cell : row) rows.back().push_back(CellText(cell));
    }
    return rows;
  }

  testing::TempDir dir_;
  std::string path_;
};

TEST_F(WorkbookTableTest, SheetsAreTablesWithHeaderFieldsAndRecordsAsText) {
  WorkbookConnection connection(testing::OpenFakeWorkbook);
  EXPECT_FALSE(connection.IsOpen());
  connection.Open(Source(path_));
  EXPECT_TRUE(connection.IsOpen());
  const auto schema = connection.TableSchema();
  ASSERT_EQ(schema.size(), 3u);
  EXPECT_EQ(schema[0].TableName, "first#sheet#cn$");
  EXPECT_EQ(schema[1].TableName, "www#shop#com$");
  EXPECT_EQ(schema[2].TableName, G("店铺)list$"));
  for (const auto& entry : schema) EXPECT_EQ(entry.TableType, "TABLE");

  WorkbookTable table(connection);
  table.SetTableName("www.shop.com$");  // only the listed name opens
  EXPECT_THROW(table.Open(), WorkbookError);
  table.SetTableName(schema[1].TableName);
  table.Open();
  // The column without a header cell is no field.
  ASSERT_EQ(table.FieldCount(), 4);
  Strings fields;
  for (int i = 0; i < table.FieldCount(); ++i) fields.push_back(table.FieldName(i));
  EXPECT_EQ(fields, (Strings{G("日期"), G("时间"), G("搜索引擎"), G("手机壳")}));
  EXPECT_THROW(table.FieldName(4), WorkbookError);

  // Three records, walked from the bottom: the rows below the last value are
  // not records.
  std::vector<Strings> records;
  for (table.MoveLast(); !table.Bof(); table.MovePrevious()) {
    records.push_back({table.GetText(G("日期")), table.GetText(G("时间")),
                       table.GetText(G("搜索引擎")), table.GetText(G("手机壳"))});
  }
  EXPECT_EQ(records, (std::vector<Strings>{{"", "", "", "100000"},
                                           {"2026/12/09", "2.5", "Google", "TRUE"},
                                           {"2026/12/08", "08:00:00", G("百度"), "3"}}));
  EXPECT_THROW(table.MovePrevious(), WorkbookError);
  EXPECT_THROW(table.GetText(G("日期")), WorkbookError);  // before the first record
  table.MoveLast();
  EXPECT_THROW(table.GetText("F4"), WorkbookError);
  EXPECT_THROW(table.SetText("", "x"), WorkbookError);

  // A sheet without rows has no fields and no records.
  table.Close();
  table.SetTableName(schema[2].TableName);
  table.Open();
  EXPECT_EQ(table.FieldCount(), 0);
  table.MoveLast();
  EXPECT_TRUE(table.Bof());
}

TEST_F(WorkbookTableTest, AppendedAndEditedRecordsAreStoredAndSavedOnClose) {
  const std::string before = testing::ReadBytes(path_);
  {
    WorkbookConnection connection(testing::OpenFakeWorkbook);
    connection.Open(Source(path_));
    WorkbookTable table(connection);
    table.SetTableName("www#shop#com$");
    table.Open();
    table.AddNew();
    EXPECT_EQ(table.GetText(G("手机壳")), "");
    table.SetText(G("日期"), "2026/12/10");
    table.SetText(G("搜索引擎"), G("360搜索"));
    EXPECT_EQ(table.GetText(G("搜索引擎")), G("360搜索"));
    table.Update();
    // The appended record is the last one, right below the last value.
    table.MoveLast();
    EXPECT_EQ(table.GetText(G("搜索引擎")), G("360搜索"));
    table.MovePrevious();
    table.Edit();
    table.SetText(G("手机壳"), "1,7");
    table.Update();
    EXPECT_EQ(table.GetText(G("手机壳")), "1,7");
    EXPECT_EQ(testing::ReadBytes(path_), before);  // nothing saved before the close
    table.Close();
    auto rows = SavedTexts(1);
    ASSERT_EQ(rows.size(), 6u);  // the last, empty rows stay as they were
    EXPECT_EQ(rows[3], (Strings{"", "", "", "", "1,7"}));
    EXPECT_EQ(rows[4], (Strings{"2026/12/10", "", "360搜索"}));  // UTF-8 in the file
    EXPECT_EQ(rows[1][3], "note");                               // the unnamed column kept
    EXPECT_EQ(SavedTexts(0), (std::vector<Strings>{{"a"}}));     // other sheets kept

    // A change stored but not yet saved by a table close is saved by the
    // connection's close.
    table.Open();
    table.MoveLast();
    table.SetText(G("时间"), "10:00:00");
    table.Update();
  }
  EXPECT_EQ(SavedTexts(1)[4], (Strings{"2026/12/10", "10:00:00", "360搜索"}));
}

TEST_F(WorkbookTableTest, ConnectionStringNamesTheWorkbook) {
  WorkbookConnection quoted(testing::OpenFakeWorkbook);
  quoted.Open("Provider=x; data source = \"" + G(path_) + "\" ;Extended Properties=Excel 8.0");
  EXPECT_EQ(quoted.TableSchema().size(), 3u);
  quoted.Close();
  EXPECT_FALSE(quoted.IsOpen());
  EXPECT_THROW(quoted.TableSchema(), WorkbookError);

  WorkbookConnection connection(testing::OpenFakeWorkbook);
  EXPECT_THROW(connection.Open("Provider=Microsoft.Jet.OLEDB.4.0;Extended Properties=Excel 8.0"),
               WorkbookError);
  EXPECT_THROW(connection.Open(Source(dir_.Path("missing.xls"))), WorkbookError);
  testing::TempDir other;
  const std::string broken = other.Write("broken.xls", "FAKEBOOK 1\n3 abc\n");
  EXPECT_THROW(connection.Open(Source(broken)), WorkbookError);
  // A failed open leaves neither the connection open nor the file locked.
  EXPECT_FALSE(connection.IsOpen());
  WorkbookConnection again(testing::OpenFakeWorkbook);
  testing::WriteFake(broken, {TextSheet("s", {})});
  EXPECT_NO_THROW(again.Open(Source(broken)));
}

TEST_F(WorkbookTableTest, FormatIsChosenByContent) {
  const auto message_of = [](const std::string& path) {
    try {
      OpenWorkbookFile(path);
    } catch (const WorkbookError& e) {
      return std::string(e.what());
    }
    return std::string("opened");
  };
  const std::string text = dir_.Write("notes.xls", "date,time,engine\n");
  EXPECT_EQ(message_of(text), text + " is not an Excel workbook");
  const std::string empty = dir_.Write("empty.xlsx", "");
  EXPECT_EQ(message_of(empty), empty + " is not an Excel workbook");
  const std::string short_zip = dir_.Write("short.xlsx", "PK\x03");
  EXPECT_EQ(message_of(short_zip), short_zip + " is not an Excel workbook");
  EXPECT_NE(message_of(dir_.Path("none.xls")).find("cannot open"), std::string::npos);
}

TEST_F(WorkbookTableTest, SecondConnectionAndOfficeLockFileAreRefused) {
  WorkbookConnection first(testing::OpenFakeWorkbook);
  first.Open(Source(path_));
  const auto refusal = [this]() {
    WorkbookConnection second(testing::OpenFakeWorkbook);
    try {
      second.Open(Source(path_));
    } catch (const WorkbookError& e) {
      return std::string(e.what());
    }
    return std::string("connected");
  };
  EXPECT_EQ(refusal(),
            "cannot open " + path_ + ": the workbook is in use by another running instance");
  // Also from another process, and after a save replaced the file.
  WorkbookTable table(first);
  table.SetTableName("www#shop#com$");
  table.Open();
  table.MoveLast();
  table.SetText(G("日期"), "2026/12/08");
  table.Update();
  table.Close();
  EXPECT_EQ(RunInChild([&]() { return refusal() == "connected" ? 1 : 0; }), 0);
  first.Close();
  EXPECT_EQ(refusal(), "connected");

  // LibreOffice's lock file, and the owner file of Excel beside the workbook.
  for (const char* name : {".~lock.关键字.xls#", "~$关键字.xls"}) {
    const std::string office_lock = dir_.Write(name, ",someone,host,08.12.2026;");
    EXPECT_EQ(refusal(), "cannot open " + path_ +
                             ": the workbook is open in an office program (close it there first)")
        << name;
    std::filesystem::remove(office_lock);
    EXPECT_EQ(refusal(), "connected");
  }
}

TEST(OfficeLockFilesTest, OwnerFilesOfExcelAndWord) {
  // Excel puts "~$" before the whole name; Word, for a name longer than six
  // characters before its extension, in place of its first two characters.
  EXPECT_EQ(OwnerFilePaths("/d/关键字.xls"), (Strings{"/d/~$关键字.xls"}));
  EXPECT_EQ(OwnerFilePaths("a.xls"), (Strings{"~$a.xls"}));
  EXPECT_EQ(OwnerFilePaths("/d/ab.xlsx"), (Strings{"/d/~$ab.xlsx"}));
  EXPECT_EQ(OwnerFilePaths("/d/123456.xls"), (Strings{"/d/~$123456.xls"}));
  EXPECT_EQ(OwnerFilePaths("/d/OfficeReport.xls"),
            (Strings{"/d/~$OfficeReport.xls", "/d/~$ficeReport.xls"}));
  EXPECT_EQ(OwnerFilePaths("/d/网站排名关键字表.xls"),
            (Strings{"/d/~$网站排名关键字表.xls", "/d/~$排名关键字表.xls"}));
  EXPECT_EQ(OfficeLockFilePath("/d/关键字.xls"), "/d/.~lock.关键字.xls#");
}

// Changes one cell of sheet 1 and closes the table and the connection,
// which saves. The first save failure's message, empty when saved.
std::string ChangeAndSave(const std::string& path, const std::string& value) {
  WorkbookConnection connection(testing::OpenFakeWorkbook);
  connection.Open(Source(path));
  WorkbookTable table(connection);
  table.SetTableName("www#shop#com$");
  table.Open();
  table.MoveLast();
  table.SetText(G("手机壳"), value);
  table.Update();
  std::string error;
  try {
    table.Close();
  } catch (const WorkbookError& e) {
    error = e.what();
  }
  try {
    connection.Close();
  } catch (const WorkbookError& e) {
    if (error.empty()) error = e.what();
  }
  EXPECT_FALSE(connection.IsOpen());
  return error;
}

TEST_F(WorkbookTableTest, FirstSaveOfTheProcessKeepsABackup) {
  const std::string original = testing::ReadBytes(path_);
  chmod(path_.c_str(), 0640);
  EXPECT_EQ(ChangeAndSave(path_, "1"), "");
  EXPECT_EQ(BackupPath(path_), path_ + ".bak");
  EXPECT_EQ(testing::ReadBytes(path_ + ".bak"), original);
  EXPECT_EQ(ChangeAndSave(path_, "2"), "");
  EXPECT_EQ(testing::ReadBytes(path_ + ".bak"), original);  // once per execution
  EXPECT_EQ(SavedTexts(1)[3][4], "2");
  struct stat info {};
  ASSERT_EQ(stat(path_.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);  // the permissions survive the replace
  ASSERT_EQ(stat((path_ + ".bak").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);

  // The next execution (a new process) replaces the backup with its original.
  const std::string second_original = testing::ReadBytes(path_);
  EXPECT_EQ(RunInChild([&]() {
              ForgetBackups();
              return ChangeAndSave(path_, "3").empty() ? 0 : 1;
            }),
            0);
  EXPECT_EQ(testing::ReadBytes(path_ + ".bak"), second_original);
  EXPECT_EQ(FilesIn(dir_.Path("")), (Strings{"关键字.xls", "关键字.xls.bak"}));
}

TEST_F(WorkbookTableTest, FailedSaveLeavesTheWorkbookAsItWas) {
  const std::string original = testing::ReadBytes(path_);
  // The writer fails halfway (as on a full disk), for the workbook and for
  // the copy beside it, at the table's close and again at the connection's
  // close.
  testing::FakeWorkbookFile::failing_saves = 4;
  const std::string error = ChangeAndSave(path_, "9");
  EXPECT_EQ(error.find("cannot write "), 0u) << error;
  EXPECT_NE(error.find(": no space left on device"), std::string::npos) << error;
  EXPECT_EQ(testing::FakeWorkbookFile::failing_saves, 0);
  EXPECT_EQ(testing::ReadBytes(path_), original);
  EXPECT_EQ(FilesIn(dir_.Path("")), (Strings{"关键字.xls", "关键字.xls.bak"}));

  // A folder the process may not write to: as an ordinary user, since root
  // writes anywhere.
  chmod(dir_.Path("").c_str(), 0555);
  const int code = RunInChild([&]() {
    if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) return 2;
    const std::string error = ChangeAndSave(path_, "9");
    const bool refused = error.find("cannot save " + path_) == 0 &&
                         error.find(": Permission denied") != std::string::npos;
    return refused ? 0 : 3;
  });
  chmod(dir_.Path("").c_str(), 0700);
  EXPECT_EQ(code, 0);
  EXPECT_EQ(testing::ReadBytes(path_), original);
  EXPECT_EQ(FilesIn(dir_.Path("")), (Strings{"关键字.xls", "关键字.xls.bak"}));
}

TEST_F(WorkbookTableTest, KillDuringSavesLeavesTheOldOrTheNewWorkbook) {
  constexpr std::size_t kRows = 1500;
  FakeSheet sheet{"data", {}};
  sheet.cells.rows.assign(kRows, std::vector<Cell>(12, TextCell("0")));
  for (int c = 0; c < 12; ++c) sheet.cells.rows[0][c] = TextCell("c" + std::to_string(c));
  testing::WriteFake(path_, {sheet});

  const auto report = testing::KillDuringSaves(
      testing::OpenFakeWorkbook, path_, 20, [kRows](const std::string& path) {
        const auto sheets = testing::ParseFake(testing::ReadBytes(path), path);
        const auto& rows = sheets.at(0).cells.rows;
        EXPECT_EQ(rows.size(), kRows);
        const std::string version = rows.at(1).at(0).text;
        for (std::size_t r = 1; r < rows.size(); ++r) {
          for (const auto& cell : rows[r]) EXPECT_EQ(cell.text, version) << "row " << r;
        }
        return std::stoi(version);
      });
  EXPECT_GT(report.last_version, 2);
  // A connection removes what interrupted saves left behind: ours, those of
  // the .xls and .xlsx writers of earlier versions, and libgsf's once they
  // are old enough to be no other program's save in progress.
  const auto planted_an_hour_ago = [this](const std::string& name) {
    const std::string planted = dir_.Write(name, "half a workbook");
    std::filesystem::last_write_time(
        planted, std::filesystem::file_time_type::clock::now() - std::chrono::hours(1));
  };
  planted_an_hour_ago(".关键字.xls.saving-AbC123");
  planted_an_hour_ago(".关键字.xls.saving-AbC123.dEf456");
  planted_an_hour_ago(".gsf-save-Xy12Zw");
  dir_.Write(".gsf-save-Young1", "being written by another program");
  WorkbookConnection connection(testing::OpenFakeWorkbook);
  connection.Open(Source(path_));
  EXPECT_EQ(FilesIn(dir_.Path("")), (Strings{".gsf-save-Young1", "关键字.xls", "关键字.xls.bak"}));
}

TEST_F(WorkbookTableTest, LinkedWorkbookIsSavedToItsTarget) {
  std::filesystem::create_directory(dir_.Path("real"));
  const std::string real = dir_.Path("real/book.xls");
  std::filesystem::rename(path_, real);
  std::filesystem::create_symlink("real/book.xls", path_);
  const std::string original = testing::ReadBytes(real);
  // The office lock file that counts is the one beside the target.
  dir_.Write("real/.~lock.book.xls#", ",someone,host,08.12.2026;");
  EXPECT_THROW(WorkbookConnection(testing::OpenFakeWorkbook).Open(Source(path_)), WorkbookError);
  std::filesystem::remove(dir_.Path("real/.~lock.book.xls#"));

  EXPECT_EQ(ChangeAndSave(path_, "7"), "");
  EXPECT_EQ(std::filesystem::read_symlink(path_), "real/book.xls");
  EXPECT_EQ(SavedTexts(1)[3][4], "7");
  EXPECT_EQ(testing::ReadBytes(real + ".bak"), original);
  EXPECT_EQ(FilesIn(dir_.Path("")), (Strings{"real", "关键字.xls"}));
  EXPECT_EQ(FilesIn(dir_.Path("real")), (Strings{"book.xls", "book.xls.bak"}));
}

// Saves of a connection that records what went beside the workbook.
class SavesBesideTest : public WorkbookTableTest {
 protected:
  void SetUp() override {
    WorkbookTableTest::SetUp();
    connection_.SetSavedBesideReporter(
        [this](const WorkbookSavedBeside& saved) { reports_.push_back(saved); });
    connection_.Open(Source(path_));
  }

  // Sets the last record's keyword cell of sheet 1 and closes the table,
  // which saves.
  void SetAndSave(const std::string& value) {
    WorkbookTable table(connection_);
    table.SetTableName("www#shop#com$");
    table.Open();
    table.MoveLast();
    table.SetText(G("手机壳"), value);
    table.Update();
    table.Close();
  }

  static std::string KeywordCellOf(const std::string& path) {
    return CellText(
        testing::ParseFake(testing::ReadBytes(path), path).at(1).cells.rows.at(3).at(4));
  }

  // "关键字.korvan-yyyymmdd-hhmm.xls" (or "...-hhmm-N.xls") beside the workbook.
  void ExpectCopyBeside(const std::string& copy) const {
    const std::string head = dir_.Path("") + "关键字.korvan-";
    ASSERT_TRUE(copy.starts_with(head) && copy.ends_with(".xls")) << copy;
    const std::string stamp = copy.substr(head.size(), copy.size() - head.size() - 4);
    const auto digits = [&](std::size_t from, std::size_t count) {
      return stamp.size() >= from + count &&
             std::all_of(stamp.begin() + from, stamp.begin() + from + count,
                         [](char c) { return c >= '0' && c <= '9'; });
    };
    EXPECT_TRUE(digits(0, 8) && stamp[8] == '-' && digits(9, 4) &&
                (stamp.size() == 13 || (stamp[13] == '-' && digits(14, stamp.size() - 14))))
        << copy;
  }

  WorkbookConnection connection_{testing::OpenFakeWorkbook};
  std::vector<WorkbookSavedBeside> reports_;
};

TEST_F(SavesBesideTest, ChangesOfOtherProgramsAreNeverOverwritten) {
  // Another program saves the workbook in place while korvan runs.
  testing::WriteFake(path_, {TextSheet("theirs", {{"x"}})});
  const std::string theirs = testing::ReadBytes(path_);
  SetAndSave("1");
  ASSERT_EQ(reports_.size(), 1u);
  EXPECT_EQ(reports_[0].reason, WorkbookSavedBeside::Reason::kChangedOnDisk);
  EXPECT_EQ(reports_[0].workbook, path_);
  const std::string copy = reports_[0].written;
  ExpectCopyBeside(copy);
  EXPECT_EQ(testing::ReadBytes(path_), theirs);
  EXPECT_EQ(KeywordCellOf(copy), "1");

  // Later saves go on into the copy.
  SetAndSave("2");
  EXPECT_EQ(reports_.size(), 1u);
  EXPECT_EQ(KeywordCellOf(copy), "2");

  // An office suite opens the copy: the next save makes another one.
  const std::string office_lock = dir_.Write(
      std::filesystem::path(OfficeLockFilePath(copy)).filename().string(), ",someone,host;");
  SetAndSave("3");
  ASSERT_EQ(reports_.size(), 2u);
  EXPECT_EQ(reports_[1].reason, WorkbookSavedBeside::Reason::kOpenInOffice);
  EXPECT_NE(reports_[1].written, copy);
  ExpectCopyBeside(reports_[1].written);
  EXPECT_EQ(KeywordCellOf(copy), "2");
  EXPECT_EQ(KeywordCellOf(reports_[1].written), "3");

  // Excel opens the second copy: the next save makes a third one.
  dir_.Write("~$" + std::filesystem::path(reports_[1].written).filename().string(), "someone");
  SetAndSave("4");
  ASSERT_EQ(reports_.size(), 3u);
  EXPECT_EQ(reports_[2].reason, WorkbookSavedBeside::Reason::kOpenInOffice);
  EXPECT_EQ(KeywordCellOf(reports_[1].written), "3");
  EXPECT_EQ(KeywordCellOf(reports_[2].written), "4");
  connection_.Close();
  EXPECT_EQ(testing::ReadBytes(path_), theirs);
  EXPECT_EQ(FilesIn(dir_.Path("")).size(), 6u);  // no backup: the workbook was never saved
}

TEST_F(SavesBesideTest, FailedSaveOfTheWorkbookGoesIntoACopy) {
  const std::string original = testing::ReadBytes(path_);
  std::filesystem::create_directory(path_ + ".bak");  // the backup cannot be kept
  SetAndSave("5");
  ASSERT_EQ(reports_.size(), 1u);
  EXPECT_EQ(reports_[0].reason, WorkbookSavedBeside::Reason::kSaveFailed);
  ASSERT_TRUE(reports_[0].failure.has_value());
  EXPECT_EQ(std::string(reports_[0].failure->what()).find("cannot save " + path_ + ".bak"), 0u)
      << reports_[0].failure->what();
  ExpectCopyBeside(reports_[0].written);
  EXPECT_EQ(KeywordCellOf(reports_[0].written), "5");
  EXPECT_EQ(testing::ReadBytes(path_), original);
}

}  // namespace
}  // namespace korvan
