#include "platform/open_page.h"

#include "text/string_helpers.h"

namespace korvan {

namespace {

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && LowerAscii(text.substr(0, prefix.size())) == prefix;
}

}  // namespace

bool IsOpenableAddress(std::string_view address) {
  if (!StartsWithNoCase(address, "http://") && !StartsWithNoCase(address, "https://")) {
    return false;
  }
  for (char c : address) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 32 || b == 127) return false;
  }
  return true;
}

}  // namespace korvan
