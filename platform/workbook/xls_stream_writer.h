// Writes a BIFF8 workbook stream again with new text cells, once per save of
// the workbook. The globals stay as they were, except the shared string table
// (the old strings first, in their order, then the new ones), EXTSST and the
// BOUNDSHEET8 offsets, which are rebuilt. Each worksheet is written by
// WriteSheet and kept between saves: a save writes again only the sheets that
// got new texts since the last one and places the kept bytes of the others.
//
// Views `stream` and `globals`, which must outlive it. Write throws
// WorkbookError when a sheet cannot be parsed; the texts stay recorded. Not
// thread-safe.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/workbook/xls_globals.h"
#include "platform/workbook/xls_sheet_writer.h"
#include "platform/workbook/xls_sst_builder.h"

namespace korvan::xls {

class WorkbookStreamWriter {
 public:
  WorkbookStreamWriter(std::string_view stream, const Globals& globals);

  // A new text for cell `key` (CellKey) of globals.substreams[substream].
  void SetText(std::size_t substream, std::uint32_t key, std::u16string text);
  bool HasTexts() const { return has_texts_; }

  // The whole new workbook stream.
  std::string Write();

 private:
  void WriteGlobals(BiffWriter& w, std::vector<std::pair<std::size_t, std::size_t>>& sheet_fields,
                    std::size_t& sst_total_pos);

  std::string_view stream_;
  const Globals& globals_;
  SstBuilder sst_;
  std::uint16_t default_xf_;
  bool has_texts_ = false;
  std::vector<std::map<std::uint32_t, std::u16string>> texts_;  // by substream
  std::vector<std::optional<WrittenSheet>> written_;            // by substream, until it changes
};

}  // namespace korvan::xls
