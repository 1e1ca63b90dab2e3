#include "platform/workbook/xls_sheet.h"

#include "platform/workbook/xls_records.h"
#include "platform/workbook/xls_rk.h"
#include "platform/workbook/xls_text.h"

namespace korvan::xls {
namespace {

constexpr std::uint16_t kWindow2 = 0x023E;
// Cells a sheet may hold beyond twice its cell records: wide rows with few
// cells are fine, a handful of records spread over all 16M positions is not.
constexpr std::size_t kSpareCells = std::size_t{1} << 20;

[[noreturn]] void Damaged(const std::string& what) {
  throw WorkbookError("the workbook is damaged: " + what);
}

bool IsSingleCell(std::uint16_t type) {
  switch (type) {
    case kBlank:
    case kNumber:
    case kLabel:
    case kBoolErr:
    case kFormula:
    case kRk:
    case kLabelSst:
    case kRString:
      return true;
    default:
      return false;
  }
}

std::string ErrorText(std::uint8_t code) {
  switch (code) {
    case 0x00:
      return "#NULL!";
    case 0x07:
      return "#DIV/0!";
    case 0x0F:
      return "#VALUE!";
    case 0x17:
      return "#REF!";
    case 0x1D:
      return "#NAME?";
    case 0x24:
      return "#NUM!";
    case 0x2A:
      return "#N/A";
    default:
      return "#N/A";
  }
}

void SetNumber(Cell& cell, double value, bool is_date) {
  cell.kind = Cell::Kind::Number;
  cell.number = value;
  cell.is_date = is_date;
}

void SetBoolErr(Cell& cell, std::uint8_t value, bool is_error) {
  if (is_error) {
    cell.kind = Cell::Kind::Error;
    cell.text = ErrorText(value);
  } else {
    cell.kind = Cell::Kind::Boolean;
    cell.number = value ? 1 : 0;
  }
}

// A FORMULA's cached result; a string result is in the STRING record that
// follows within the item.
void DecodeFormula(std::string_view stream, const CellItem& item, std::string_view data,
                   const Globals& globals, Cell& cell) {
  if (data.size() < 20) Damaged("a formula cell is too short");
  cell.is_formula = true;
  const char* result = data.data() + 6;
  if (Get16(result + 6) != 0xFFFF) {
    SetNumber(cell, GetDouble(result), globals.formats.IsDateXf(item.xf));
    return;
  }
  switch (static_cast<std::uint8_t>(result[0])) {
    case 0: {
      BiffReader reader(stream.substr(0, item.end), item.begin);
      Record record;
      while (reader.Next(record)) {
        if (record.type != kString) continue;
        std::size_t end = 0;
        PieceReader text(RecordWithContinues(stream.substr(0, item.end), record.offset, end));
        cell.kind = Cell::Kind::Text;
        cell.text = Utf16ToUtf8(ReadUnicodeString(text, 2));
        return;
      }
      cell.kind = Cell::Kind::Text;  // no STRING record: an empty text
      return;
    }
    case 1:
      SetBoolErr(cell, static_cast<std::uint8_t>(result[2]), false);
      return;
    case 2:
      SetBoolErr(cell, static_cast<std::uint8_t>(result[2]), true);
      return;
    default:
      cell.kind = Cell::Kind::Text;
      return;
  }
}

}  // namespace

SheetLayout ParseSheetLayout(std::string_view stream, Span substream) {
  SheetLayout layout;
  const std::string_view sub = stream.substr(0, substream.end);
  BiffReader reader(sub, substream.begin);
  Record record;
  reader.Next(record);
  layout.kept.push_back({record.offset, record.End()});
  std::size_t window2_slot = kNoSlot;
  int depth = 1;
  long last_formula = -1;
  const auto mark_table = [&layout] {
    if (layout.table_slot == kNoSlot) layout.table_slot = layout.kept.size();
  };
  while (depth > 0 && reader.Next(record)) {
    std::size_t end = record.End();
    while (reader.PeekType() == kContinue) {
      Record more;
      reader.Next(more);
      end = more.End();
    }
    const Span span{record.offset, end};
    const std::string_view data = record.data;
    const std::uint16_t type = record.type;
    if (depth > 1 || type == kBof || type == kEof) {
      // Records of an embedded substream (a chart on the sheet) stay as they are.
      if (type == kBof) ++depth;
      if (type == kEof) --depth;
      layout.kept.push_back(span);
      last_formula = -1;
      continue;
    }
    const bool follows_formula =
        last_formula >= 0 && layout.cells[static_cast<std::size_t>(last_formula)].end == span.begin;
    if (type == kString || type == kShrFmla || type == kArray || type == kTable) {
      // They belong to the FORMULA before them; without one they mean nothing.
      if (follows_formula) {
        CellItem& formula = layout.cells[static_cast<std::size_t>(last_formula)];
        formula.end = static_cast<std::uint32_t>(span.end);
        if (type != kString) formula.anchor = true;
      }
      continue;
    }
    last_formula = -1;
    if (IsSingleCell(type)) {
      if (data.size() < 6) Damaged("a cell record is too short");
      mark_table();
      CellItem item;
      item.begin = static_cast<std::uint32_t>(span.begin);
      item.end = static_cast<std::uint32_t>(span.end);
      item.row = Get16(data.data());
      item.col = Get16(data.data() + 2);
      item.xf = Get16(data.data() + 4);
      if (type == kFormula) last_formula = static_cast<long>(layout.cells.size());
      layout.cells.push_back(item);
    } else if (type == kMulRk || type == kMulBlank) {
      const std::size_t width = type == kMulRk ? 6 : 2;
      if (data.size() < 6 || (data.size() - 6) % width != 0 || data.size() == 6) {
        Damaged("a multiple-cell record has a wrong length");
      }
      mark_table();
      const std::size_t count = (data.size() - 6) / width;
      const std::uint16_t row = Get16(data.data());
      const std::uint16_t first = Get16(data.data() + 2);
      if (first + count > 0x10000) Damaged("a multiple-cell record runs past the last column");
      const auto group = static_cast<std::int32_t>(layout.groups.size());
      layout.groups.push_back(span);
      layout.group_sizes.push_back(static_cast<int>(count));
      for (std::size_t i = 0; i < count; ++i) {
        CellItem item;
        item.begin = static_cast<std::uint32_t>(span.begin);
        item.end = static_cast<std::uint32_t>(span.end);
        item.row = row;
        item.col = static_cast<std::uint16_t>(first + i);
        item.xf = Get16(data.data() + 4 + width * i);
        item.group = group;
        item.entry = static_cast<std::uint16_t>(i);
        layout.cells.push_back(item);
      }
    } else if (type == kRow) {
      if (data.size() < 6) Damaged("a row record is too short");
      mark_table();
      layout.rows.push_back({Get16(data.data()), static_cast<std::uint32_t>(span.begin)});
    } else if (type == kDbCell) {
      mark_table();
    } else if (type == kIndex) {
      layout.index_slot = layout.kept.size();
    } else if (type == kDimensions) {
      layout.dimensions_slot = layout.kept.size();
    } else {
      if (type == kDefColWidth) layout.def_col_width = layout.kept.size();
      if (type == kWindow2 && window2_slot == kNoSlot) window2_slot = layout.kept.size();
      layout.kept.push_back(span);
    }
  }
  if (depth > 0) Damaged("a sheet ends before its end record");
  if (layout.table_slot == kNoSlot) {
    layout.table_slot = layout.dimensions_slot != kNoSlot ? layout.dimensions_slot
                        : window2_slot != kNoSlot         ? window2_slot
                                                          : layout.kept.size() - 1;
  }
  if (layout.dimensions_slot == kNoSlot) layout.dimensions_slot = layout.table_slot;
  if (layout.index_slot == kNoSlot) layout.index_slot = 1;
  return layout;
}

SheetCells DecodeCells(std::string_view stream, const SheetLayout& layout, const Globals& globals) {
  SheetCells sheet;
  std::size_t allocated = 0;
  const std::size_t limit = 2 * layout.cells.size() + kSpareCells;
  for (const CellItem& item : layout.cells) {
    if (sheet.rows.size() <= item.row) sheet.rows.resize(item.row + std::size_t{1});
    std::vector<Cell>& row = sheet.rows[item.row];
    if (row.size() <= item.col) {
      allocated += item.col + std::size_t{1} - row.size();
      if (allocated > limit) Damaged("its cells are spread over more of a sheet than it can hold");
      row.resize(item.col + std::size_t{1});
    }
    Cell& cell = row[item.col];
    cell = Cell{};
    const std::string_view data =
        stream.substr(item.begin + 4, Get16(stream.data() + item.begin + 2));
    const bool is_date = globals.formats.IsDateXf(item.xf);
    switch (Get16(stream.data() + item.begin)) {
      case kLabelSst: {
        if (data.size() < 10) Damaged("a text cell is too short");
        const std::uint32_t index = Get32(data.data() + 6);
        if (index >= globals.sst_utf8.size()) Damaged("a cell refers to a missing shared text");
        cell.kind = Cell::Kind::Text;
        cell.text = globals.sst_utf8[index];
        break;
      }
      case kLabel:
      case kRString: {
        std::size_t end = 0;
        PieceReader text(RecordWithContinues(stream, item.begin, end));
        text.Skip(6);
        cell.kind = Cell::Kind::Text;
        cell.text = Utf16ToUtf8(ReadUnicodeString(text, 2));
        break;
      }
      case kNumber:
        if (data.size() < 14) Damaged("a number cell is too short");
        SetNumber(cell, GetDouble(data.data() + 6), is_date);
        break;
      case kRk:
        if (data.size() < 10) Damaged("a number cell is too short");
        SetNumber(cell, DecodeRk(Get32(data.data() + 6)), is_date);
        break;
      case kMulRk:
        SetNumber(cell, DecodeRk(Get32(data.data() + 6 + 6 * std::size_t{item.entry})), is_date);
        break;
      case kBoolErr:
        if (data.size() < 8) Damaged("a logical cell is too short");
        SetBoolErr(cell, static_cast<std::uint8_t>(data[6]), data[7] != 0);
        break;
      case kFormula:
        DecodeFormula(stream, item, data, globals, cell);
        break;
      default:  // BLANK, MULBLANK: a formatted empty cell
        break;
    }
  }
  return sheet;
}

}  // namespace korvan::xls
