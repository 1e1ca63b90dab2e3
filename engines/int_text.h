// Integer values of texts as the engine definitions read them. Pure,
// thread-safe, never throws.
#pragma once

#include <cstdint>
#include <string_view>

namespace korvan {

// The value of `text` when IsIntStr holds for it, else `fallback`.
std::int32_t IntOfText(std::string_view text, std::int32_t fallback);

}  // namespace korvan
