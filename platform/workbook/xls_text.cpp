#include "platform/workbook/xls_text.h"

#include "platform/workbook/workbook_file.h"
#include "platform/workbook/xls_records.h"

namespace korvan::xls {
namespace {

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | c >> 6));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | c >> 12));
    out.push_back(static_cast<char>(0x80 | (c >> 6 & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | c >> 18));
    out.push_back(static_cast<char>(0x80 | (c >> 12 & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c >> 6 & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

[[noreturn]] void TextPastEnd() {
  throw WorkbookError("the workbook is damaged: a text runs past the end of its record");
}

}  // namespace

std::string Utf16ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] < 0xE000) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c < 0xE000) {
      c = 0xFFFD;
    }
    AppendUtf8(out, c);
  }
  return out;
}

std::u16string Utf8ToUtf16(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  std::size_t i = 0;
  while (i < text.size()) {
    const unsigned char b = static_cast<unsigned char>(text[i]);
    int extra = 0;
    char32_t c = 0;
    char32_t min = 0;
    if (b < 0x80) {
      c = b;
    } else if ((b & 0xE0) == 0xC0) {
      extra = 1, c = b & 0x1F, min = 0x80;
    } else if ((b & 0xF0) == 0xE0) {
      extra = 2, c = b & 0x0F, min = 0x800;
    } else if ((b & 0xF8) == 0xF0) {
      extra = 3, c = b & 0x07, min = 0x10000;
    } else {
      out.push_back(0xFFFD);
      ++i;
      continue;
    }
    std::size_t j = i + 1;
    for (int k = 0; k < extra; ++k, ++j) {
      if (j >= text.size() || (static_cast<unsigned char>(text[j]) & 0xC0) != 0x80) break;
      c = c << 6 | (static_cast<unsigned char>(text[j]) & 0x3F);
    }
    if (j != i + 1 + static_cast<std::size_t>(extra) || c < min || c > 0x10FFFF ||
        (c >= 0xD800 && c < 0xE000)) {
      out.push_back(0xFFFD);
      i = j > i + 1 ? j : i + 1;
      continue;
    }
    if (c >= 0x10000) {
      out.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(c));
    }
    i = j;
  }
  return out;
}

void PieceReader::NextPiece() {
  do {
    if (piece_ + 1 >= pieces_.size()) TextPastEnd();
    ++piece_;
    pos_ = 0;
  } while (pieces_[piece_].empty());
}

bool PieceReader::AtEnd() {
  while (LeftInPiece() == 0) {
    if (piece_ + 1 >= pieces_.size()) return true;
    ++piece_;
    pos_ = 0;
  }
  return false;
}

std::uint8_t PieceReader::Read8() {
  if (LeftInPiece() == 0) NextPiece();
  return static_cast<std::uint8_t>(pieces_[piece_][pos_++]);
}

std::uint16_t PieceReader::Read16() {
  const std::uint16_t lo = Read8();
  return static_cast<std::uint16_t>(lo | Read8() << 8);
}

std::uint32_t PieceReader::Read32() {
  const std::uint32_t lo = Read16();
  return lo | static_cast<std::uint32_t>(Read16()) << 16;
}

void PieceReader::Skip(std::size_t n) {
  while (n > 0) {
    if (LeftInPiece() == 0) NextPiece();
    const std::size_t take = n < LeftInPiece() ? n : LeftInPiece();
    pos_ += take;
    n -= take;
  }
}

void PieceReader::ReadBytes(std::size_t n, std::string& out) {
  while (n > 0) {
    if (LeftInPiece() == 0) NextPiece();
    const std::size_t take = n < LeftInPiece() ? n : LeftInPiece();
    out.append(pieces_[piece_].substr(pos_, take));
    pos_ += take;
    n -= take;
  }
}

void PieceReader::ReadChars(std::size_t count, bool high_byte, std::u16string& out) {
  while (count > 0) {
    if (LeftInPiece() == 0) {
      NextPiece();
      high_byte = (Read8() & 0x01) != 0;
    }
    const std::string_view piece = pieces_[piece_];
    const std::size_t width = high_byte ? 2 : 1;
    std::size_t fit = LeftInPiece() / width;
    if (fit == 0) TextPastEnd();  // half a character at the end of a piece
    if (fit > count) fit = count;
    const char* p = piece.data() + pos_;
    for (std::size_t i = 0; i < fit; ++i) {
      out.push_back(high_byte ? static_cast<char16_t>(Get16(p + 2 * i))
                              : static_cast<char16_t>(static_cast<unsigned char>(p[i])));
    }
    pos_ += fit * width;
    count -= fit;
  }
}

std::u16string ReadUnicodeString(PieceReader& reader, int count_bytes) {
  const std::size_t count = count_bytes == 1 ? reader.Read8() : reader.Read16();
  const std::uint8_t options = reader.Read8();
  std::u16string out;
  out.reserve(count);
  reader.ReadChars(count, (options & 0x01) != 0, out);
  return out;
}

std::u16string ReadUnicodeString(std::string_view data, std::size_t offset, int count_bytes) {
  if (offset > data.size()) TextPastEnd();
  PieceReader reader({data.substr(offset)});
  return ReadUnicodeString(reader, count_bytes);
}

bool FitsCompressed(std::u16string_view text) {
  for (char16_t c : text) {
    if (c > 0xFF) return false;
  }
  return true;
}

void AppendUnicodeString(std::string& out, std::u16string_view text) {
  Put16(out, static_cast<std::uint16_t>(text.size()));
  const bool compressed = FitsCompressed(text);
  out.push_back(compressed ? '\0' : '\1');
  for (char16_t c : text) {
    if (compressed) {
      out.push_back(static_cast<char>(c));
    } else {
      Put16(out, c);
    }
  }
}

}  // namespace korvan::xls
