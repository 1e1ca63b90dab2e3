// Character-set conversion through glibc iconv.
#include <iconv.h>

#include <cerrno>

#include "platform/codepage.h"

namespace korvan {

namespace {

// Converts with iconv; an invalid or incomplete sequence emits "?" and
// skips one input byte. Nothing when a charset is unknown.
std::optional<std::string> Convert(std::string_view text, const char* from, const char* to) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  std::string out;
  out.resize(text.size() * 2 + 16);
  char* in_ptr = const_cast<char*>(text.data());
  size_t in_left = text.size();
  size_t out_used = 0;
  while (true) {
    char* out_ptr = out.data() + out_used;
    size_t out_left = out.size() - out_used;
    size_t rc = in_left == 0 ? iconv(cd, nullptr, nullptr, &out_ptr, &out_left)
                             : iconv(cd, &in_ptr, &in_left, &out_ptr, &out_left);
    out_used = out.size() - out_left;
    if (rc != static_cast<size_t>(-1)) {
      if (in_left == 0) break;
      continue;
    }
    if (errno == E2BIG) {
      out.resize(out.size() * 2);
      continue;
    }
    // EILSEQ or EINVAL: an invalid or truncated sequence.
    if (out.size() - out_used < 1) out.resize(out.size() * 2);
    out[out_used++] = '?';
    ++in_ptr;
    --in_left;
  }
  iconv_close(cd);
  out.resize(out_used);
  return out;
}

}  // namespace

std::optional<std::string> ConvertCharsetLenient(std::string_view text, const char* from,
                                                 const char* to) {
  return Convert(text, from, to);
}

}  // namespace korvan
