// The framed banner printed at start-up and on the end screen: thirteen
// lines, each 63 console columns wide, drawn with the double-byte
// box-drawing characters of code page 936, with five centred text rows (the
// second is the tool's title). Main thread only (prints).
#pragma once

#include <string>
#include <vector>

namespace korvan {

inline constexpr int kBannerColumns = 63;
// Columns between the inner frame characters of a text row.
inline constexpr int kBannerTextColumns = 42;

// The thirteen lines, code page 936.
const std::vector<std::string>& BannerLines();

// A text row: `text` (code page 936, at most kBannerTextColumns columns)
// centred in the inner frame; the odd blank, if any, goes to the right.
std::string BannerTextRow(const std::string& text);

void PrintBanner();

}  // namespace korvan
