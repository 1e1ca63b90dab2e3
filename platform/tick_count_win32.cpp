#include <windows.h>

#include "platform/tick_count.h"

namespace korvan {

std::uint32_t GetTickCount() { return static_cast<std::uint32_t>(::GetTickCount()); }

}  // namespace korvan
