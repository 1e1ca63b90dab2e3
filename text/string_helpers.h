// Small pure byte-string helpers over code page 936 text. Thread-safe, never
// throw.
#pragma once

#include <bitset>
#include <string>
#include <string_view>

namespace korvan {

// Replaces every occurrence of `old_text`, left to right, without rescanning
// the replacement. Double-byte aware for code page 936: an occurrence that
// would begin on the second byte of a two-byte character is not taken.
// An empty `old_text` leaves the text unchanged.
std::string ReplaceAll(std::string_view text, std::string_view old_text, std::string_view new_text);

// ReplaceAll(text, old_text, "") in place, without a copy of the text.
void EraseAll(std::string& text, std::string_view old_text);

// Percent-encodes every byte except A-Z a-z 0-9 - . _ (blank is "%20").
std::string UrlEncode(std::string_view text);

using TByteSet = std::bitset<256>;

// The text without the bytes that belong to `set`.
std::string DeleteChars(std::string_view text, const TByteSet& set);

// True when the text is a 32-bit signed decimal integer: leading blanks, an
// optional sign, then 1 to 10 digits within range, nothing after.
bool IsIntStr(std::string_view text);

// The text without the blanks and control bytes (values up to 32) at both
// ends.
std::string_view TrimBlanks(std::string_view text);

// Byte-wise lower-casing of "A" to "Z" only.
std::string LowerAscii(std::string_view text);

// The offset of the first occurrence of `find` in `text` at or after `from`,
// or npos; an empty `find` is found at `from`. Linear in the text's length
// whatever the bytes (pages may be hostile).
std::size_t FindBytes(std::string_view text, std::string_view find, std::size_t from = 0);

}  // namespace korvan
