#include "platform/workbook/xlsx_sheet_read.h"

#include <charconv>
#include <cmath>
#include <optional>
#include <string_view>

#include "platform/workbook/xlsx_sheet_walk.h"
#include "platform/workbook/xlsx_text.h"

namespace korvan {

namespace {

// Days between 30 December 1899 and 1 January 1904, the two date origins.
constexpr double kDate1904Offset = 1462;

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t' || text.front() == '\n'))
    text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\n'))
    text.remove_suffix(1);
  return text;
}

// Reads `count` digits at `pos` into `value`.
bool Digits(std::string_view text, std::size_t pos, std::size_t count, int& value) {
  if (pos + count > text.size()) return false;
  value = 0;
  for (std::size_t i = pos; i < pos + count; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    value = value * 10 + (text[i] - '0');
  }
  return true;
}

// An ISO 8601 date cell ("2024-03-05" or "2024-03-05T08:30:00", any
// fraction of a second or zone suffix ignored) as a day count from
// 30 December 1899.
std::optional<double> IsoDateSerial(std::string_view text) {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  if (!Digits(text, 0, 4, year) || text.size() < 10 || text[4] != '-' ||
      !Digits(text, 5, 2, month) || text[7] != '-' || !Digits(text, 8, 2, day) || month < 1 ||
      month > 12 || day < 1 || day > 31) {
    return std::nullopt;
  }
  if (text.size() > 10) {
    if (text[10] != 'T' || !Digits(text, 11, 2, hour) || text.size() < 16 || text[13] != ':' ||
        !Digits(text, 14, 2, minute) || hour > 23 || minute > 59) {
      return std::nullopt;
    }
    if (text.size() >= 19 && text[16] == ':' && (!Digits(text, 17, 2, second) || second > 60)) {
      return std::nullopt;
    }
  }
  // Days from the civil calendar (proleptic Gregorian), 1970-01-01 being 0.
  int y = year - (month <= 2 ? 1 : 0);
  int era = y / 400;
  int year_of_era = y - era * 400;
  int day_of_year = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  int day_of_era = year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
  long days_from_1970 = static_cast<long>(era) * 146097 + day_of_era - 719468;
  constexpr long kDaysFrom1899To1970 = 25569;
  return static_cast<double>(days_from_1970 + kDaysFrom1899To1970) +
         (hour * 3600 + minute * 60 + second) / 86400.0;
}

class CellReader {
 public:
  explicit CellReader(const XlsxSheetContext& context) : context_(context) {}

  // The cell's content; Kind::Empty when it holds no value.
  Cell Read(pugi::xml_node node, std::uint32_t row, std::uint32_t col) const {
    Cell cell;
    cell.is_formula = static_cast<bool>(XlsxChild(node, "f"));
    std::string_view type = node.attribute("t").value();
    if (type == "inlineStr") {
      pugi::xml_node is = XlsxChild(node, "is");
      if (is) {
        cell.kind = Cell::Kind::Text;
        cell.text = XlsxStringItemText(is);
      }
      return cell;
    }
    pugi::xml_node v = XlsxChild(node, "v");
    std::string_view value = v.child_value();
    // An empty <v> is no value: writers that do not calculate leave one
    // under every formula.
    if (!v || (Trimmed(value).empty() && type != "str")) return cell;
    if (type == "s") {
      std::size_t index = 0;
      std::string_view digits = Trimmed(value);
      auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), index);
      if (error != std::errc() || end != digits.data() + digits.size() ||
          index >= context_.shared_strings.size()) {
        Damaged(row, col, "shared string \"" + std::string(value) + "\" does not exist");
      }
      cell.kind = Cell::Kind::Text;
      cell.text = context_.shared_strings[index];
    } else if (type == "str") {
      cell.kind = Cell::Kind::Text;
      cell.text = DecodeXlsxEscapes(value);
    } else if (type == "b") {
      cell.kind = Cell::Kind::Boolean;
      cell.number = Trimmed(value) == "1" || Trimmed(value) == "true" ? 1 : 0;
    } else if (type == "e") {
      cell.kind = Cell::Kind::Error;
      cell.text = std::string(value);
    } else if (type.empty() || type == "n") {
      cell.kind = Cell::Kind::Number;
      cell.number = Number(value, row, col);
      std::size_t style = node.attribute("s").as_uint(0);
      if (style < context_.date_styles.size() && context_.date_styles[style]) {
        cell.is_date = true;
        if (context_.date1904) cell.number += kDate1904Offset;
      }
    } else if (type == "d") {
      std::optional<double> serial = IsoDateSerial(Trimmed(value));
      if (!serial) Damaged(row, col, "\"" + std::string(value) + "\" is not a date");
      cell.kind = Cell::Kind::Number;
      cell.is_date = true;
      cell.number = *serial;
    } else {
      Damaged(row, col, "unknown cell type \"" + std::string(type) + "\"");
    }
    return cell;
  }

 private:
  double Number(std::string_view value, std::uint32_t row, std::uint32_t col) const {
    std::string_view text = Trimmed(value);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    double number = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(number)) {
      Damaged(row, col, "\"" + std::string(value) + "\" is not a number");
    }
    return number;
  }

  [[noreturn]] void Damaged(std::uint32_t row, std::uint32_t col, const std::string& what) const {
    throw WorkbookError(context_.where + ": damaged cell " + XlsxCellName(row, col) + " (" + what +
                        ")");
  }

  const XlsxSheetContext& context_;
};

}  // namespace

SheetCells ReadXlsxSheet(const XlsxXmlPart& sheet, const XlsxSheetContext& context) {
  pugi::xml_node data = XlsxSheetData(sheet, context.where);
  XlsxSheetWalk walk(context.where);
  CellReader reader(context);
  SheetCells cells;
  std::size_t places = 0;  // row slots and cell slots allocated so far
  auto make_room = [&](std::size_t more) {
    places += more;
    if (places > kXlsxMaxSheetCells) {
      throw WorkbookError(context.where + ": the worksheet is too large to read (more than " +
                          std::to_string(kXlsxMaxSheetCells) + " cells)");
    }
  };
  walk.ForEachRow(data, [&](pugi::xml_node row, std::uint32_t r) {
    walk.ForEachCell(row, r, [&](pugi::xml_node node, std::uint32_t c) {
      Cell cell = reader.Read(node, r, c);
      if (cell.kind == Cell::Kind::Empty) return;
      if (cells.rows.size() <= r) {
        make_room(r + 1 - cells.rows.size());
        cells.rows.resize(r + 1);
      }
      std::vector<Cell>& cells_of_row = cells.rows[r];
      if (cells_of_row.size() <= c) {
        make_room(c + 1 - cells_of_row.size());
        cells_of_row.resize(c + 1);
      }
      cells_of_row[c] = std::move(cell);
    });
  });
  return cells;
}

}  // namespace korvan
