// The structure of a BIFF8 workbook stream: the workbook globals (sheet list,
// number formats and cell formats, shared strings) and where each substream
// (sheet) begins and ends.
//
// ParseWorkbookStream throws WorkbookError for an Excel 5.0/95 or older
// stream, an encrypted workbook, and a damaged stream (records running past
// the end, a sheet whose substream is missing). Views into `stream` stay valid
// as long as the stream does.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/workbook/xls_formats.h"
#include "platform/workbook/xls_sst.h"

namespace korvan::xls {

// The byte range [begin, end) of records in the workbook stream.
struct Span {
  std::size_t begin = 0;
  std::size_t end = 0;
};

// One BOUNDSHEET8 record.
struct BoundSheet {
  std::size_t record_offset = 0;  // of the record header
  std::uint32_t bof_offset = 0;   // where its substream begins
  std::uint8_t type = 0;          // 0 worksheet, 1 macro sheet, 2 chart, 6 module
  std::string name;               // UTF-8
  int substream = -1;             // index in Globals::substreams
};

struct Substream {
  Span span;               // from its BOF to after its EOF
  std::uint16_t kind = 0;  // the BOF's substream kind
};

struct Globals {
  Span span;  // the globals substream, BOF to EOF included
  std::vector<BoundSheet> sheets;
  std::vector<Substream> substreams;  // after the globals, in stream order
  XlsFormats formats;
  std::vector<SstEntry> sst;
  std::vector<std::string> sst_utf8;
};

Globals ParseWorkbookStream(std::string_view stream);

// The record at `offset` with the data of the CONTINUE records after it;
// `end` is set past the last of them.
std::vector<std::string_view> RecordWithContinues(std::string_view stream, std::size_t offset,
                                                  std::size_t& end);

}  // namespace korvan::xls
