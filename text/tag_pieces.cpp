#include "text/tag_pieces.h"

#include <cassert>

#include "text/cut_out.h"
#include "text/html_blocks.h"
#include "text/wildcard.h"

namespace korvan {
namespace {

// For a pattern that begins and ends with a literal the tag pieces of a cut
// are exactly its matches: a text piece cannot match as a whole, or the
// lazy forward match would have ended inside it.
bool MatchesAreTheTags(std::string_view pattern) {
  return !pattern.empty() && !pattern.starts_with(kWildToken) && !pattern.ends_with(kWildToken);
}

void CutBy(std::string_view pattern, std::size_t budget, std::vector<TTagPiece>& pieces) {
  std::vector<TTagPiece> next;
  next.reserve(pieces.size() + pieces.size() / 2 + 16);
  const bool exact = MatchesAreTheTags(pattern);
  std::size_t total = 0;
  for (const TTagPiece& piece : pieces) {
    if (piece.Tag || total > budget) {
      next.push_back(piece);
      continue;
    }
    SplitKeep(piece.Text, pattern, 1, [&](std::string_view part, bool is_match) {
      total += part.size();
      if (total > budget) return false;
      const bool tag = (exact && is_match) || (!exact && IsWildMatch(part, pattern));
      next.push_back(TTagPiece{part, 0, tag});
      return true;
    });
  }
  pieces.swap(next);
}

int FirstMatching(std::string_view text, const TStringList& patterns) {
  for (int i = 0; i < patterns.Count(); ++i) {
    if (IsWildMatch(text, patterns[i])) return i;
  }
  return -1;
}

}  // namespace

std::vector<TTagPiece> CutTagPieces(std::string_view page, const TStringList& opens,
                                    const TStringList& closes) {
  assert(opens.Count() == closes.Count());
  std::vector<TTagPiece> pieces;
  if (page.empty()) return pieces;
  pieces.push_back(TTagPiece{page, 0, false});
  const std::size_t budget = BlockBytesBound(page.size());
  for (const auto& close : closes.Items()) CutBy(close.Text, budget, pieces);
  for (const auto& open : opens.Items()) CutBy(open.Text, budget, pieces);

  // The opening tag of every open element, innermost last; its size is the
  // current depth. The nearest earlier piece one level up is always the
  // innermost opening tag, so this answers the look-back without rescanning.
  std::vector<std::string_view> open_tags;
  for (TTagPiece& piece : pieces) {
    const int depth = static_cast<int>(open_tags.size());
    piece.Depth = depth;
    if (!piece.Tag) continue;
    if (FirstMatching(piece.Text, opens) >= 0) {
      open_tags.push_back(piece.Text);
      continue;
    }
    const int close = FirstMatching(piece.Text, closes);
    if (close < 0) continue;
    if (!open_tags.empty() && IsWildMatch(open_tags.back(), opens[close])) {
      open_tags.pop_back();
      piece.Depth = depth - 1;
    } else {
      piece.Text = std::string_view();
    }
  }
  return pieces;
}

}  // namespace korvan
