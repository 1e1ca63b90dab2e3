#include "platform/workbook/xls_records.h"

#include <cstring>

#include "platform/workbook/workbook_file.h"

namespace korvan::xls {

double GetDouble(const char* p) {
  std::uint64_t bits =
      static_cast<std::uint64_t>(Get32(p)) | static_cast<std::uint64_t>(Get32(p + 4)) << 32;
  double value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

void Put16(std::string& out, std::uint16_t v) {
  out.push_back(static_cast<char>(v & 0xFF));
  out.push_back(static_cast<char>(v >> 8));
}

void Put32(std::string& out, std::uint32_t v) {
  Put16(out, static_cast<std::uint16_t>(v & 0xFFFF));
  Put16(out, static_cast<std::uint16_t>(v >> 16));
}

void Set16(std::string& out, std::size_t pos, std::uint16_t v) {
  out[pos] = static_cast<char>(v & 0xFF);
  out[pos + 1] = static_cast<char>(v >> 8);
}

void Set32(std::string& out, std::size_t pos, std::uint32_t v) {
  Set16(out, pos, static_cast<std::uint16_t>(v & 0xFFFF));
  Set16(out, pos + 2, static_cast<std::uint16_t>(v >> 16));
}

bool BiffReader::Next(Record& record) {
  if (pos_ > stream_.size() || stream_.size() - pos_ < 4) return false;
  const char* header = stream_.data() + pos_;
  const std::size_t length = Get16(header + 2);
  if (stream_.size() - pos_ - 4 < length) {
    throw WorkbookError("the workbook is damaged: a record runs past the end of its stream");
  }
  record.type = Get16(header);
  record.offset = pos_;
  record.data = stream_.substr(pos_ + 4, length);
  pos_ += 4 + length;
  return true;
}

std::uint16_t BiffReader::PeekType() const {
  if (pos_ > stream_.size() || stream_.size() - pos_ < 4) return 0;
  return Get16(stream_.data() + pos_);
}

void BiffWriter::Write(std::uint16_t type, std::string_view data) {
  do {
    const std::size_t n = data.size() < kMaxRecordData ? data.size() : kMaxRecordData;
    Put16(out_, type);
    Put16(out_, static_cast<std::uint16_t>(n));
    out_.append(data.substr(0, n));
    data.remove_prefix(n);
    type = kContinue;
  } while (!data.empty());
}

}  // namespace korvan::xls
