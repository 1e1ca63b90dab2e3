// The text of an HTTP response body in code page 936 (GB18030 superset).
//
// The body is decoded by the first of: a byte-order mark; the charset of the
// Content-Type header; a <meta charset> or <meta http-equiv="content-type">
// within the first 4 KiB; else UTF-8. Labels of the GBK family keep their
// bytes as they stand. An undeclared body that is not valid UTF-8 is taken as
// code page 936 already (the usual case for older Chinese pages). Invalid
// sequences become "?". Letter case is kept. Pure, thread-safe, never throws.
#pragma once

#include <string>
#include <string_view>

namespace korvan {

std::string ResponseTextCp936(std::string_view body, std::string_view content_type);

// The charset label of a Content-Type value, lower-cased; empty when none.
std::string CharsetOfContentType(std::string_view content_type);

// The charset label declared by a <meta> tag in the first 4 KiB of `html`,
// lower-cased; empty when none.
std::string CharsetOfMeta(std::string_view html);

}  // namespace korvan
