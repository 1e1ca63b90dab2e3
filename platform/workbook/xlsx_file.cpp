// The .xlsx format of WorkbookFile: the package stays open read-only, sheets
// are parsed on first use, and the texts set since the last save are kept
// per sheet; a save rewrites only the worksheets that have texts set and
// copies every other entry of the package as it is. The document of the sheet
// read last is kept for its save, so that it is not parsed twice. The saved
// package then takes the place of the one read, so the next save starts from
// it.
#include <optional>
#include <set>

#include "platform/codepage.h"
#include "platform/workbook/workbook_file.h"
#include "platform/workbook/xlsx_cell_ref.h"
#include "platform/workbook/xlsx_package.h"
#include "platform/workbook/xlsx_parts.h"
#include "platform/workbook/xlsx_shared_strings.h"
#include "platform/workbook/xlsx_sheet_read.h"
#include "platform/workbook/xlsx_sheet_write.h"
#include "platform/workbook/xlsx_styles.h"
#include "platform/workbook/xlsx_workbook.h"

namespace korvan {

namespace {

// The longest text a cell holds, in UTF-16 code units.
constexpr std::size_t kMaxCellText = 32767;

std::size_t Utf16Length(const std::string& utf8) {
  std::size_t units = 0;
  for (unsigned char c : utf8) {
    if ((c & 0xC0) != 0x80) units += c >= 0xF0 ? 2 : 1;
  }
  return units;
}

class XlsxFile final : public WorkbookFile {
 public:
  explicit XlsxFile(const std::string& path)
      : path_(path),
        package_(std::make_unique<XlsxPackage>(path)),
        layout_(ReadXlsxWorkbookLayout(*package_)) {
    if (!layout_.shared_strings_part.empty()) {
      shared_strings_ = ReadXlsxSharedStrings(ParsePart(layout_.shared_strings_part));
    }
    if (!layout_.styles_part.empty())
      date_styles_ = ReadXlsxDateStyles(ParsePart(layout_.styles_part));
    cells_.resize(layout_.sheets.size());
    texts_.resize(layout_.sheets.size());
  }

  int SheetCount() const override { return static_cast<int>(layout_.sheets.size()); }

  const std::string& SheetName(int sheet) const override {
    return layout_.sheets[CheckedSheet(sheet)].name;
  }

  const SheetCells& Cells(int sheet) override { return LoadedCells(CheckedSheet(sheet)); }

  void SetText(int sheet, std::uint32_t row, std::uint32_t col, const std::string& utf8) override {
    std::size_t index = CheckedSheet(sheet);
    if (row >= kXlsxMaxRows || col >= kXlsxMaxCols) {
      throw WorkbookError(path_ + ": cannot write beyond cell XFD1048576");
    }
    const std::string cell = layout_.sheets[index].name + "!" + XlsxCellName(row, col);
    if (!IsValidUtf8(utf8)) {
      throw WorkbookError(path_ + ": cannot write cell " + cell + ": the text is not valid UTF-8");
    }
    if (Utf16Length(utf8) > kMaxCellText) {
      throw WorkbookError(path_ + ": cannot write cell " + cell +
                          ": the text is longer than a cell holds (32767 characters)");
    }
    SheetCells& cells = LoadedCells(index);
    if (cells.rows.size() <= row) cells.rows.resize(row + 1);
    std::vector<Cell>& cells_of_row = cells.rows[row];
    if (cells_of_row.size() <= col) cells_of_row.resize(col + 1);
    cells_of_row[col] = Cell{Cell::Kind::Text, false, false, 0, utf8};
    texts_[index][{row, col}] = utf8;
    modified_ = true;
  }

  bool Modified() const override { return modified_; }

