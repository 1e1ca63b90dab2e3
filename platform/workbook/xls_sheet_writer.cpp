#include "platform/workbook/xls_sheet_writer.h"

#include <algorithm>

#include "platform/workbook/xls_records.h"
#include "platform/workbook/xls_sheet.h"

namespace korvan::xls {
namespace {

constexpr std::size_t kRowsPerBlock = 32;

// One cell of the new cell table.
struct OutCell {
  std::uint16_t row = 0;
  std::uint16_t col = 0;
  const CellItem* item = nullptr;  // an original cell kept as it was
  std::uint16_t xf = 0;            // a new text cell: its format
  std::uint32_t sst_index = 0;     //   and its shared string
};

std::string_view Bytes(std::string_view stream, Span span) {
  return stream.substr(span.begin, span.end - span.begin);
}

std::uint16_t TypeAt(std::string_view stream, std::size_t offset) {
  return Get16(stream.data() + offset);
}

std::string_view RecordAt(std::string_view stream, std::size_t offset) {
  return stream.substr(offset, 4 + std::size_t{Get16(stream.data() + offset + 2)});
}

// The cells of a sheet in row and column order: of several records for one
// position the last counts, and a new text replaces what was there.
std::vector<OutCell> MergeCells(const SheetLayout& layout,
                                const std::map<std::uint32_t, std::uint32_t>& texts,
                                std::uint16_t default_xf) {
  std::vector<const CellItem*> items;
  items.reserve(layout.cells.size());
  for (const CellItem& item : layout.cells) items.push_back(&item);
  const auto before = [](const CellItem* a, const CellItem* b) {
    return CellKey(a->row, a->col) < CellKey(b->row, b->col);
  };
  // Writers store cells in order; sorting is for the files that do not.
  if (!std::is_sorted(items.begin(), items.end(), before))
    std::stable_sort(items.begin(), items.end(), before);
  std::vector<OutCell> cells;
  cells.reserve(items.size() + texts.size());
  auto text = texts.begin();
  const auto add_text = [&cells](std::uint32_t key, std::uint16_t xf, std::uint32_t index) {
    cells.push_back({static_cast<std::uint16_t>(key >> 16),
                     static_cast<std::uint16_t>(key & 0xFFFF), nullptr, xf, index});
  };
  for (std::size_t i = 0; i < items.size(); ++i) {
    const CellItem& item = *items[i];
    const std::uint32_t key = CellKey(item.row, item.col);
    if (i + 1 < items.size() && CellKey(items[i + 1]->row, items[i + 1]->col) == key) continue;
    for (; text != texts.end() && text->first < key; ++text) {
      add_text(text->first, default_xf, text->second);
    }
    if (text != texts.end() && text->first == key) {
      add_text(key, item.xf, text->second);
      ++text;
    } else {
      cells.push_back({item.row, item.col, &item, 0, 0});
    }
  }
  for (; text != texts.end(); ++text) add_text(text->first, default_xf, text->second);
  return cells;
}

class SheetWriter {
 public:
  SheetWriter(std::string_view stream, const SheetLayout& layout, std::vector<OutCell> cells)
      : stream_(stream), layout_(layout), cells_(std::move(cells)) {
    std::vector<int> kept(layout.groups.size(), 0);
    for (const OutCell& cell : cells_) {
      if (cell.item && cell.item->group >= 0) ++kept[static_cast<std::size_t>(cell.item->group)];
    }
    intact_.resize(kept.size());
    for (std::size_t g = 0; g < kept.size(); ++g) intact_[g] = kept[g] == layout.group_sizes[g];
    for (const RowRecord& row : layout.rows) row_records_.emplace(row.row, row.offset);
    for (const OutCell& cell : cells_) row_records_.emplace(cell.row, 0);
    for (const auto& [row, offset] : row_records_) {
      if (blocks_.empty() || blocks_.back() != row / kRowsPerBlock)
        blocks_.push_back(row / kRowsPerBlock);
    }
  }

  WrittenSheet Write() {
    for (std::size_t i = 0; i <= layout_.kept.size(); ++i) {
      if (i == layout_.index_slot) WriteIndex();
      if (i == layout_.dimensions_slot) WriteDimensions();
      if (i == layout_.table_slot) WriteTable();
      if (i == layout_.kept.size()) break;
      if (i == layout_.def_col_width) def_col_width_pos_ = w_.Position();
      w_.WriteRaw(Bytes(stream_, layout_.kept[i]));
    }
    WrittenSheet sheet;
    if (index_pos_) {
      // INDEX points at DEFCOLWIDTH and at every DBCELL by stream position.
      if (def_col_width_pos_) {
        w_.Patch32(index_pos_ + 16, static_cast<std::uint32_t>(def_col_width_pos_));
        sheet.offset_fields.push_back(index_pos_ + 16);
      }
      for (std::size_t b = 0; b < dbcells_.size(); ++b) {
        w_.Patch32(index_pos_ + 20 + 4 * b, static_cast<std::uint32_t>(dbcells_[b]));
        sheet.offset_fields.push_back(index_pos_ + 20 + 4 * b);
      }
    }
    sheet.bytes = std::move(w_.Bytes());
    sheet.labels = labels_;
    return sheet;
  }

 private:
  void WriteIndex() {
    std::string data;
    Put32(data, 0);
    Put32(data, cells_.empty() ? 0 : cells_.front().row);
    Put32(data, cells_.empty() ? 0 : cells_.back().row + 1u);
    Put32(data, 0);  // DEFCOLWIDTH position, patched
    for (std::size_t b = 0; b < blocks_.size(); ++b) Put32(data, 0);  // DBCELL positions, patched
    index_pos_ = w_.Position();
    w_.Write(kIndex, data);
  }

