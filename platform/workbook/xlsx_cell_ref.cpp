#include "platform/workbook/xlsx_cell_ref.h"

namespace korvan {

namespace {

// Digits only, no sign, 1 to kMax; leading zeros are accepted.
std::optional<std::uint32_t> ParseOneBased(std::string_view digits, std::uint32_t max) {
  if (digits.empty()) return std::nullopt;
  std::uint64_t value = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
    if (value > max) return std::nullopt;
  }
  if (value == 0) return std::nullopt;
  return static_cast<std::uint32_t>(value - 1);
}

}  // namespace

std::optional<XlsxCellRef> ParseXlsxCellRef(std::string_view ref) {
  std::size_t letters = 0;
  std::uint32_t col = 0;
  while (letters < ref.size()) {
    char c = ref[letters];
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (c < 'A' || c > 'Z') break;
    col = col * 26 + static_cast<std::uint32_t>(c - 'A' + 1);
    if (++letters > 3 || col > kXlsxMaxCols) return std::nullopt;
  }
  if (letters == 0) return std::nullopt;
  std::optional<std::uint32_t> row = ParseOneBased(ref.substr(letters), kXlsxMaxRows);
  if (!row) return std::nullopt;
  return XlsxCellRef{*row, col - 1};
}

std::optional<std::uint32_t> ParseXlsxRowNumber(std::string_view number) {
  return ParseOneBased(number, kXlsxMaxRows);
}

std::string XlsxColumnName(std::uint32_t col) {
  std::string name;
  for (std::uint32_t n = col + 1; n > 0; n = (n - 1) / 26) {
    name.insert(name.begin(), static_cast<char>('A' + (n - 1) % 26));
  }
  return name;
}

std::string XlsxCellName(std::uint32_t row, std::uint32_t col) {
  return XlsxColumnName(col) + std::to_string(row + 1);
}

}  // namespace korvan
