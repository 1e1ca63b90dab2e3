#include "platform/workbook/xls_rk.h"

#include <cstring>

namespace korvan::xls {

double DecodeRk(std::uint32_t rk) {
  double value;
  if (rk & 0x02) {
    // A signed 30-bit integer in the high bits.
    value = static_cast<double>(static_cast<std::int32_t>(rk) >> 2);
  } else {
    const std::uint64_t bits = static_cast<std::uint64_t>(rk & 0xFFFFFFFCu) << 32;
    std::memcpy(&value, &bits, sizeof value);
  }
  return (rk & 0x01) ? value / 100 : value;
}

}  // namespace korvan::xls
