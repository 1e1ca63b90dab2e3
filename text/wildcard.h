// Byte-string search and the "[*]" wildcard pattern language.
//
// Texts and patterns are byte strings; nothing is decoded. Positions are
// 1-based byte positions, 0 meaning "not found". Every byte of a pattern that
// is not part of a "[*]" token is a literal compared exactly. "[*]" stands for
// any run of bytes, including none. All functions are pure, thread-safe, never
// throw and never allocate memory that outlives the call.
#pragma once

#include <string_view>

namespace korvan {

inline constexpr std::string_view kWildToken = "[*]";

// A match of a pattern: Start 0 means no match (Length is then meaningless).
struct TMatch {
  int Start = 0;
  int Length = 0;
};

// Leftmost occurrence of `find` beginning at or after `start` (>= 1).
// 0 when `find` or `text` is empty or nothing is found.
int FindForward(std::string_view find, std::string_view text, int start);

// Rightmost occurrence of `find` lying wholly within 1 .. min(last - 1,
// length of text). 0 when `find` or `text` is empty, `last` <= 1, or none.
int FindBackward(std::string_view find, std::string_view text, int last);

// Lazy forward match: each literal segment at its leftmost place behind the
// previous one. A leading token anchors at `from`; a trailing one runs to the
// end of the text.
TMatch MatchForward(std::string_view text, std::string_view pattern, int from);

// Mirror image of MatchForward: each segment at its rightmost place before
// `last`. A leading token anchors the match at position 1.
TMatch MatchBackward(std::string_view text, std::string_view pattern, int last);

// The shortest match that ends earliest at or after `from`.
TMatch MatchShortest(std::string_view text, std::string_view pattern, int from);

// True when the lazy forward match from 1 covers the whole text.
bool IsWildMatch(std::string_view text, std::string_view pattern);

}  // namespace korvan
