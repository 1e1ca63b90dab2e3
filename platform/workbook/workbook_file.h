// One workbook file in memory, in one of its formats (.xls BIFF8 or .xlsx):
// the worksheets in workbook order, their cells, and saving with changes.
//
// Texts are UTF-8 here; the table layer above converts to code page 936.
// Rows and columns are 0-based. Not thread-safe. Failures (a file that cannot
// be read, a format that is refused, a write error) throw WorkbookError.
#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace korvan {

// What went wrong, for a caller that tells the user in words of its own; the
// message says it in English, naming the file.
enum class WorkbookFailure : std::uint8_t {
  kOther,
  kNotFound,       // the file (or its folder) does not exist
  kNoAccess,       // permission denied, a read-only file system
  kNoSpace,        // the disk or the quota is full
  kOpenInOffice,   // an office suite's lock file lies beside it
  kInUse,          // another running instance holds its lock
  kNotWorkbook,    // no Excel workbook at all
  kOldFormat,      // Excel 5.0/95 or older
  kDamaged,        // a workbook whose content cannot be read
  kDuplicatePart,  // an .xlsx package holding two parts of one name
};

class WorkbookError : public std::runtime_error {
 public:
  explicit WorkbookError(const std::string& message, WorkbookFailure kind = WorkbookFailure::kOther)
      : std::runtime_error(message), kind_(kind) {}
  WorkbookFailure Kind() const { return kind_; }

 private:
  WorkbookFailure kind_;
};

// The kind of failure an errno value stands for.
WorkbookFailure FailureOfErrno(int error);

// The kind of a failure met while reading a file's content: damage to the
// file unless the failure says otherwise.
WorkbookFailure DamagedUnlessKnown(const WorkbookError& error);

struct Cell {
  enum class Kind : std::uint8_t { Empty, Text, Number, Boolean, Error };
  Kind kind = Kind::Empty;
  bool is_date = false;     // a number whose format is a date format
  bool is_formula = false;  // value is a formula's cached result
  double number = 0;        // Number, or 0/1 for Boolean
  std::string text;         // Text (UTF-8)
};

// The cells of one worksheet, row-major. rows[r] may be shorter than others;
// missing cells are empty.
struct SheetCells {
  std::vector<std::vector<Cell>> rows;
};

class WorkbookFile {
 public:
  virtual ~WorkbookFile() = default;

  // Worksheets only (chart sheets, macro sheets are left out), in order.
  virtual int SheetCount() const = 0;
  virtual const std::string& SheetName(int sheet) const = 0;

  // The cells of a worksheet; may be read on first use.
  virtual const SheetCells& Cells(int sheet) = 0;

  // Makes the cell a text cell holding `utf8` (new cells take the default
  // cell format). Growing the sheet by a row is setting a cell below it.
  virtual void SetText(int sheet, std::uint32_t row, std::uint32_t col,
                       const std::string& utf8) = 0;

  // True when some cell was set since opening or the last save.
  virtual bool Modified() const = 0;

  // Writes the whole workbook with its changes to `path`, a new file that it
  // creates exclusively: a name that exists, a symbolic link included, is an
  // error and is not written through. The file it was opened from is not
  // touched.
  virtual void SaveAs(const std::string& path) = 0;
};

// Opens by content (compound-file or zip signature), whatever the extension.
std::unique_ptr<WorkbookFile> OpenWorkbookFile(const std::string& path);

// The two formats.
std::unique_ptr<WorkbookFile> OpenXlsFile(const std::string& path);
std::unique_ptr<WorkbookFile> OpenXlsxFile(const std::string& path);

}  // namespace korvan
