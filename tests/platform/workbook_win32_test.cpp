// The workbook files on Windows: the .xls written through structured storage
// (read back here, and by python3-xlrd in the CTest step after this test),
// the lock with LockFileEx, the atomic replace that keeps the lock, and the
// owner files of Excel and LibreOffice's lock file sending a save beside.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "platform/workbook/atomic_replace.h"
#include "platform/workbook/file_lock.h"
#include "platform/workbook/name_exists.h"
#include "platform/workbook/workbook_file.h"
#include "platform/workbook/workbook_saver.h"

namespace korvan {
namespace {

// A folder of its own under the build folder, emptied first; UTF-8.
std::string FreshFolder(const std::string& name) {
  const std::filesystem::path folder = FsPath(KORVAN_WIN32_OUT) / FsPath(name);
  std::filesystem::remove_all(folder);
  std::filesystem::create_directories(folder);
  return Utf8OfPath(folder);
}

std::string CopyOfExample(const std::string& folder, const std::string& name) {
  const std::string path = Utf8OfPath(FsPath(folder) / FsPath(name));
  std::filesystem::copy_file(FsPath(KORVAN_EXAMPLE_XLS), FsPath(path));
  return path;
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream(FsPath(path), std::ios::binary) << bytes;
}

std::string TextAt(WorkbookFile& file, int sheet, std::size_t row, std::size_t col) {
  const SheetCells& cells = file.Cells(sheet);
  if (row >= cells.rows.size() || col >= cells.rows[row].size()) return "<none>";
  return cells.rows[row][col].text;
}

WorkbookFailure AcquireFailure(const std::string& path) {
  WorkbookLock lock;
  try {
    lock.Acquire(path);
  } catch (const WorkbookError& e) {
    return e.Kind();
  }
  return WorkbookFailure::kOther;
}

TEST(WorkbookWin32Test, XlsSavedThroughStructuredStorageIsReadBack) {
  const std::string folder = FreshFolder("xls");
  const std::string book = CopyOfExample(folder, "关键字.xls");
  auto file = OpenXlsFile(book);
  ASSERT_EQ(file->SheetCount(), 2);
  EXPECT_EQ(file->SheetName(1), "www.python.org");
  EXPECT_EQ(TextAt(*file, 0, 0, 4), "linux 发行版");
  file->SetText(0, 2, 3, "12,30");
  file->SetText(1, 1, 4, "第二页");
  // The CTest step after this test reads this file with python3-xlrd.
  const std::string saved = Utf8OfPath(FsPath(KORVAN_WIN32_OUT) / "saved-by-windows.xls");
  std::filesystem::remove(FsPath(saved));
  file->SaveAs(saved);
  // A name that exists is refused, never written through.
  EXPECT_THROW(file->SaveAs(saved), WorkbookError);

  auto again = OpenXlsFile(saved);
  EXPECT_EQ(TextAt(*again, 0, 2, 3), "12,30");
  EXPECT_EQ(TextAt(*again, 1, 1, 4), "第二页");
  EXPECT_EQ(TextAt(*again, 0, 1, 4), "7,15");
  EXPECT_EQ(TextAt(*again, 1, 0, 5), "编程语言-1-20");
}

TEST(WorkbookWin32Test, LockFollowsTheFileAcrossAtomicReplaces) {
  const std::string folder = FreshFolder("lock");
  const std::string book = CopyOfExample(folder, "关键字.xls");
  WorkbookLock lock;
  lock.Acquire(book);
  EXPECT_EQ(AcquireFailure(book), WorkbookFailure::kInUse);
  // The lock covers no byte of the file: others can still read it.
  EXPECT_EQ(OpenXlsFile(book)->SheetCount(), 2);

  auto file = OpenXlsFile(book);
  file->SetText(0, 2, 0, "2026/12/02");
  const FileIdentity written = ReplaceFileAtomically(
      book, book, [&file](const std::string& temp) { file->SaveAs(temp); }, &lock);
  EXPECT_EQ(IdentityOfPath(book), written);
  EXPECT_EQ(AcquireFailure(book), WorkbookFailure::kInUse);
  EXPECT_EQ(TextAt(*OpenXlsFile(book), 0, 2, 0), "2026/12/02");
  lock.Release();
  WorkbookLock other;
  EXPECT_NO_THROW(other.Acquire(book));
  // Nothing but the workbook is left in the folder.
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(FsPath(folder))) {
    EXPECT_EQ(Utf8OfPath(entry.path().filename()), "关键字.xls");
    ++files;
  }
  EXPECT_EQ(files, 1);
}

TEST(WorkbookWin32Test, OfficeLockFilesAndChangesOnDiskSendSavesBeside) {
  const std::string folder = FreshFolder("beside");
  const std::string book = CopyOfExample(folder, "关键字.xls");
  std::vector<WorkbookSavedBeside> reports;
  WorkbookSaver saver;
  saver.SetReporter([&reports](const WorkbookSavedBeside& saved) { reports.push_back(saved); });
  WorkbookLock lock;
  lock.Acquire(book);
  saver.Start(book);
  auto file = OpenXlsFile(book);

  // Excel has the workbook open: refused, and the save goes beside.
  const std::string owner = Utf8OfPath(FsPath(folder) / FsPath("~$关键字.xls"));
  WriteFile(owner, "someone");
  EXPECT_EQ(AcquireFailure(book), WorkbookFailure::kOpenInOffice);
  file->SetText(0, 2, 3, "1");
  saver.Save(*file, lock);
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].reason, WorkbookSavedBeside::Reason::kOpenInOffice);
  EXPECT_EQ(TextAt(*OpenXlsFile(reports[0].written), 0, 2, 3), "1");
  EXPECT_EQ(OpenXlsFile(book)->Cells(0).rows.size(), 2u);
  std::filesystem::remove(FsPath(owner));

  // LibreOffice opens the copy: the next save makes another copy.
  const std::string copy_name = Utf8OfPath(FsPath(reports[0].written).filename());
  WriteFile(Utf8OfPath(FsPath(folder) / FsPath(".~lock." + copy_name + "#")), "x");
  file->SetText(0, 2, 3, "2");
  saver.Save(*file, lock);
  ASSERT_EQ(reports.size(), 2u);
  EXPECT_EQ(reports[1].reason, WorkbookSavedBeside::Reason::kOpenInOffice);
  EXPECT_NE(reports[1].written, reports[0].written);

  // Another program writes the copy in place (same size, a new time): the
  // identity from GetFileInformationByHandle tells.
  const std::string second = reports[1].written;
  const auto before = IdentityOfPath(second);
  {
    std::fstream out(FsPath(second), std::ios::in | std::ios::out | std::ios::binary);
    out.seekp(0);
    out.put('\xD0');
  }
  FILETIME later{};
  GetSystemTimeAsFileTime(&later);
  HANDLE touched = CreateFileW(FsPath(second).c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr,
                               OPEN_EXISTING, 0, nullptr);
  ULARGE_INTEGER ticks{{later.dwLowDateTime, later.dwHighDateTime}};
  ticks.QuadPart += 20'000'000;  // two seconds on
  later = {ticks.LowPart, ticks.HighPart};
  SetFileTime(touched, nullptr, nullptr, &later);
  CloseHandle(touched);
  EXPECT_NE(IdentityOfPath(second), before);
  file->SetText(0, 2, 3, "3");
  saver.Save(*file, lock);
  ASSERT_EQ(reports.size(), 3u);
  EXPECT_EQ(reports[2].reason, WorkbookSavedBeside::Reason::kChangedOnDisk);
  EXPECT_EQ(TextAt(*OpenXlsFile(reports[2].written), 0, 2, 3), "3");
}

}  // namespace
}  // namespace korvan
