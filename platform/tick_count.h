// GetTickCount: milliseconds of a monotonic clock as an unsigned 32-bit
// value, so it wraps after about 49.7 days; differences are taken modulo
// 2^32. The system's own GetTickCount on Windows, the steady clock on POSIX.
// Thread-safe, never throws.
#pragma once

#include <cstdint>

namespace korvan {

std::uint32_t GetTickCount();

// `now` - `start` modulo 2^32: the elapsed milliseconds across a wrap.
inline std::uint32_t TicksSince(std::uint32_t start, std::uint32_t now) { return now - start; }

}  // namespace korvan
