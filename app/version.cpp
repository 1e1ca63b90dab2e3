#include "app/version.h"

#include <array>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

#include "text/string_helpers.h"
#include "text/string_list2.h"

namespace korvan {

namespace {

using Version = std::array<std::uint8_t, 4>;

std::optional<Version> ParseVersion(std::string_view text) {
  TStringList2 items;
  items.SetDelimiterStr(".");
  items.SetDelimitedStr(text);
  if (items.Count() != 4) return std::nullopt;
  Version version{};
  for (int i = 0; i < 4; ++i) {
    if (!IsIntStr(items[i])) return std::nullopt;
    // IsIntStr admits only values within 32 bits; the component keeps the
    // low eight bits, as an unsigned byte would.
    const long value = std::strtol(items[i].c_str(), nullptr, 10);
    version[i] = static_cast<std::uint8_t>(static_cast<unsigned long>(value) & 0xFFu);
  }
  return version;
}

}  // namespace

bool IsNewerVersion(std::string_view current, std::string_view latest) {
  const auto mine = ParseVersion(current);
  if (!mine) return false;
  const auto theirs = ParseVersion(latest);
  if (!theirs) return false;
  for (int i = 0; i < 4; ++i) {
    if ((*mine)[i] != (*theirs)[i]) return (*theirs)[i] > (*mine)[i];
  }
  return false;
}

}  // namespace korvan
