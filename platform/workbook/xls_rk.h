// The RK number encoding of BIFF8 (RK and MULRK cells): a 30-bit integer or
// the high 30 bits of an IEEE double, optionally divided by 100.
// Pure function; thread-safe.
#pragma once

#include <cstdint>

namespace korvan::xls {

double DecodeRk(std::uint32_t rk);

}  // namespace korvan::xls
