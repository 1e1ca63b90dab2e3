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

class WorkbookError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

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

  // Writes the whole workbook with its changes to `path` (a new file); the
  // file it was opened from is not touched.
  virtual void SaveAs(const std::string& path) = 0;
};

// Opens by content (compound-file or zip signature), whatever the extension.
std::unique_ptr<WorkbookFile> OpenWorkbookFile(const std::string& path);

// The two formats.
std::unique_ptr<WorkbookFile> OpenXlsFile(const std::string& path);
std::unique_ptr<WorkbookFile> OpenXlsxFile(const std::string& path);

}  // namespace korvan
