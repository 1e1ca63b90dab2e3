// Texts of BIFF8 records: UTF-16LE or "compressed" 8-bit characters (the low
// bytes of UTF-16, that is Latin-1), converted to and from UTF-8, and read
// across the CONTINUE records that carry on a record's data.
//
// PieceReader views the pieces it is given; they must outlive it. Reading past
// the last piece throws WorkbookError. Conversions never throw: an invalid
// UTF-8 sequence or an unpaired surrogate becomes U+FFFD.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace korvan::xls {

std::string Utf16ToUtf8(std::u16string_view text);
std::u16string Utf8ToUtf16(std::string_view text);

// The data of one record followed by the data of its CONTINUE records.
class PieceReader {
 public:
  explicit PieceReader(std::vector<std::string_view> pieces) : pieces_(std::move(pieces)) {}

  std::uint8_t Read8();
  std::uint16_t Read16();
  std::uint32_t Read32();
  // Bytes that may run on into the next piece as they are (rich-text runs,
  // phonetic data).
  void Skip(std::size_t n);
  void ReadBytes(std::size_t n, std::string& out);
  // `count` characters, 8-bit or 16-bit as `high_byte` says; where they run
  // on into the next piece, that piece begins with a new option byte that
  // may change the width.
  void ReadChars(std::size_t count, bool high_byte, std::u16string& out);

  bool AtEnd();
  // True when the current position is at the start of a piece (after the first).
  bool AtPieceStart() const { return piece_ > 0 && pos_ == 0; }
  std::size_t PieceIndex() const { return piece_; }
  std::size_t PiecePosition() const { return pos_; }

 private:
  std::size_t LeftInPiece() const { return pieces_[piece_].size() - pos_; }
  // Moves to the next non-empty piece; throws at the end.
  void NextPiece();

  std::vector<std::string_view> pieces_;
  std::size_t piece_ = 0;
  std::size_t pos_ = 0;
};

// An XLUnicodeString: a character count of `count_bytes` (1 or 2) bytes, an
// option byte and the characters.
std::u16string ReadUnicodeString(PieceReader& reader, int count_bytes);

// The same from a record's bytes, from `offset` on; throws when it does not fit.
std::u16string ReadUnicodeString(std::string_view data, std::size_t offset, int count_bytes);

// Appends `text` as an XLUnicodeString with a 2-byte count: 8-bit when every
// character fits, UTF-16LE otherwise. REQUIRES: text.size() <= 0xFFFF.
void AppendUnicodeString(std::string& out, std::u16string_view text);
bool FitsCompressed(std::u16string_view text);

}  // namespace korvan::xls
