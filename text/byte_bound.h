// The bound on the bytes taken from one page by cutting it into pieces and by
// collecting its blocks. A pattern that begins with the wildcard token
// matches from the start of every text it cuts, so its pieces repeat the
// text; unclosed elements make every block run to the end of the page. Both
// grow with the square of the page; the bound keeps the bytes copied or
// scanned linear in the page size. Pure; safe from any thread.
#pragma once

#include <algorithm>
#include <cstddef>

namespace korvan {

// This many bytes, or kBlockBytesPageFactor times the page size, whichever is
// larger.
inline constexpr std::size_t kBlockBytesFloor = 64u << 20;
inline constexpr std::size_t kBlockBytesPageFactor = 16;

inline std::size_t BlockBytesBound(std::size_t page_size) {
  return std::max(kBlockBytesFloor, kBlockBytesPageFactor * page_size);
}

}  // namespace korvan