  void SaveAs(const std::string& path) override {
    std::map<std::string, std::string> replaced;
    std::set<std::string> dropped;
    bool formula_overwritten = false;
    for (std::size_t i = 0; i < layout_.sheets.size(); ++i) {
      if (texts_[i].empty()) continue;
      const XlsxSheetEntry& entry = layout_.sheets[i];
      const std::string where = path_ + ", sheet " + entry.name;
      // The rewrite changes the document: a save that fails parses it again.
      std::unique_ptr<XlsxXmlPart> part = parsed_sheet_ == i ? std::move(parsed_) : nullptr;
      if (!part) part = std::make_unique<XlsxXmlPart>(package_->Read(entry.part), where);
      XlsxSheetRewrite rewrite = RewriteXlsxSheet(*part, texts_[i], where);
      formula_overwritten |= rewrite.formula_overwritten;
      replaced[entry.part] = std::move(rewrite.xml);
    }
    if (formula_overwritten && !layout_.calc_chain_part.empty()) {
      DropCalcChain(replaced, dropped);
    }
    package_->WriteCopy(path, replaced, dropped);
    // The new file holds every change so far, so a sheet is written again
    // only when it changes again. The open package keeps reading that
    // file's content even after the caller renames or replaces it.
    auto saved = std::make_unique<XlsxPackage>(path);
    XlsxWorkbookLayout layout = ReadXlsxWorkbookLayout(*saved);
    if (layout.sheets.size() != layout_.sheets.size()) {
      throw WorkbookError("cannot write " + path + ": the written workbook does not read back");
    }
    package_ = std::move(saved);
    layout_ = std::move(layout);
    for (XlsxCellTexts& texts : texts_) texts.clear();
    parsed_.reset();
    modified_ = false;
  }

 private:
  std::size_t CheckedSheet(int sheet) const {
    if (sheet < 0 || static_cast<std::size_t>(sheet) >= layout_.sheets.size()) {
      throw WorkbookError(path_ + ": there is no sheet number " + std::to_string(sheet));
    }
    return static_cast<std::size_t>(sheet);
  }

  SheetCells& LoadedCells(std::size_t index) {
    if (!cells_[index]) {
      const XlsxSheetEntry& entry = layout_.sheets[index];
      const std::string where = path_ + ", sheet " + entry.name;
      auto part = std::make_unique<XlsxXmlPart>(package_->Read(entry.part), where);
      cells_[index] =
          ReadXlsxSheet(*part, {shared_strings_, date_styles_, layout_.date1904, where});
      // The sheet read last is the one that is about to change and be saved:
      // its document is kept for that save.
      parsed_ = std::move(part);
      parsed_sheet_ = index;
    }
    return *cells_[index];
  }

  XlsxXmlPart ParsePart(const std::string& part) {
    return XlsxXmlPart(package_->Read(part), path_ + ", part " + part);
  }

  // The calculation chain lists formula cells; one that names a cell which
  // no longer holds a formula makes Excel report the file as damaged, so
  // the chain goes, with its relationship and content type. Excel builds it
  // again.
  void DropCalcChain(std::map<std::string, std::string>& replaced, std::set<std::string>& dropped) {
    const std::string& chain = layout_.calc_chain_part;
    dropped.insert(chain);
    std::string rels_part = XlsxRelsPartName(layout_.workbook_part);
    XlsxXmlPart rels = ParsePart(rels_part);
    if (RemoveXlsxRelationshipsTo(rels, layout_.workbook_part, chain)) {
      replaced[rels_part] = rels.Serialize();
    }
    if (package_->Has("[Content_Types].xml")) {
      XlsxXmlPart types = ParsePart("[Content_Types].xml");
      if (RemoveXlsxContentOverride(types, chain))
        replaced["[Content_Types].xml"] = types.Serialize();
    }
  }

  std::string path_;  // the file opened, for messages
  std::unique_ptr<XlsxPackage> package_;
  XlsxWorkbookLayout layout_;
  std::vector<std::string> shared_strings_;
  std::vector<bool> date_styles_;
  std::vector<std::optional<SheetCells>> cells_;  // by sheet, once read
  std::vector<XlsxCellTexts> texts_;              // by sheet: every text set since the last save
  std::unique_ptr<XlsxXmlPart> parsed_;           // of sheet parsed_sheet_, from package_, or none
  std::size_t parsed_sheet_ = 0;
  bool modified_ = false;
};

}  // namespace

std::unique_ptr<WorkbookFile> OpenXlsxFile(const std::string& path) {
  try {
    return std::make_unique<XlsxFile>(path);
  } catch (const WorkbookError& e) {
    throw WorkbookError(e.what(), DamagedUnlessKnown(e));
  }
}

}  // namespace korvan
