#include "text/tag_pieces.h"

#include <cassert>

#include "text/byte_bound.h"
#include "text/wildcard.h"

namespace korvan {
namespace {

// For a pattern that begins and ends with a literal the tag pieces of a cut
// are exactly its matches: a text piece cannot match as a whole, or the
// lazy forward match would have ended inside it.
bool MatchesAreTheTags(std::string_view pattern) {
  return !pattern.empty() && !pattern.starts_with(kWildToken) && !pattern.ends_with(kWildToken);
}

int FirstMatching(std::string_view text, const TStringList& patterns) {
  for (int i = 0; i < patterns.Count(); ++i) {
    if (IsWildMatch(text, patterns[i])) return i;
  }
  return -1;
}

}  // namespace

TTagPieceStream::TTagPieceStream(std::string_view page, const TStringList& opens,
                                 const TStringList& closes)
    : page_(page), opens_(opens), closes_(closes), budget_(BlockBytesBound(page.size())) {
  assert(opens.Count() == closes.Count());
  for (const TStringList* list : {&closes, &opens}) {
    for (const auto& item : list->Items()) {
      Pass pass;
      pass.pattern = item.Text;
      pass.exact = MatchesAreTheTags(item.Text);
      passes_.push_back(pass);
    }
  }
}

bool TTagPieceStream::Pull(std::size_t pass, TTagPiece& piece) {
  if (pass == 0) {
    if (page_taken_ || page_.empty()) return false;
    page_taken_ = true;
    piece = TTagPiece{page_, 0, false};
    return true;
  }
  Pass& p = passes_[pass - 1];
  for (;;) {
    if (p.cutting) {
      std::string_view part;
      bool is_match = false;
      if (p.cursor.Next(part, is_match)) {
        p.total += part.size();
        if (p.total <= budget_) {
          const bool tag = p.exact ? is_match : IsWildMatch(part, p.pattern);
          piece = TTagPiece{part, 0, tag};
          return true;
        }
      }
      p.cutting = false;  // used up, or past the budget: the rest is lost
    }
    if (!Pull(pass - 1, piece)) return false;
    if (piece.Tag || p.total > budget_) return true;
    p.cursor = TSplitKeepCursor(piece.Text, p.pattern, 1);
    p.cutting = true;
  }
}

bool TTagPieceStream::OpenMatches(std::size_t depth, int pattern) const {
  return open_tags_[depth * static_cast<std::size_t>(opens_.Count()) +
                    static_cast<std::size_t>(pattern)];
}

// The nearest earlier piece one level up is always the innermost opening
// tag, so the stack answers the look-back of a close without rescanning.
bool TTagPieceStream::Next(TTagPiece& piece) {
  if (!Pull(passes_.size(), piece)) return false;
  piece.Depth = static_cast<int>(depth_);
  if (!piece.Tag) return true;
  bool opening = false;
  for (const auto& open : opens_.Items()) {
    const bool match = IsWildMatch(piece.Text, open.Text);
    open_tags_.push_back(match);
    opening = opening || match;
  }
  if (opening) {
    ++depth_;
    return true;
  }
  open_tags_.resize(depth_ * static_cast<std::size_t>(opens_.Count()));
  const int close = FirstMatching(piece.Text, closes_);
  if (close < 0) return true;
  if (depth_ > 0 && OpenMatches(depth_ - 1, close)) {
    --depth_;
    open_tags_.resize(depth_ * static_cast<std::size_t>(opens_.Count()));
    piece.Depth = static_cast<int>(depth_);
  } else {
    piece.Text = std::string_view();
  }
  return true;
}

}  // namespace korvan
