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

// The banner for a console that draws box-drawing characters one column
// wide (a UTF-8 terminal): every frame character is followed by a piece that
// continues it ("━" after one that joins to the right, else a blank), so the
// frame keeps its 63 columns and its corners stay above their edges.
const std::vector<std::string>& NarrowBoxBannerLines();

// A text row: `text` (code page 936, at most kBannerTextColumns columns)
// centred in the inner frame; the odd blank, if any, goes to the right.
std::string BannerTextRow(const std::string& text);

// Prints the banner in the form the console draws right.
void PrintBanner();

}  // namespace korvan
