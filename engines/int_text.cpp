#include "engines/int_text.h"

#include <cstdlib>
#include <string>

#include "text/string_helpers.h"

namespace korvan {

std::int32_t IntOfText(std::string_view text, std::int32_t fallback) {
  if (!IsIntStr(text)) return fallback;
  // IsIntStr guarantees a 32-bit decimal, possibly after leading blanks.
  return static_cast<std::int32_t>(std::strtol(std::string(text).c_str(), nullptr, 10));
}

}  // namespace korvan
