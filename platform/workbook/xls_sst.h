// The shared string table (SST) of a BIFF8 workbook: reading it from an SST
// record and its CONTINUE records, and writing it again (with EXTSST) so that
// rich-text runs and phonetic data of every string stay as they were.
//
// Reading throws WorkbookError for a string that runs past the table; a table
// that holds fewer strings than its count says ends where its data ends.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/workbook/xls_records.h"

namespace korvan::xls {

struct SstEntry {
  std::u16string text;
  std::string runs;      // rich-text runs, 4 bytes each, as stored
  std::string phonetic;  // the ExtRst block, as stored
};

// `pieces`: the SST record's data, then the data of each CONTINUE after it.
std::vector<SstEntry> ReadSst(const std::vector<std::string_view>& pieces);

// Writes SST (with CONTINUE records as needed) and EXTSST at the writer's
// position; returns the stream position of the SST's total-reference count,
// for the caller to patch once the cells are written.
std::size_t WriteSst(BiffWriter& writer, const std::vector<const SstEntry*>& entries,
                     std::uint32_t total_refs);

}  // namespace korvan::xls
