// Cut-outs: take pieces out of a text by wildcard patterns, with the position
// of the next cut carried in the condition record. Pure, thread-safe, never
// throw.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "text/string_list2.h"
#include "text/wildcard.h"

namespace korvan {

enum TCutKind : std::uint8_t { ckBetween = 0, ckSplitKeep = 7 };

struct TCutOutCondition {
  TCutKind CutKind = ckBetween;
  std::int32_t CutPos = 1;  // 1-based position of the next cut
  std::string Condition;    // ckBetween: open "^" close; ckSplitKeep: pattern
};

// One ckBetween cut; the result excludes the opening and closing matches.
void CutOutText(std::string_view text, TCutOutCondition& condition, std::string& result);

// Appends the pieces of a ckSplitKeep cut (text between matches and the
// matches themselves, never an empty piece). Does nothing for an empty text
// or a null list. A pattern that begins with the wildcard token matches from
// position 1, so every such piece repeats the text from its start; to stay
// bounded the cut stops (CutPos past the end) once the pieces would exceed
// BlockBytesBound(text size) bytes (text/byte_bound.h).
void CutOutList(std::string_view text, TCutOutCondition& condition, TStringList* pieces);

// The ckSplitKeep cut itself, one piece at a time, over views of `text`:
// the text before each shortest match of `pattern` from `cut_pos` on (when
// not empty), the match, and the rest after the last match. Every match ends
// behind the position it was looked for from, so the cut always ends.
class TSplitKeepCursor {
 public:
  TSplitKeepCursor() = default;
  TSplitKeepCursor(std::string_view text, std::string_view pattern, int cut_pos);

  // The next piece and whether it is a match; false when the text is used up.
  bool Next(std::string_view& piece, bool& is_match);

 private:
  std::string_view text_;
  std::string_view pattern_;
  long long position_ = 1;  // 1-based; past the end when the text is used up
  TMatch pending_;          // a match found behind the text piece handed out
};

// The cut behind ckBetween: the text between the shortest match of
// open + "[*]" + close at or after `position`; `position` moves behind it,
// or to length + 1 when there is none (and `result` is empty).
void CutBetween(std::string_view text, std::string_view open, std::string_view close,
                std::string& result, int& position);

// Left: text before the first `ch`; right: text after it. Without `ch`, left
// is the whole text and right is empty.
void SplitAtChar(std::string_view text, char ch, std::string& left, std::string& right);

}  // namespace korvan
