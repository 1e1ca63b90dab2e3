// OpenXlsFile: an Excel 97-2003 (BIFF8) workbook in memory. Sheets are decoded
// on first use; new texts are kept per sheet and written into a new workbook
// stream on save, so the file it was read from is never touched. Sheets
// written at one save are kept for the next, which writes again only those
// that changed in between.
#include <set>

#include "platform/workbook/workbook_file.h"
#include "platform/workbook/xls_container.h"
#include "platform/workbook/xls_globals.h"
#include "platform/workbook/xls_sheet.h"
#include "platform/workbook/xls_stream_writer.h"
#include "platform/workbook/xls_text.h"

namespace korvan {
namespace {

constexpr std::uint32_t kMaxRows = 65536;
constexpr std::uint32_t kMaxCols = 256;
constexpr std::size_t kMaxCellChars = 32767;

class XlsFile final : public WorkbookFile {
 public:
  explicit XlsFile(const std::string& path)
      : container_(path),
        globals_(ParseGlobals(container_)),
        writer_(container_.WorkbookStream(), globals_) {
    for (const xls::BoundSheet& sheet : globals_.sheets) {
      if (sheet.type != 0) continue;
      SheetState state;
      state.name = sheet.name;
      state.substream = sheet.substream;
      sheets_.push_back(std::move(state));
    }
  }

  int SheetCount() const override { return static_cast<int>(sheets_.size()); }

  const std::string& SheetName(int sheet) const override { return At(sheet).name; }

  const SheetCells& Cells(int sheet) override { return Load(sheet).cells; }

  void SetText(int sheet, std::uint32_t row, std::uint32_t col, const std::string& utf8) override {
    SheetState& state = Load(sheet);
    if (row >= kMaxRows || col >= kMaxCols) {
      throw WorkbookError("cannot write cell (" + std::to_string(row + 1) + ", " +
                          std::to_string(col + 1) + ") of sheet \"" + state.name +
                          "\": an Excel 97-2003 sheet has 65536 rows and 256 columns");
    }
    std::u16string text = xls::Utf8ToUtf16(utf8);
    if (text.size() > kMaxCellChars) {
      throw WorkbookError("cannot write a text of " + std::to_string(text.size()) +
                          " characters into sheet \"" + state.name +
                          "\": a cell holds at most 32767 characters");
    }
    const std::uint32_t key = xls::CellKey(row, col);
    if (state.anchors.count(key)) {
      throw WorkbookError("cannot write cell (" + std::to_string(row + 1) + ", " +
                          std::to_string(col + 1) + ") of sheet \"" + state.name +
                          "\": it holds a formula that other cells share");
    }
    std::vector<std::vector<Cell>>& rows = state.cells.rows;
    if (rows.size() <= row) rows.resize(row + std::size_t{1});
    if (rows[row].size() <= col) rows[row].resize(col + std::size_t{1});
    Cell& cell = rows[row][col];
    cell = Cell{};
    cell.kind = Cell::Kind::Text;
    cell.text = utf8;
    writer_.SetText(static_cast<std::size_t>(state.substream), key, std::move(text));
    modified_ = true;
  }

  bool Modified() const override { return modified_; }

  void SaveAs(const std::string& path) override {
    if (!writer_.HasTexts()) {
      container_.CopyTo(path);
    } else {
      std::string stream;
      try {
        stream = writer_.Write();
      } catch (const WorkbookError& e) {
        throw WorkbookError("cannot write " + path + ": " + e.what());
      }
      container_.WriteWith(path, stream);
    }
    modified_ = false;
  }

 private:
  static xls::Globals ParseGlobals(const xls::XlsContainer& container) {
    try {
      return xls::ParseWorkbookStream(container.WorkbookStream());
    } catch (const WorkbookError& e) {
      throw WorkbookError("cannot read " + container.Path() + ": " + e.what(),
                          DamagedUnlessKnown(e));
    }
  }

  struct SheetState {
    std::string name;
    int substream = -1;
    bool loaded = false;
    SheetCells cells;
    std::set<std::uint32_t> anchors;  // cells whose formula others share
  };

  const SheetState& At(int sheet) const {
    if (sheet < 0 || sheet >= SheetCount()) {
      throw WorkbookError("the workbook " + container_.Path() + " has no sheet number " +
                          std::to_string(sheet + 1));
    }
    return sheets_[static_cast<std::size_t>(sheet)];
  }

  SheetState& Load(int sheet) {
    SheetState& state = const_cast<SheetState&>(At(sheet));
    if (state.loaded) return state;
    try {
      const std::string& stream = container_.WorkbookStream();
      const xls::SheetLayout layout = xls::ParseSheetLayout(
          stream, globals_.substreams[static_cast<std::size_t>(state.substream)].span);
      state.cells = xls::DecodeCells(stream, layout, globals_);
      for (const xls::CellItem& item : layout.cells) {
        if (item.anchor) state.anchors.insert(xls::CellKey(item.row, item.col));
      }
    } catch (const WorkbookError& e) {
      throw WorkbookError(
          "cannot read sheet \"" + state.name + "\" of " + container_.Path() + ": " + e.what(),
          DamagedUnlessKnown(e));
    }
    state.loaded = true;
    return state;
  }

  xls::XlsContainer container_;
  xls::Globals globals_;
  xls::WorkbookStreamWriter writer_;  // keeps the new texts and the sheets written with them
  std::vector<SheetState> sheets_;
  bool modified_ = false;
};

}  // namespace

std::unique_ptr<WorkbookFile> OpenXlsFile(const std::string& path) {
  return std::make_unique<XlsFile>(path);
}

}  // namespace korvan
