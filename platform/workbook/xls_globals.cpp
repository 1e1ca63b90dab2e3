#include "platform/workbook/xls_globals.h"

#include <unordered_map>

#include "platform/workbook/workbook_file.h"
#include "platform/workbook/xls_records.h"
#include "platform/workbook/xls_text.h"

namespace korvan::xls {
namespace {

[[noreturn]] void Damaged(const std::string& what) {
  throw WorkbookError("the workbook is damaged: " + what);
}

// Reads a BOF record at the reader's position; returns its substream kind.
std::uint16_t ReadBof(BiffReader& reader, Record& record) {
  if (!reader.Next(record) || record.type != kBof || record.data.size() < 4) {
    throw WorkbookError(
        "the file is not an Excel 97-2003 workbook (it may be an Excel 4.0 or older file)");
  }
  if (Get16(record.data.data()) != kBiff8Version) {
    throw WorkbookError(
        "the workbook is in Excel 5.0/95 format or older; save it in Excel 97-2003 format first");
  }
  return Get16(record.data.data() + 2);
}

}  // namespace

std::vector<std::string_view> RecordWithContinues(std::string_view stream, std::size_t offset,
                                                  std::size_t& end) {
  BiffReader reader(stream, offset);
  Record record;
  reader.Next(record);
  std::vector<std::string_view> pieces{record.data};
  end = record.End();
  while (reader.PeekType() == kContinue) {
    reader.Next(record);
    pieces.push_back(record.data);
    end = record.End();
  }
  return pieces;
}

Globals ParseWorkbookStream(std::string_view stream) {
  Globals globals;
  BiffReader reader(stream);
  Record record;
  if (ReadBof(reader, record) != kBofGlobals)
    Damaged("it does not begin with the workbook globals");
  bool ended = false;
  while (!ended && reader.Next(record)) {
    const std::string_view data = record.data;
    switch (record.type) {
      case kFilePass:
        throw WorkbookError(
            "the workbook is protected with a password; save it without a password first");
      case kBoundSheet: {
        if (data.size() < 8) Damaged("a sheet entry is too short");
        BoundSheet sheet;
        sheet.record_offset = record.offset;
        sheet.bof_offset = Get32(data.data());
        sheet.type = static_cast<std::uint8_t>(data[5]);
        sheet.name = Utf16ToUtf8(ReadUnicodeString(data, 6, 1));
        globals.sheets.push_back(std::move(sheet));
        break;
      }
      case kFormat:
        globals.formats.AddFormat(data);
        break;
      case kXf:
        globals.formats.AddXf(data);
        break;
      case kSst: {
        std::size_t end = 0;
        globals.sst = ReadSst(RecordWithContinues(stream, record.offset, end));
        reader = BiffReader(stream, end);
        break;
      }
      case kEof:
        ended = true;
        break;
      default:
        break;
    }
  }
  if (!ended) Damaged("the workbook globals have no end");
  globals.span = {0, reader.Position()};
  globals.sst_utf8.reserve(globals.sst.size());
  for (const SstEntry& entry : globals.sst) globals.sst_utf8.push_back(Utf16ToUtf8(entry.text));

  // The substreams follow one another; anything after the last one that is
  // not a BOF (zero padding, usually) is not part of the workbook.
  while (reader.PeekType() == kBof) {
    Substream sub;
    sub.span.begin = reader.Position();
    sub.kind = ReadBof(reader, record);
    int depth = 1;
    while (depth > 0) {
      if (!reader.Next(record)) Damaged("a sheet ends before its end record");
      if (record.type == kBof) ++depth;
      if (record.type == kEof) --depth;
    }
    sub.span.end = reader.Position();
    globals.substreams.push_back(sub);
  }

  for (BoundSheet& sheet : globals.sheets) {
    for (std::size_t i = 0; i < globals.substreams.size(); ++i) {
      if (globals.substreams[i].span.begin == sheet.bof_offset)
        sheet.substream = static_cast<int>(i);
    }
    if (sheet.substream < 0 && sheet.type == 0)
      Damaged("the sheet \"" + sheet.name + "\" is missing");
  }
  return globals;
}

}  // namespace korvan::xls
