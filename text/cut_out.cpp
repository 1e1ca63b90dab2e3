#include "text/cut_out.h"

#include <climits>

#include "text/byte_bound.h"

namespace korvan {

void CutOutText(std::string_view text, TCutOutCondition& condition, std::string& result) {
  std::string open, close;
  SplitAtChar(condition.Condition, '^', open, close);
  int position = condition.CutPos;
  CutBetween(text, open, close, result, position);
  condition.CutPos = position;
}

void CutOutList(std::string_view text, TCutOutCondition& condition, TStringList* pieces) {
  if (text.empty() || pieces == nullptr) return;
  const std::size_t budget = BlockBytesBound(text.size());
  std::size_t total = 0;
  TSplitKeepCursor cursor(text, condition.Condition, condition.CutPos);
  std::string_view piece;
  bool is_match = false;
  while (cursor.Next(piece, is_match)) {
    total += piece.size();
    if (total > budget) break;
    pieces->Add(std::string(piece));
  }
  condition.CutPos = static_cast<int>(text.size() + 1);
}

TSplitKeepCursor::TSplitKeepCursor(std::string_view text, std::string_view pattern, int cut_pos)
    : text_(text), pattern_(pattern), position_(cut_pos < 1 ? 1 : cut_pos) {}

bool TSplitKeepCursor::Next(std::string_view& piece, bool& is_match) {
  const long long n = static_cast<long long>(text_.size());
  if (pending_.Start != 0) {
    piece = text_.substr(static_cast<std::size_t>(pending_.Start - 1),
                         static_cast<std::size_t>(pending_.Length));
    is_match = true;
    position_ = static_cast<long long>(pending_.Start) + pending_.Length;
    pending_ = TMatch{};
    return true;
  }
  if (position_ > n) return false;
  const TMatch match = MatchShortest(text_, pattern_, static_cast<int>(position_));
  const long long start = match.Start;
  const long long end = start + match.Length;  // the byte behind the match
  if (start < 1 || match.Length <= 0 || end <= position_ || end > n + 1) {
    piece = text_.substr(static_cast<std::size_t>(position_ - 1));
    is_match = false;
    position_ = n + 1;
    return true;
  }
  if (start > position_) {
    piece = text_.substr(static_cast<std::size_t>(position_ - 1),
                         static_cast<std::size_t>(start - position_));
    is_match = false;
    pending_ = match;
    return true;
  }
  piece = text_.substr(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(match.Length));
  is_match = true;
  position_ = end;
  return true;
}

void CutBetween(std::string_view text, std::string_view open, std::string_view close,
                std::string& result, int& position) {
  result.clear();
  std::string pattern;
  pattern.reserve(open.size() + kWildToken.size() + close.size());
  pattern.append(open).append(kWildToken).append(close);
  const TMatch match = MatchShortest(text, pattern, position);
  const long long n = static_cast<long long>(text.size());
  if (match.Start < 1 || match.Length < 0 ||
      static_cast<long long>(match.Start) + match.Length > n + 1) {
    position = static_cast<int>(n + 1);
    return;
  }
  position = match.Start + match.Length;
  const std::string_view piece = text.substr(match.Start - 1, match.Length);
  long long inner_start = 1;
  if (!open.empty()) {
    const TMatch head = MatchForward(piece, open, 1);
    inner_start = head.Start == 0 ? 1 : static_cast<long long>(head.Length) + 1;
  }
  long long inner_end = static_cast<long long>(piece.size()) + 1;
  if (!close.empty()) inner_end = MatchBackward(piece, close, INT_MAX).Start;
  if (inner_start < 1 || inner_end <= inner_start ||
      inner_end > static_cast<long long>(piece.size()) + 1) {
    return;
  }
  result.assign(piece.substr(static_cast<std::size_t>(inner_start - 1),
                             static_cast<std::size_t>(inner_end - inner_start)));
}

void SplitAtChar(std::string_view text, char ch, std::string& left, std::string& right) {
  const std::size_t at = text.find(ch);
  if (at == std::string_view::npos) {
    left.assign(text);
    right.clear();
    return;
  }
  left.assign(text.substr(0, at));
  right.assign(text.substr(at + 1));
}

}  // namespace korvan
