#include "platform/workbook/xls_stream_writer.h"

#include "platform/workbook/xls_records.h"

namespace korvan::xls {
namespace {

// Excel reads a workbook stream of at least this size most reliably (shorter
// ones would live in the container's mini stream).
constexpr std::size_t kMinStreamSize = 4096;

bool IsCellSheet(const Substream& sub) {
  return sub.kind == kBofWorksheet || sub.kind == kBofMacroSheet;
}

std::string_view Bytes(std::string_view stream, Span span) {
  return stream.substr(span.begin, span.end - span.begin);
}

}  // namespace

WorkbookStreamWriter::WorkbookStreamWriter(std::string_view stream, const Globals& globals)
    : stream_(stream),
      globals_(globals),
      sst_(globals.sst),
      // A workbook with fewer cell formats than usual gets its first one.
      default_xf_(globals.formats.XfCount() > kDefaultCellXf ? kDefaultCellXf : 0),
      texts_(globals.substreams.size()),
      written_(globals.substreams.size()) {}

void WorkbookStreamWriter::SetText(std::size_t substream, std::uint32_t key, std::u16string text) {
  texts_.at(substream)[key] = std::move(text);
  written_[substream].reset();
  has_texts_ = true;
}

void WorkbookStreamWriter::WriteGlobals(
    BiffWriter& w, std::vector<std::pair<std::size_t, std::size_t>>& sheet_fields,
    std::size_t& sst_total_pos) {
  bool sst_written = false;
  std::size_t next_sheet = 0;
  BiffReader reader(stream_.substr(0, globals_.span.end));
  Record record;
  while (reader.Next(record)) {
    std::size_t end = record.End();
    while (reader.PeekType() == kContinue) {
      Record more;
      reader.Next(more);
      end = more.End();
    }
    if (record.type == kSst || (record.type == kEof && !sst_written)) {
      sst_total_pos = WriteSst(w, sst_.Entries(), 0);
      sst_written = true;
      if (record.type == kSst) continue;
    }
    if (record.type == kExtSst) continue;
    if (record.type == kBoundSheet) {
      // BOUNDSHEET8 records come in sheet order.
      for (; next_sheet < globals_.sheets.size(); ++next_sheet) {
        if (globals_.sheets[next_sheet].record_offset == record.offset) {
          sheet_fields.emplace_back(w.Position() + 4, next_sheet++);
          break;
        }
      }
    }
    w.WriteRaw(stream_.substr(record.offset, end - record.offset));
  }
}

std::string WorkbookStreamWriter::Write() {
  const std::vector<Substream>& subs = globals_.substreams;
  // Sheets changed since the last save are written again; the shared string
  // indices they get stay valid for every later save.
  std::size_t size = globals_.span.end + 8 * sst_.Entries().size();
  for (std::size_t i = 0; i < subs.size(); ++i) {
    if (IsCellSheet(subs[i]) && !written_[i]) {
      std::map<std::uint32_t, std::uint32_t> indices;
      for (const auto& [key, text] : texts_[i])
        indices.emplace_hint(indices.end(), key, sst_.Add(text));
      written_[i] = WriteSheet(stream_, subs[i].span, indices, default_xf_);
    }
    size += written_[i] ? written_[i]->bytes.size() : subs[i].span.end - subs[i].span.begin;
  }

  BiffWriter w;
  w.Bytes().reserve(size);
  std::vector<std::pair<std::size_t, std::size_t>> sheet_fields;  // BOUNDSHEET field, sheet
  std::size_t sst_total_pos = 0;
  WriteGlobals(w, sheet_fields, sst_total_pos);

  std::uint32_t labels = 0;
  std::vector<std::size_t> new_begin(subs.size());
  for (std::size_t i = 0; i < subs.size(); ++i) {
    new_begin[i] = w.Position();
    if (!written_[i]) {
      w.WriteRaw(Bytes(stream_, subs[i].span));
      continue;
    }
    const WrittenSheet& sheet = *written_[i];
    w.WriteRaw(sheet.bytes);
    for (const std::size_t field : sheet.offset_fields) {
      const std::uint32_t relative = Get32(sheet.bytes.data() + field);
      w.Patch32(new_begin[i] + field, static_cast<std::uint32_t>(relative + new_begin[i]));
    }
    labels += sheet.labels;
  }
  for (const auto& [pos, s] : sheet_fields) {
    const int sub = globals_.sheets[s].substream;
    if (sub >= 0)
      w.Patch32(pos, static_cast<std::uint32_t>(new_begin[static_cast<std::size_t>(sub)]));
  }
  w.Patch32(sst_total_pos, labels);
  std::string& out = w.Bytes();
  if (out.size() < kMinStreamSize) out.resize(kMinStreamSize, '\0');
  return std::move(out);
}

}  // namespace korvan::xls