  void WriteDimensions() {
    std::uint16_t first_col = 0xFFFF;
    std::uint16_t last_col = 0;
    for (const OutCell& cell : cells_) {
      first_col = std::min(first_col, cell.col);
      last_col = std::max(last_col, cell.col);
    }
    std::string data;
    Put32(data, cells_.empty() ? 0 : cells_.front().row);
    Put32(data, cells_.empty() ? 0 : cells_.back().row + 1u);
    Put16(data, cells_.empty() ? 0 : first_col);
    Put16(data, cells_.empty() ? 0 : static_cast<std::uint16_t>(last_col + 1));
    Put16(data, 0);
    w_.Write(kDimensions, data);
  }

  void WriteRow(std::uint16_t row, std::uint32_t offset, std::size_t first, std::size_t last) {
    const std::uint16_t col_first = first < last ? cells_[first].col : 0;
    const std::uint16_t col_end =
        first < last ? static_cast<std::uint16_t>(cells_[last - 1].col + 1) : 0;
    const std::size_t pos = w_.Position();
    if (offset != 0) {
      w_.WriteRaw(RecordAt(stream_, offset));
    } else {
      std::string data;
      Put16(data, row);
      Put16(data, 0);
      Put16(data, 0);
      Put16(data, 0x00FF);  // default height
      Put32(data, 0);
      Put16(data, 0x0100);
      Put16(data, kDefaultCellXf);
      w_.Write(kRow, data);
    }
    w_.Patch16(pos + 6, col_first);
    w_.Patch16(pos + 8, col_end);
  }

  void WriteCell(const OutCell& cell) {
    if (!cell.item) {
      std::string data;
      Put16(data, cell.row);
      Put16(data, cell.col);
      Put16(data, cell.xf);
      Put32(data, cell.sst_index);
      w_.Write(kLabelSst, data);
      ++labels_;
      return;
    }
    const CellItem& item = *cell.item;
    if (item.group < 0) {
      if (TypeAt(stream_, item.begin) == kLabelSst) ++labels_;
      w_.WriteRaw(stream_.substr(item.begin, item.end - item.begin));
      return;
    }
    const Span group = layout_.groups[static_cast<std::size_t>(item.group)];
    if (intact_[static_cast<std::size_t>(item.group)]) {
      if (item.entry == 0) w_.WriteRaw(Bytes(stream_, group));
      return;
    }
    // What is left of a MULRK or MULBLANK goes out cell by cell.
    std::string data;
    Put16(data, item.row);
    Put16(data, item.col);
    Put16(data, item.xf);
    if (TypeAt(stream_, group.begin) == kMulRk) {
      data.append(stream_.substr(group.begin + 4 + 6 + 6 * std::size_t{item.entry}, 4));
      w_.Write(kRk, data);
    } else {
      w_.Write(kBlank, data);
    }
  }

  void WriteTable() {
    auto row = row_records_.begin();
    std::size_t cell = 0;
    while (row != row_records_.end()) {
      const std::size_t block = row->first / kRowsPerBlock;
      const std::size_t first_row_pos = w_.Position();
      std::size_t second_row_pos = 0;
      // The cells of each row of the block, as [first, last) in cells_.
      std::vector<std::pair<std::size_t, std::size_t>> ranges;
      for (; row != row_records_.end() && row->first / kRowsPerBlock == block; ++row) {
        std::size_t last = cell;
        while (last < cells_.size() && cells_[last].row == row->first) ++last;
        WriteRow(row->first, row->second, cell, last);
        if (ranges.empty()) second_row_pos = w_.Position();
        ranges.emplace_back(cell, last);
        cell = last;
      }
      // DBCELL: the way back to the first ROW, then from the second ROW to
      // the first cell of the first row, and from each row's first cell to
      // the next one's.
      std::string dbcell;
      std::vector<std::uint16_t> offsets;
      std::size_t reference = second_row_pos;
      for (const auto& [first, last] : ranges) {
        const std::size_t start = w_.Position();
        for (std::size_t c = first; c < last; ++c) WriteCell(cells_[c]);
        if (first == last) {
          offsets.push_back(0);
          continue;
        }
        const std::size_t delta = start - reference;
        offsets.push_back(delta <= 0xFFFF ? static_cast<std::uint16_t>(delta) : 0);
        reference = start;
      }
      dbcells_.push_back(w_.Position());
      Put32(dbcell, static_cast<std::uint32_t>(w_.Position() - first_row_pos));
      for (std::uint16_t offset : offsets) Put16(dbcell, offset);
      w_.Write(kDbCell, dbcell);
    }
  }

  BiffWriter w_;
  std::string_view stream_;
  const SheetLayout& layout_;
  std::vector<OutCell> cells_;
  std::vector<bool> intact_;
  std::map<std::uint16_t, std::uint32_t> row_records_;  // row -> its first ROW record, or 0
  std::vector<std::size_t> blocks_;
  std::vector<std::size_t> dbcells_;
  std::size_t index_pos_ = 0;
  std::size_t def_col_width_pos_ = 0;
  std::uint32_t labels_ = 0;
};

}  // namespace

WrittenSheet WriteSheet(std::string_view stream, Span substream,
                        const std::map<std::uint32_t, std::uint32_t>& texts,
                        std::uint16_t default_xf) {
  const SheetLayout layout = ParseSheetLayout(stream, substream);
  return SheetWriter(stream, layout, MergeCells(layout, texts, default_xf)).Write();
}

}  // namespace korvan::xls
