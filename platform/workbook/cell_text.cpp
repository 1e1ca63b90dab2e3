#include "platform/workbook/cell_text.h"

#include <charconv>
#include <cmath>

#include "platform/date_text.h"

namespace korvan {

std::string NumberText(double value) {
  if (value == 0) return "0";  // also for -0
  char buffer[64];
  const double magnitude = std::fabs(value);
  const bool plain = magnitude >= 1e-6 && magnitude < 1e15;
  const auto result =
      plain ? std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed)
            : std::to_chars(buffer, buffer + sizeof buffer, value);
  if (result.ec != std::errc()) return {};
  return std::string(buffer, result.ptr);
}

std::string CellText(const Cell& cell) {
  switch (cell.kind) {
    case Cell::Kind::Empty:
      return {};
    case Cell::Kind::Text:
    case Cell::Kind::Error:
      return cell.text;
    case Cell::Kind::Boolean:
      return cell.number != 0 ? "TRUE" : "FALSE";
    case Cell::Kind::Number:
      if (cell.is_date) {
        std::string day = FormatDateYmd(cell.number);
        if (!day.empty()) return day;
      }
      return NumberText(cell.number);
  }
  return {};
}

bool CellIsEmpty(const Cell& cell) {
  return cell.kind == Cell::Kind::Empty || (cell.kind == Cell::Kind::Text && cell.text.empty());
}

}  // namespace korvan
