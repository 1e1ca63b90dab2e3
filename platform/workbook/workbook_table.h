// The keyword workbook as a database of tables: one table per worksheet,
// whose first row holds the field names and whose further rows (up to the last
// row that holds a non-empty cell) are the records.
//
// Texts crossing this interface are code page 936 bytes. Every failure
// (connecting, listing, opening, reading or writing a field, appending,
// storing, saving) throws WorkbookError with a message a user can act on.
// Changes are saved when a table is closed and when the connection is closed;
// a save replaces the file atomically and keeps a backup of the original
// ("<file name>.bak" beside it) before the first save of the process. A
// workbook named by a symbolic link is the link's target: it is locked,
// backed up and replaced in its own folder, and the link stays. A save never
// overwrites changes of another program: when the file is no longer the one
// read or last saved, or an office suite has it open, or the save fails,
// korvan's version goes into a copy beside it (WorkbookSaver), and the
// reporter hears of it. The connection holds an exclusive lock on the
// workbook while open, and refuses a workbook an office suite has open.
// Column cells whose header cell is empty are no field. Main thread only;
// not thread-safe.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/workbook/workbook_file.h"
#include "platform/workbook/workbook_saver.h"

namespace korvan {

struct TableSchemaEntry {
  std::string TableType;  // "TABLE" for every worksheet
  std::string TableName;  // the sheet name, "." written as "#", then "$"
};

// The connection string of the workbook at `workbook_path` (code page 936,
// as the settings hold it), inserted unchanged.
std::string WorkbookConnectionString(const std::string& workbook_path);

// Opens a workbook file by its file-system name (UTF-8); throws
// WorkbookError. The default is OpenWorkbookFile; tests may put a double here.
using WorkbookOpener = std::function<std::unique_ptr<WorkbookFile>(const std::string& path)>;

// True when a cell can hold `cp936` and give it back unchanged: the text is
// valid code page 936 and holds no control character (tab, CR and LF
// excepted). A text that fails this would be read back as another text.
bool WorkbookCanHoldText(const std::string& cp936);

class WorkbookConnection {
 public:
  WorkbookConnection();
  explicit WorkbookConnection(WorkbookOpener opener);
  ~WorkbookConnection();  // closes (saving) if still open; never throws
  WorkbookConnection(const WorkbookConnection&) = delete;
  WorkbookConnection& operator=(const WorkbookConnection&) = delete;

  // Opens the workbook named by the "Data Source=" item of the connection
  // string (the path as the settings hold it, code page 936).
  void Open(const std::string& connection_string);
  bool IsOpen() const;
  // Called for every save that went beside the workbook instead of over it.
  void SetSavedBesideReporter(SavedBesideReporter reporter);
  // The worksheets in workbook order.
  std::vector<TableSchemaEntry> TableSchema() const;
  // The open workbook's file-system name (UTF-8).
  const std::string& FilePath() const;
  // Read-only view of a worksheet's cells as the workbook holds them now
  // (UTF-8, stored changes included), `sheet` in TableSchema() order: for
  // reports built from the workbook in memory. The view lasts until the
  // next change or Close().
  const SheetCells& Cells(int sheet);
  // Saves pending changes and releases the workbook and its lock, also when
  // the save fails (the failure is then thrown and the files on disk are
  // those of the last successful save).
  void Close();

 private:
  friend class WorkbookTable;
  struct State;
  std::unique_ptr<State> state_;
};

class WorkbookTable {
 public:
  explicit WorkbookTable(WorkbookConnection& connection);
  ~WorkbookTable();  // closes if open; never throws

  void SetTableName(const std::string& name);  // a listed TableName
  void Open();
  void Close();  // saves the workbook when this table changed it

  int FieldCount() const;
  std::string FieldName(int index) const;  // 0-based

  void MoveLast();
  void MovePrevious();
  bool Bof() const;  // positioned before the first record

  // The current record's field as text: a string as it is, a number as its
  // shortest decimal text, a date-formatted number as "yyyy/mm/dd", empty
  // for an empty cell. An unknown field name throws.
  std::string GetText(const std::string& field) const;
  void SetText(const std::string& field, const std::string& text);

  void AddNew();  // appends a record that becomes the last one
  void Edit();    // edits the current record
  void Update();  // stores the appended or edited record

 private:
  struct State;
  std::unique_ptr<State> state_;
};

}  // namespace korvan
