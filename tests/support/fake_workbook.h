// A workbook file format of the tests' own, behind the WorkbookFile
// interface: the sheets and cells written as plain text with an end marker,
// so that the table layer, its locking and its saving can be tested on real
// files before (and besides) the real formats. Reading refuses a file that is
// cut short. SaveAs can be told to fail halfway, as a full disk would.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "platform/workbook/workbook_file.h"

namespace korvan::testing {

struct FakeSheet {
  std::string name;  // UTF-8
  SheetCells cells;
};

inline Cell TextCell(const std::string& utf8) {
  Cell cell;
  if (!utf8.empty()) {
    cell.kind = Cell::Kind::Text;
    cell.text = utf8;
  }
  return cell;
}

inline Cell NumberCell(double value, bool is_date = false) {
  Cell cell;
  cell.kind = Cell::Kind::Number;
  cell.number = value;
  cell.is_date = is_date;
  return cell;
}

// A sheet of text cells; an empty text is an empty cell.
inline FakeSheet TextSheet(const std::string& name,
                           const std::vector<std::vector<std::string>>& rows) {
  FakeSheet sheet{name, {}};
  for (const auto& row : rows) {
    sheet.cells.rows.emplace_back();
    for (const auto& text : row) sheet.cells.rows.back().push_back(TextCell(text));
  }
  return sheet;
}

inline std::string SerializeFake(const std::vector<FakeSheet>& sheets) {
  std::ostringstream out;
  out << "FAKEBOOK " << sheets.size() << "\n";
  for (const auto& sheet : sheets) {
    out << sheet.name.size() << " " << sheet.name << "\n" << sheet.cells.rows.size() << "\n";
    for (const auto& row : sheet.cells.rows) {
      out << row.size() << "\n";
      for (const auto& cell : row) {
        char number[40];
        std::snprintf(number, sizeof number, "%.17g", cell.number);
        out << static_cast<int>(cell.kind) << " " << cell.is_date << " " << number << " "
            << cell.text.size() << " " << cell.text << "\n";
      }
    }
  }
  out << "END\n";
  return out.str();
}

inline std::vector<FakeSheet> ParseFake(const std::string& bytes, const std::string& path) {
  std::istringstream in(bytes);
  const auto fail = [&path]() -> WorkbookError {
    return WorkbookError(path + " is not a complete test workbook");
  };
  std::string magic;
  std::size_t sheet_count = 0;
  if (!(in >> magic >> sheet_count) || magic != "FAKEBOOK" || sheet_count > 1000) throw fail();
  const auto read_text = [&](std::string& text) {
    std::size_t size = 0;
    if (!(in >> size) || size > bytes.size() || in.get() != ' ') throw fail();
    text.resize(size);
    if (!in.read(text.data(), static_cast<std::streamsize>(size))) throw fail();
  };
  std::vector<FakeSheet> sheets(sheet_count);
  for (auto& sheet : sheets) {
    read_text(sheet.name);
    std::size_t rows = 0;
    if (!(in >> rows) || rows > bytes.size()) throw fail();
    sheet.cells.rows.resize(rows);
    for (auto& row : sheet.cells.rows) {
      std::size_t cells = 0;
      if (!(in >> cells) || cells > bytes.size()) throw fail();
      row.resize(cells);
      for (auto& cell : row) {
        int kind = 0;
        std::string number;
        if (!(in >> kind >> cell.is_date >> number) || kind < 0 || kind > 4) throw fail();
        cell.kind = static_cast<Cell::Kind>(kind);
        cell.number = std::strtod(number.c_str(), nullptr);
        read_text(cell.text);
      }
    }
  }
  std::string end;
  if (!(in >> end) || end != "END") throw fail();
  return sheets;
}

inline std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteFake(const std::string& path, const std::vector<FakeSheet>& sheets) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << SerializeFake(sheets);
  if (!out) throw WorkbookError("cannot write " + path);
}

class FakeWorkbookFile : public WorkbookFile {
 public:
  // SaveAs calls that are to fail, after writing half of the file.
  static inline int failing_saves = 0;

  explicit FakeWorkbookFile(std::vector<FakeSheet> sheets) : sheets_(std::move(sheets)) {}

  int SheetCount() const override { return static_cast<int>(sheets_.size()); }
  const std::string& SheetName(int sheet) const override { return sheets_.at(sheet).name; }
  const SheetCells& Cells(int sheet) override { return sheets_.at(sheet).cells; }
  void SetText(int sheet, std::uint32_t row, std::uint32_t col, const std::string& utf8) override {
    auto& rows = sheets_.at(sheet).cells.rows;
    if (rows.size() <= row) rows.resize(row + 1);
    if (rows[row].size() <= col) rows[row].resize(col + 1);
    rows[row][col] = Cell{};
    rows[row][col].kind = Cell::Kind::Text;
    rows[row][col].text = utf8;
    modified_ = true;
  }
  bool Modified() const override { return modified_; }
  void SaveAs(const std::string& path) override {
    const std::string bytes = SerializeFake(sheets_);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (failing_saves > 0) {
      --failing_saves;
      out.write(bytes.data(), static_cast<std::streamsize>(bytes.size() / 2));
      throw WorkbookError("cannot write " + path + ": no space left on device");
    }
    out << bytes;
    out.close();
    if (!out) throw WorkbookError("cannot write " + path);
    modified_ = false;
  }

 private:
  std::vector<FakeSheet> sheets_;
  bool modified_ = false;
};

inline std::unique_ptr<WorkbookFile> OpenFakeWorkbook(const std::string& path) {
  std::ifstream probe(path, std::ios::binary);
  if (!probe) throw WorkbookError("cannot open " + path);
  return std::make_unique<FakeWorkbookFile>(ParseFake(ReadBytes(path), path));
}

}  // namespace korvan::testing
