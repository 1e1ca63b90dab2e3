// Character-set conversion. Code page 936 text is converted as GB18030, a
// superset of GBK, so every GBK byte string round-trips and no character
// outside GBK is lost.
// POSIX: glibc iconv. Windows: MultiByteToWideChar / WideCharToMultiByte
// with the code page of the iconv name (GB18030 is code page 54936, or 936
// where the system lacks it); a character the target cannot hold becomes one
// "?" there, where iconv writes "?" per byte of it.
// Thread-safe (each call opens its own converter); never throws.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace korvan {

// Converts `text` from charset `from` to charset `to` (iconv names); an
// invalid sequence becomes "?" per byte. Nothing when a charset is unknown.
std::optional<std::string> ConvertCharsetLenient(std::string_view text, const char* from,
                                                 const char* to);

// Lenient conversions: an invalid sequence is replaced by "?" per byte.
std::string Cp936ToUtf8(std::string_view text);
std::string Utf8ToCp936(std::string_view text);

// The code page 936 form of a UTF-8 text that lives as long as the program
// (a string literal of the program's own texts), converted on first use and
// kept, so that a console text is written where it is used. Thread-safe; the
// reference stays valid until the program ends.
const std::string& Cp936Text(std::string_view utf8_literal);

// True when the text is valid UTF-8 (the empty text included).
bool IsValidUtf8(std::string_view text);

}  // namespace korvan
