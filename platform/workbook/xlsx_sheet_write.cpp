#include "platform/workbook/xlsx_sheet_write.h"

#include <algorithm>
#include <set>
#include <string_view>
#include <vector>

#include "platform/workbook/xlsx_cell_ref.h"
#include "platform/workbook/xlsx_sheet_walk.h"
#include "platform/workbook/xlsx_text.h"

namespace korvan {

namespace {

struct Placed {
  std::uint32_t index;  // row number or column, 0-based
  pugi::xml_node node;
};

bool ByIndex(const Placed& a, const Placed& b) { return a.index < b.index; }

bool Ascending(const std::vector<Placed>& placed) {
  for (std::size_t i = 1; i < placed.size(); ++i) {
    if (placed[i - 1].index >= placed[i].index) return false;
  }
  return true;
}

void SetAttribute(pugi::xml_node node, const char* name, const std::string& value) {
  pugi::xml_attribute attribute = node.attribute(name);
  if (!attribute) attribute = node.prepend_attribute(name);
  attribute.set_value(value.c_str());
}

// An extLst must stay the last child of a row, after cells moved to its end.
void KeepExtensionsLast(pugi::xml_node row) {
  if (pugi::xml_node ext = XlsxChild(row, "extLst")) row.append_move(ext);
}

class SheetRewriter {
 public:
  SheetRewriter(XlsxXmlPart& sheet, const std::string& where)
      : sheet_(sheet), walk_(where), data_(XlsxSheetData(sheet, where)) {}

  XlsxSheetRewrite Run(const XlsxCellTexts& texts) {
    PlaceEverything();
    auto it = texts.begin();
    while (it != texts.end()) {
      std::uint32_t row_index = it->first.first;
      Placed& row = RowAt(row_index);
      row.node.remove_attribute("spans");  // may no longer cover the row's cells
      std::vector<Placed> cells = CellsOf(row);
      for (; it != texts.end() && it->first.first == row_index; ++it) {
        WriteText(CellAt(row, cells, it->first.second), it->second);
      }
    }
    if (!overwritten_masters_.empty()) KeepValuesOfSharedFormulas();
    UpdateDimension();
    return {sheet_.Serialize(), formula_overwritten_};
  }

 private:
  // Gives every row and cell its reference, sorts rows and cells that are
  // out of order, merges repeated rows and drops all but the last of
  // repeated cells.
  void PlaceEverything() {
    std::vector<bool> cells_in_order;  // by position in rows_
    walk_.ForEachRow(data_, [&](pugi::xml_node row, std::uint32_t r) {
      SetAttribute(row, "r", std::to_string(r + 1));
      bool in_order = true;
      std::int64_t previous = -1;
      walk_.ForEachCell(row, r, [&](pugi::xml_node cell, std::uint32_t c) {
        if (!cell.attribute("r")) SetAttribute(cell, "r", XlsxCellName(r, c));
        in_order = in_order && c > previous;
        previous = c;
      });
      rows_.push_back({r, row});
      cells_in_order.push_back(in_order);
    });
    if (Ascending(rows_)) {
      for (std::size_t i = 0; i < rows_.size(); ++i) {
        if (cells_in_order[i]) {
          KeepExtensionsLast(rows_[i].node);
        } else {
          OrderCells(rows_[i]);
        }
      }
      return;
    }
    std::stable_sort(rows_.begin(), rows_.end(), ByIndex);
    std::vector<Placed> merged;
    for (Placed& row : rows_) {
      if (!merged.empty() && merged.back().index == row.index) {
        while (pugi::xml_node cell = XlsxChild(row.node, "c")) merged.back().node.append_move(cell);
        data_.remove_child(row.node);
      } else {
        merged.push_back(row);
      }
    }
    rows_ = std::move(merged);
    for (Placed& row : rows_) {
      data_.append_move(row.node);
      OrderCells(row);
    }
  }

  void OrderCells(Placed row) {
    KeepExtensionsLast(row.node);
    std::vector<Placed> cells = CellsOf(row);
    if (Ascending(cells)) return;
    std::stable_sort(cells.begin(), cells.end(), ByIndex);
    for (std::size_t i = 0; i < cells.size(); ++i) {
      if (i + 1 < cells.size() && cells[i + 1].index == cells[i].index) {
        row.node.remove_child(cells[i].node);
      } else {
        row.node.append_move(cells[i].node);
      }
    }
    KeepExtensionsLast(row.node);
  }

  std::vector<Placed> CellsOf(const Placed& row) const {
    std::vector<Placed> cells;
    walk_.ForEachCell(row.node, row.index, [&](pugi::xml_node cell, std::uint32_t c) {
      cells.push_back({c, cell});
    });
    return cells;
  }

