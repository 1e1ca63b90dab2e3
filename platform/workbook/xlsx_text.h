// Cell texts as the spreadsheet XML holds them: a string item (<si> of the
// shared strings, <is> of an inline string) is its plain <t> or the <t> of
// its rich-text runs, phonetic runs (<rPh>) left out; characters XML cannot
// carry are escaped as _xHHHH_ (UTF-16 code unit in hex). Pure functions;
// safe from any thread; never throw.
#pragma once

#include <pugixml.hpp>
#include <string>
#include <string_view>

namespace korvan {

// The UTF-8 text of a <si> or <is> element, escapes decoded.
std::string XlsxStringItemText(pugi::xml_node item);

// "_x000D_" -> "\r", "_x005F_" -> "_", a surrogate pair of two escapes -> one
// character. An escape of a lone surrogate stays as it is written.
std::string DecodeXlsxEscapes(std::string_view text);

// The text to put in a <t>: CR and the other control characters except TAB
// and LF (which XML cannot carry or would normalise away) escaped, and an "_"
// that would start an escape written as "_x005F_" so it reads back as itself.
std::string EncodeXlsxEscapes(std::string_view utf8);

}  // namespace korvan
