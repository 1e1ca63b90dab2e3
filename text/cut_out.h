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
// BlockBytesBound(text size) bytes.
void CutOutList(std::string_view text, TCutOutCondition& condition, TStringList* pieces);

// The ckSplitKeep cut itself, over views of `text`: calls
// emit(piece, is_match) for every piece from `cut_pos` on, in order, and
// returns the position behind the last piece (length + 1). `emit` returns
// false to stop early. Every match ends behind the position it was looked for
// from, so the cut always terminates.
template <typename Emit>
int SplitKeep(std::string_view text, std::string_view pattern, int cut_pos, Emit&& emit) {
  const long long n = static_cast<long long>(text.size());
  long long position = cut_pos < 1 ? 1 : cut_pos;
  while (position <= n) {
    const TMatch match = MatchShortest(text, pattern, static_cast<int>(position));
    const long long start = match.Start;
    const long long end = start + match.Length;  // the byte behind the match
    if (start < 1 || match.Length <= 0 || end <= position || end > n + 1) {
      emit(text.substr(static_cast<std::size_t>(position - 1)), false);
      break;
    }
    if (start > position) {
      if (!emit(text.substr(static_cast<std::size_t>(position - 1),
                            static_cast<std::size_t>(start - position)),
                false)) {
        break;
      }
    }
    if (!emit(text.substr(static_cast<std::size_t>(start - 1),
                          static_cast<std::size_t>(match.Length)),
              true)) {
      break;
    }
    position = end;
  }
  return static_cast<int>(n + 1);
}

// The cut behind ckBetween: the text between the shortest match of
// open + "[*]" + close at or after `position`; `position` moves behind it,
// or to length + 1 when there is none (and `result` is empty).
void CutBetween(std::string_view text, std::string_view open, std::string_view close,
                std::string& result, int& position);

// Left: text before the first `ch`; right: text after it. Without `ch`, left
// is the whole text and right is empty.
void SplitAtChar(std::string_view text, char ch, std::string& left, std::string& right);

}  // namespace korvan