  Placed& RowAt(std::uint32_t index) {
    auto it = std::lower_bound(rows_.begin(), rows_.end(), Placed{index, {}}, ByIndex);
    if (it != rows_.end() && it->index == index) return *it;
    std::string name = XlsxPrefix(data_) + "row";
    pugi::xml_node node = it != rows_.end() ? data_.insert_child_before(name.c_str(), it->node)
                                            : data_.append_child(name.c_str());
    node.append_attribute("r") = std::to_string(index + 1).c_str();
    return *rows_.insert(it, Placed{index, node});
  }

  pugi::xml_node CellAt(Placed row, std::vector<Placed>& cells, std::uint32_t col) {
    auto it = std::lower_bound(cells.begin(), cells.end(), Placed{col, {}}, ByIndex);
    if (it != cells.end() && it->index == col) return it->node;
    std::string name = XlsxPrefix(data_) + "c";
    pugi::xml_node before = it != cells.end() ? it->node : XlsxChild(row.node, "extLst");
    pugi::xml_node node = before ? row.node.insert_child_before(name.c_str(), before)
                                 : row.node.append_child(name.c_str());
    node.append_attribute("r") = XlsxCellName(row.index, col).c_str();
    cells.insert(it, Placed{col, node});
    return node;
  }

  void WriteText(pugi::xml_node cell, const std::string& text) {
    if (pugi::xml_node formula = XlsxChild(cell, "f")) {
      formula_overwritten_ = true;
      if (std::string_view(formula.attribute("t").value()) == "shared" &&
          formula.attribute("ref")) {
        overwritten_masters_.insert(formula.attribute("si").value());
      }
    }
    while (pugi::xml_node child = cell.first_child()) cell.remove_child(child);
    // A value or cell metadata index would describe the old content.
    cell.remove_attribute("cm");
    cell.remove_attribute("vm");
    cell.remove_attribute("t");
    cell.append_attribute("t") = "inlineStr";  // after r and s, as usual
    std::string prefix = XlsxPrefix(data_);
    pugi::xml_node t =
        cell.append_child((prefix + "is").c_str()).append_child((prefix + "t").c_str());
    t.append_attribute("xml:space") = "preserve";
    t.append_child(pugi::node_pcdata).set_value(EncodeXlsxEscapes(text).c_str());
  }

  // The cells that shared an overwritten master's formula cannot compute any
  // more; they keep the value they last showed.
  void KeepValuesOfSharedFormulas() {
    for (const Placed& row : rows_) {
      for (Placed cell : CellsOf(row)) {
        pugi::xml_node formula = XlsxChild(cell.node, "f");
        if (formula && std::string_view(formula.attribute("t").value()) == "shared" &&
            overwritten_masters_.count(formula.attribute("si").value())) {
          cell.node.remove_child(formula);
        }
      }
    }
  }

  void UpdateDimension() {
    std::uint32_t first_row = kXlsxMaxRows, last_row = 0, first_col = kXlsxMaxCols, last_col = 0;
    // Cells are in order within their rows by now: a row's first and last
    // cell are its extent.
    for (const Placed& row : rows_) {
      pugi::xml_node first = row.node.first_child();
      while (first && !XlsxIs(first, "c")) first = first.next_sibling();
      if (!first) continue;
      pugi::xml_node last = row.node.last_child();
      while (!XlsxIs(last, "c")) last = last.previous_sibling();
      first_row = std::min(first_row, row.index);
      last_row = std::max(last_row, row.index);
      first_col = std::min(first_col, ColumnOf(first));
      last_col = std::max(last_col, ColumnOf(last));
    }
    std::string ref = "A1";
    if (first_row <= last_row) {
      ref = XlsxCellName(first_row, first_col);
      if (first_row != last_row || first_col != last_col) {
        ref += ':';
        ref += XlsxCellName(last_row, last_col);
      }
    }
    pugi::xml_node root = sheet_.Root();
    pugi::xml_node dimension = XlsxChild(root, "dimension");
    if (!dimension) {
      std::string name = XlsxPrefix(root) + "dimension";
      pugi::xml_node properties = XlsxChild(root, "sheetPr");
      dimension = properties ? root.insert_child_after(name.c_str(), properties)
                             : root.prepend_child(name.c_str());
    }
    SetAttribute(dimension, "ref", ref);
  }

  // Every cell has its reference once placed.
  static std::uint32_t ColumnOf(pugi::xml_node cell) {
    return ParseXlsxCellRef(cell.attribute("r").value()).value().col;
  }

  XlsxXmlPart& sheet_;
  XlsxSheetWalk walk_;
  pugi::xml_node data_;
  std::vector<Placed> rows_;  // in order, one per row number
  std::set<std::string> overwritten_masters_;
  bool formula_overwritten_ = false;
};

}  // namespace

XlsxSheetRewrite RewriteXlsxSheet(XlsxXmlPart& sheet, const XlsxCellTexts& texts,
                                  const std::string& where) {
  return SheetRewriter(sheet, where).Run(texts);
}

}  // namespace korvan
