#include "text/wildcard.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstring>
#include <functional>

#include "text/string_helpers.h"

namespace korvan {
namespace {

using Pos = std::int64_t;

// Positions are ints; a text is looked at only up to the last byte an int
// position can name.
std::string_view Clip(std::string_view text) {
  constexpr std::size_t kMax = INT_MAX - 1;
  return text.size() > kMax ? text.substr(0, kMax) : text;
}

// Finds longer than this are searched backwards with Boyer-Moore, which keeps
// a hostile long find linear; short ones (all real patterns) scan with
// memrchr and compare from the last byte backwards.
constexpr std::size_t kShortFind = 64;

// The last byte `c` in text[0, n), or null.
const char* LastByte(const char* text, unsigned char c, std::size_t n) {
#if defined(__GLIBC__)
  return static_cast<const char*>(memrchr(text, c, n));
#else
  while (n > 0) {
    if (static_cast<unsigned char>(text[--n]) == c) return text + n;
  }
  return nullptr;
#endif
}

// 0-based start of the rightmost occurrence of `find` that lies wholly in
// text[0, limit), or -1.
Pos RightmostIn(std::string_view find, const char* text, std::size_t limit) {
  const std::size_t m = find.size();
  if (m > limit) return -1;
  if (m > kShortFind) {
    const std::reverse_iterator<const char*> first(text + limit), last(text);
    const std::boyer_moore_searcher searcher(find.rbegin(), find.rend());
    const auto hit = std::search(first, last, searcher);
    if (hit == last) return -1;
    return static_cast<Pos>(last - hit) - static_cast<Pos>(m);
  }
  std::size_t candidates = limit - m + 1;  // starts 0 .. candidates - 1
  while (candidates > 0) {
    const char* hit = LastByte(text, static_cast<unsigned char>(find[0]), candidates);
    if (hit == nullptr) return -1;
    const std::size_t p = hit - text;
    std::size_t i = m;
    while (i > 1 && text[p + i - 1] == find[i - 1]) --i;
    if (i == 1) return static_cast<Pos>(p);
    candidates = p;
  }
  return -1;
}

TMatch Make(Pos start, Pos length) {
  return TMatch{static_cast<int>(start), static_cast<int>(length)};
}

// Where a segment of a backward match ends: an empty segment (a trailing
// token) reaches to `last`, or to the end of the text when `last` is at least
// its length; a literal one is placed at its rightmost occurrence before
// `last`. 0 means no place.
Pos PlaceBackward(std::string_view segment, std::string_view text, Pos last) {
  const Pos n = static_cast<Pos>(text.size());
  if (!segment.empty()) return FindBackward(segment, text, static_cast<int>(last));
  if (last <= 0) return 0;
  return last < n ? last : n + 1;
}

}  // namespace

int FindForward(std::string_view find, std::string_view text, int start) {
  text = Clip(text);
  if (find.empty() || text.empty()) return 0;
  const std::size_t from = start < 1 ? 0 : static_cast<std::size_t>(start) - 1;
  if (from >= text.size() || find.size() > text.size() - from) return 0;
  const std::size_t at = FindBytes(text, find, from);
  return at == std::string_view::npos ? 0 : static_cast<int>(at) + 1;
}

int FindBackward(std::string_view find, std::string_view text, int last) {
  text = Clip(text);
  if (find.empty() || text.empty() || last <= 1) return 0;
  const std::size_t limit = std::min<std::size_t>(static_cast<std::size_t>(last) - 1, text.size());
  const Pos p = RightmostIn(find, text.data(), limit);
  return p < 0 ? 0 : static_cast<int>(p) + 1;
}

TMatch MatchForward(std::string_view text, std::string_view pattern, int from) {
  text = Clip(text);
  const Pos n = static_cast<Pos>(text.size());
  std::size_t token = pattern.find(kWildToken);
  if (token == std::string_view::npos) {
    const int start = FindForward(pattern, text, from);
    return start == 0 ? TMatch{} : Make(start, static_cast<Pos>(pattern.size()));
  }
  const std::string_view head = pattern.substr(0, token);
  Pos start = 0;
  if (head.empty()) {
    start = std::max(from, 1);
    if (start > n + 1) return TMatch{};
  } else {
    start = FindForward(head, text, from);
    if (start == 0) return TMatch{};
  }
  // Each further segment at its leftmost place behind the previous one.
  Pos cursor = start + static_cast<Pos>(head.size());
  std::size_t rest = token + kWildToken.size();
  for (;;) {
    token = pattern.find(kWildToken, rest);
    const std::string_view segment =
        token == std::string_view::npos ? pattern.substr(rest) : pattern.substr(rest, token - rest);
    if (token == std::string_view::npos && segment.empty()) return Make(start, n + 1 - start);
    if (!segment.empty()) {
      const Pos at = FindForward(segment, text, static_cast<int>(cursor));
      if (at == 0) return TMatch{};
      cursor = at + static_cast<Pos>(segment.size());
    }
    if (token == std::string_view::npos) return Make(start, cursor - start);
    rest = token + kWildToken.size();
  }
}

TMatch MatchBackward(std::string_view text, std::string_view pattern, int last) {
  text = Clip(text);
  const Pos n = static_cast<Pos>(text.size());
  std::size_t token = pattern.rfind(kWildToken);
  if (token == std::string_view::npos) {
    const int start = FindBackward(pattern, text, last);
    return start == 0 ? TMatch{} : Make(start, static_cast<Pos>(pattern.size()));
  }
  if (pattern == kWildToken) {
    return Make(1, std::clamp<Pos>(static_cast<Pos>(last) - 1, 0, n));
  }
  const std::string_view tail = pattern.substr(token + kWildToken.size());
  Pos place = PlaceBackward(tail, text, last);
  if (place == 0) return TMatch{};
  const Pos end = place + static_cast<Pos>(tail.size());  // the byte after the match
  // Each earlier segment at its rightmost place before the next one.
  std::string_view head = pattern.substr(0, token);
  Pos start = 1;
  for (;;) {
    token = head.rfind(kWildToken);
    if (token == std::string_view::npos) {
      if (!head.empty()) {
        start = FindBackward(head, text, static_cast<int>(place));
        if (start == 0) return TMatch{};
      }
      break;
    }
    place = PlaceBackward(head.substr(token + kWildToken.size()), text, place);
    if (place == 0) return TMatch{};
    head = head.substr(0, token);
  }
  if (end < start || end > n + 1) return TMatch{};
  return Make(start, end - start);
}

TMatch MatchShortest(std::string_view text, std::string_view pattern, int from) {
  const TMatch forward = MatchForward(text, pattern, from);
  if (forward.Start == 0) return TMatch{};
  return MatchBackward(text, pattern, forward.Start + forward.Length);
}

bool IsWildMatch(std::string_view text, std::string_view pattern) {
  text = Clip(text);
  const TMatch match = MatchForward(text, pattern, 1);
  return match.Start != 0 && static_cast<std::size_t>(match.Length) == text.size();
}

}  // namespace korvan
