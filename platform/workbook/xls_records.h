// BIFF8 records of a workbook stream: reading them one by one with every
// length checked against the stream, and writing them with data beyond the
// 8,224-byte record limit carried on in CONTINUE records.
//
// BiffReader views bytes it does not own; they must outlive it. A record that
// runs past the end of its stream throws WorkbookError. Not thread-safe.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace korvan::xls {

// Record types used by the reader and the writer.
enum RecordType : std::uint16_t {
  kFormula = 0x0006,
  kEof = 0x000A,
  kFilePass = 0x002F,
  kContinue = 0x003C,
  kDefColWidth = 0x0055,
  kBoundSheet = 0x0085,
  kMulRk = 0x00BD,
  kMulBlank = 0x00BE,
  kRString = 0x00D6,
  kDbCell = 0x00D7,
  kXf = 0x00E0,
  kSst = 0x00FC,
  kLabelSst = 0x00FD,
  kExtSst = 0x00FF,
  kDimensions = 0x0200,
  kBlank = 0x0201,
  kNumber = 0x0203,
  kLabel = 0x0204,
  kBoolErr = 0x0205,
  kString = 0x0207,
  kRow = 0x0208,
  kIndex = 0x020B,
  kArray = 0x0221,
  kTable = 0x0236,
  kRk = 0x027E,
  kFormat = 0x041E,
  kShrFmla = 0x04BC,
  kBof = 0x0809,
};

// The most data bytes one record holds.
constexpr std::size_t kMaxRecordData = 8224;

// BOF versions and substream kinds.
constexpr std::uint16_t kBiff8Version = 0x0600;
constexpr std::uint16_t kBofGlobals = 0x0005;
constexpr std::uint16_t kBofWorksheet = 0x0010;
constexpr std::uint16_t kBofMacroSheet = 0x0040;

inline std::uint16_t Get16(const char* p) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(p[0]) |
                                    static_cast<unsigned char>(p[1]) << 8);
}
inline std::uint32_t Get32(const char* p) {
  return static_cast<std::uint32_t>(Get16(p)) | static_cast<std::uint32_t>(Get16(p + 2)) << 16;
}
double GetDouble(const char* p);

void Put16(std::string& out, std::uint16_t v);
void Put32(std::string& out, std::uint32_t v);
void Set16(std::string& out, std::size_t pos, std::uint16_t v);
void Set32(std::string& out, std::size_t pos, std::uint32_t v);

struct Record {
  std::uint16_t type = 0;
  std::size_t offset = 0;  // of the 4-byte header in the stream
  std::string_view data;
  std::size_t End() const { return offset + 4 + data.size(); }
};

class BiffReader {
 public:
  explicit BiffReader(std::string_view stream, std::size_t offset = 0)
      : stream_(stream), pos_(offset) {}

  // False at the end of the stream, or when fewer than 4 bytes are left.
  bool Next(Record& record);
  // The type of the record at the current position, or 0 at the end.
  std::uint16_t PeekType() const;
  std::size_t Position() const { return pos_; }

 private:
  std::string_view stream_;
  std::size_t pos_;
};

// Appends records to a stream held in memory; positions are offsets in it.
class BiffWriter {
 public:
  std::size_t Position() const { return out_.size(); }
  // Writes one record, going on in CONTINUE records after kMaxRecordData.
  void Write(std::uint16_t type, std::string_view data);
  // Copies records exactly as they were (headers included).
  void WriteRaw(std::string_view bytes) { out_.append(bytes); }
  void Patch16(std::size_t pos, std::uint16_t v) { Set16(out_, pos, v); }
  void Patch32(std::size_t pos, std::uint32_t v) { Set32(out_, pos, v); }
  std::string& Bytes() { return out_; }

 private:
  std::string out_;
};

}  // namespace korvan::xls
