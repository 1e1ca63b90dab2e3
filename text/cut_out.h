// Cut-outs: take pieces out of a text by wildcard patterns, with the position
// of the next cut carried in the condition record. Pure, thread-safe, never
// throw.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "text/string_list2.h"

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
// or a null list.
void CutOutList(std::string_view text, TCutOutCondition& condition, TStringList* pieces);

// The cut behind ckBetween: the text between the shortest match of
// open + "[*]" + close at or after `position`; `position` moves behind it,
// or to length + 1 when there is none (and `result` is empty).
void CutBetween(std::string_view text, std::string_view open, std::string_view close,
                std::string& result, int& position);

// Left: text before the first `ch`; right: text after it. Without `ch`, left
// is the whole text and right is empty.
void SplitAtChar(std::string_view text, char ch, std::string& left, std::string& right);

}  // namespace korvan
