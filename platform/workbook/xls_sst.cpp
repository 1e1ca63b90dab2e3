#include "platform/workbook/xls_sst.h"

#include <algorithm>

#include "platform/workbook/workbook_file.h"
#include "platform/workbook/xls_text.h"

namespace korvan::xls {
namespace {

constexpr std::uint8_t kHighByte = 0x01;
constexpr std::uint8_t kPhonetic = 0x04;
constexpr std::uint8_t kRich = 0x08;

// Builds the SST record and its CONTINUE records: a string's header never
// straddles two records, characters carried on begin a record with an option
// byte, runs move on whole and phonetic data byte by byte.
class SstWriter {
 public:
  explicit SstWriter(BiffWriter& writer) : writer_(writer) {}

  std::size_t Room() const { return kMaxRecordData - data_.size(); }
  // Stream position that the next byte appended to the current record gets.
  std::size_t NextPosition() const { return writer_.Position() + 4 + data_.size(); }
  std::size_t OffsetInRecord() const { return 4 + data_.size(); }
  std::string& Data() { return data_; }

  void Flush() {
    Put16(writer_.Bytes(), type_);
    Put16(writer_.Bytes(), static_cast<std::uint16_t>(data_.size()));
    writer_.WriteRaw(data_);
    data_.clear();
    type_ = kContinue;
  }

 private:
  BiffWriter& writer_;
  std::string data_;
  std::uint16_t type_ = kSst;
};

}  // namespace

std::vector<SstEntry> ReadSst(const std::vector<std::string_view>& pieces) {
  std::size_t total_bytes = 0;
  for (auto piece : pieces) total_bytes += piece.size();
  PieceReader reader(pieces);
  reader.Read32();  // references in the workbook; not relied on
  const std::uint32_t unique = reader.Read32();
  std::vector<SstEntry> entries;
  // The count may lie; every string takes at least three bytes.
  entries.reserve(std::min<std::size_t>(unique, total_bytes / 3));
  while (entries.size() < unique && !reader.AtEnd()) {
    SstEntry entry;
    const std::uint16_t count = reader.Read16();
    const std::uint8_t options = reader.Read8();
    const std::uint16_t runs = (options & kRich) ? reader.Read16() : 0;
    const std::uint32_t phonetic = (options & kPhonetic) ? reader.Read32() : 0;
    if (phonetic > total_bytes) {
      throw WorkbookError("the workbook is damaged: a shared string runs past its table");
    }
    entry.text.reserve(count);
    reader.ReadChars(count, (options & kHighByte) != 0, entry.text);
    reader.ReadBytes(std::size_t{4} * runs, entry.runs);
    reader.ReadBytes(phonetic, entry.phonetic);
    entries.push_back(std::move(entry));
  }
  return entries;
}

std::size_t WriteSst(BiffWriter& writer, const std::vector<const SstEntry*>& entries,
                     std::uint32_t total_refs) {
  const std::size_t per_bucket = std::max<std::size_t>(8, (entries.size() + 127) / 128);
  std::string ext_sst;
  Put16(ext_sst, static_cast<std::uint16_t>(per_bucket));

  SstWriter sst(writer);
  const std::size_t total_pos = sst.NextPosition();
  Put32(sst.Data(), total_refs);
  Put32(sst.Data(), static_cast<std::uint32_t>(entries.size()));
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const SstEntry& entry = *entries[i];
    const bool compressed = FitsCompressed(entry.text);
    const std::size_t width = compressed ? 1 : 2;
    const std::size_t run_count = entry.runs.size() / 4;
    const std::size_t header = 3 + (run_count ? 2 : 0) + (entry.phonetic.empty() ? 0 : 4) +
                               (entry.text.empty() ? 0 : width);
    if (sst.Room() < header) sst.Flush();
    if (i % per_bucket == 0) {
      Put32(ext_sst, static_cast<std::uint32_t>(sst.NextPosition()));
      Put16(ext_sst, static_cast<std::uint16_t>(sst.OffsetInRecord()));
      Put16(ext_sst, 0);
    }
    std::string& data = sst.Data();
    Put16(data, static_cast<std::uint16_t>(entry.text.size()));
    data.push_back(static_cast<char>((compressed ? 0 : kHighByte) | (run_count ? kRich : 0) |
                                     (entry.phonetic.empty() ? 0 : kPhonetic)));
    if (run_count) Put16(data, static_cast<std::uint16_t>(run_count));
    if (!entry.phonetic.empty()) Put32(data, static_cast<std::uint32_t>(entry.phonetic.size()));

    std::size_t done = 0;
    while (done < entry.text.size()) {
      std::size_t fit = sst.Room() / width;
      if (fit == 0) {
        sst.Flush();
        sst.Data().push_back(compressed ? '\0' : '\1');
        continue;
      }
      fit = std::min(fit, entry.text.size() - done);
      std::string& out = sst.Data();
      for (std::size_t k = done; k < done + fit; ++k) {
        if (compressed) {
          out.push_back(static_cast<char>(entry.text[k]));
        } else {
          Put16(out, entry.text[k]);
        }
      }
      done += fit;
    }
    for (std::size_t r = 0; r < run_count; ++r) {
      if (sst.Room() < 4) sst.Flush();
      sst.Data().append(entry.runs, 4 * r, 4);
    }
    std::string_view phonetic = entry.phonetic;
    while (!phonetic.empty()) {
      if (sst.Room() == 0) sst.Flush();
      const std::size_t n = std::min(sst.Room(), phonetic.size());
      sst.Data().append(phonetic.substr(0, n));
      phonetic.remove_prefix(n);
    }
  }
  sst.Flush();
  writer.Write(kExtSst, ext_sst);
  return total_pos;
}

}  // namespace korvan::xls
