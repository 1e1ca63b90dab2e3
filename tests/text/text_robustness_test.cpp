// Random and hostile byte strings through every function of the toolkit,
// with a fixed seed: nothing may crash or hang, results must keep their
// invariants, and the wildcard operations must agree with a direct,
// recursive rendering of their definitions.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <random>
#include <string>
#include <vector>

#include "text/cut_out.h"
#include "text/html_blocks.h"
#include "text/string_helpers.h"
#include "text/string_list2.h"
#include "text/wildcard.h"

namespace korvan {
namespace {

using Pos = long long;

int NaiveFindForward(std::string_view find, std::string_view text, int start) {
  if (find.empty() || text.empty()) return 0;
  const std::size_t at = text.find(find, start < 1 ? 0 : static_cast<std::size_t>(start) - 1);
  return at == std::string_view::npos ? 0 : static_cast<int>(at) + 1;
}

int NaiveFindBackward(std::string_view find, std::string_view text, int last) {
  if (find.empty() || text.empty() || last <= 1) return 0;
  const Pos limit = std::min<Pos>(Pos{last} - 1, static_cast<Pos>(text.size()));
  for (Pos p = limit - static_cast<Pos>(find.size()) + 1; p >= 1; --p) {
    if (text.substr(static_cast<std::size_t>(p - 1), find.size()) == find) {
      return static_cast<int>(p);
    }
  }
  return 0;
}

// The forward and backward matches as defined: split at the first (last)
// token and recurse on the rest.
TMatch RefForward(std::string_view text, std::string_view pattern, int from) {
  const Pos n = static_cast<Pos>(text.size());
  const std::size_t token = pattern.find("[*]");
  if (token == std::string_view::npos) {
    const int start = NaiveFindForward(pattern, text, from);
    return start ? TMatch{start, static_cast<int>(pattern.size())} : TMatch{};
  }
  const std::string_view head = pattern.substr(0, token), tail = pattern.substr(token + 3);
  Pos start = head.empty() ? std::max(from, 1) : NaiveFindForward(head, text, from);
  if (start == 0 || start > n + 1) return TMatch{};
  if (tail.empty()) return TMatch{static_cast<int>(start), static_cast<int>(n + 1 - start)};
  const TMatch rest = RefForward(text, tail, static_cast<int>(start + Pos(head.size())));
  if (rest.Start == 0) return TMatch{};
  return TMatch{static_cast<int>(start), static_cast<int>(rest.Start + rest.Length - start)};
}

TMatch RefBackward(std::string_view text, std::string_view pattern, int last) {
  const Pos n = static_cast<Pos>(text.size());
  if (pattern == "[*]") {
    return TMatch{1, static_cast<int>(std::clamp<Pos>(Pos{last} - 1, 0, n))};
  }
  const std::size_t token = pattern.rfind("[*]");
  if (token == std::string_view::npos) {
    const int start = NaiveFindBackward(pattern, text, last);
    return start ? TMatch{start, static_cast<int>(pattern.size())} : TMatch{};
  }
  const std::string_view head = pattern.substr(0, token), tail = pattern.substr(token + 3);
  Pos e = 0;
  if (tail.empty()) {
    e = last <= 0 ? 0 : (last < n ? last : n + 1);
  } else {
    e = NaiveFindBackward(tail, text, last);
  }
  if (e == 0) return TMatch{};
  const Pos end = e + static_cast<Pos>(tail.size());
  if (head.empty()) return TMatch{1, static_cast<int>(end - 1)};
  const TMatch h = RefBackward(text, head, static_cast<int>(e));
  if (h.Start == 0) return TMatch{};
  return TMatch{h.Start, static_cast<int>(end - h.Start)};
}

// A match must lie inside the text (an empty one may sit one past its end).
TMatch Checked(TMatch m, std::string_view text) {
  if (m.Start == 0) return m;
  if (m.Length < 0 || Pos{m.Start} + m.Length > static_cast<Pos>(text.size()) + 1) return {};
  return m;
}

::testing::AssertionResult Same(TMatch got, TMatch want) {
  if (got.Start == want.Start && (got.Start == 0 || got.Length == want.Length)) {
    return ::testing::AssertionSuccess();
  }
  return ::testing::AssertionFailure() << "got " << got.Start << "+" << got.Length << ", want "
                                       << want.Start << "+" << want.Length;
}

std::string Pick(std::mt19937& rng, const std::vector<std::string>& alphabet, int max_parts) {
  std::uniform_int_distribution<int> parts(0, max_parts);
  std::uniform_int_distribution<std::size_t> part(0, alphabet.size() - 1);
  std::string out;
  for (int i = parts(rng); i > 0; --i) out += alphabet[part(rng)];
  return out;
}

const std::vector<std::string> kTextBytes = {
    "a", "b", "[", "]", "*", "<", ">", std::string(1, '\0'), "\xFF", "\x81"};
const std::vector<std::string> kPatternParts = {"a", "b", "[*]", "[", "]", "*", "<", ">", "\xFF"};

TEST(TextRobustnessTest, WildcardOperationsFollowTheirDefinitions) {
  std::mt19937 rng(4711);
  for (int round = 0; round < 20000; ++round) {
    const std::string text = Pick(rng, kTextBytes, 12);
    const std::string pattern = Pick(rng, kPatternParts, 6);
    const int n = static_cast<int>(text.size());
    std::uniform_int_distribution<int> position(-2, n + 3);
    const int from = position(rng);
    SCOPED_TRACE("text '" + text + "' pattern '" + pattern + "' at " + std::to_string(from));

    ASSERT_EQ(FindForward(pattern, text, from), NaiveFindForward(pattern, text, from));
    ASSERT_EQ(FindBackward(pattern, text, from), NaiveFindBackward(pattern, text, from));
    const TMatch forward = MatchForward(text, pattern, from);
    ASSERT_TRUE(Same(forward, Checked(RefForward(text, pattern, from), text)));
    ASSERT_TRUE(Same(forward, Checked(forward, text)));
    const TMatch backward = MatchBackward(text, pattern, from);
    ASSERT_TRUE(Same(backward, Checked(RefBackward(text, pattern, from), text)));
    ASSERT_TRUE(Same(backward, Checked(backward, text)));
    TMatch shortest = Checked(RefForward(text, pattern, from), text);
    if (shortest.Start != 0) {
      shortest = Checked(RefBackward(text, pattern, shortest.Start + shortest.Length), text);
    }
    ASSERT_TRUE(Same(MatchShortest(text, pattern, from), shortest));
    const TMatch whole = Checked(RefForward(text, pattern, 1), text);
    ASSERT_EQ(IsWildMatch(text, pattern), whole.Start != 0 && whole.Length == n);
  }
}

TEST(TextRobustnessTest, LongFindsAgreeWithANaiveSearch) {
  std::mt19937 rng(99);
  const std::vector<std::string> ab = {"a", "b", "aaaa"};
  for (int round = 0; round < 300; ++round) {
    const std::string text = Pick(rng, ab, 200);
    std::uniform_int_distribution<std::size_t> cut(0, text.size());
    const std::size_t from = cut(rng);
    std::string find = text.substr(from, 70 + round % 40);
    if (round % 3 == 0) find = Pick(rng, ab, 40) + "b";
    std::uniform_int_distribution<int> last(0, static_cast<int>(text.size()) + 2);
    const int position = last(rng);
    ASSERT_EQ(FindBackward(find, text, position), NaiveFindBackward(find, text, position));
    ASSERT_EQ(FindForward(find, text, position), NaiveFindForward(find, text, position));
  }
}

TEST(TextRobustnessTest, CutsKeepTheirInvariants) {
  std::mt19937 rng(31337);
  for (int round = 0; round < 5000; ++round) {
    const std::string text = Pick(rng, kTextBytes, 16);
    const std::string pattern = Pick(rng, kPatternParts, 5);
    std::uniform_int_distribution<int> position(-3, static_cast<int>(text.size()) + 3);
    const int from = position(rng);
    SCOPED_TRACE("text '" + text + "' pattern '" + pattern + "' at " + std::to_string(from));

    TCutOutCondition split{ckSplitKeep, from, pattern};
    TStringList pieces;
    CutOutList(text, split, &pieces);
    std::string joined;
    for (const auto& item : pieces.Items()) {
      ASSERT_FALSE(item.Text.empty());
      joined += item.Text;
    }
    if (!text.empty()) {
      ASSERT_EQ(split.CutPos, static_cast<int>(text.size()) + 1);
    }
    if (!pattern.starts_with("[*]") && !text.empty()) {
      const int first = std::clamp(from, 1, static_cast<int>(text.size()) + 1);
      ASSERT_EQ(joined, text.substr(static_cast<std::size_t>(first) - 1));
    }

    TCutOutCondition between{ckBetween, from, pattern};
    std::string result;
    CutOutText(text, between, result);
    ASSERT_GE(between.CutPos, 1);
    ASSERT_LE(between.CutPos, static_cast<int>(text.size()) + 1);
    ASSERT_NE(text.find(result), std::string::npos);
  }
}

TEST(TextRobustnessTest, HelpersAndListsKeepTheirInvariants) {
  std::mt19937 rng(2718);
  const std::vector<std::string> numbers = {" ", "+", "-", "0", "1", "2", "4", "7", "9", "\t"};
  for (int round = 0; round < 5000; ++round) {
    const std::string text = Pick(rng, kTextBytes, 20);
    const std::string old_text = Pick(rng, kTextBytes, 2);
    ASSERT_EQ(ReplaceAll(text, old_text, old_text), text);
    std::string erased = text;
    EraseAll(erased, old_text);
    ASSERT_EQ(erased, ReplaceAll(text, old_text, ""));
    if (std::none_of(text.begin(), text.end(), [](char c) { return (unsigned char)c >= 0x81; })) {
      std::string naive;  // without two-byte characters it is a plain replace
      std::size_t at = 0;
      while (!old_text.empty() && text.find(old_text, at) != std::string::npos) {
        const std::size_t hit = text.find(old_text, at);
        naive += text.substr(at, hit - at) + "#";
        at = hit + old_text.size();
      }
      naive += text.substr(at);
      ASSERT_EQ(ReplaceAll(text, old_text, "#"), old_text.empty() ? text : naive);
    }

    const std::string encoded = UrlEncode(text);
    std::string decoded;
    for (std::size_t i = 0; i < encoded.size(); ++i) {
      if (encoded[i] != '%') {
        ASSERT_TRUE(std::isalnum(static_cast<unsigned char>(encoded[i])) ||
                    std::string_view("-._").find(encoded[i]) != std::string_view::npos);
        decoded += encoded[i];
        continue;
      }
      ASSERT_LE(i + 2, encoded.size() - 1);
      decoded += static_cast<char>(std::stoi(encoded.substr(i + 1, 2), nullptr, 16));
      i += 2;
    }
    ASSERT_EQ(decoded, text);

    TByteSet set;
    set.set(0).set(0xFF).set('[');
    const std::string kept = DeleteChars(text, set);
    ASSERT_EQ(kept.size(),
              static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [&](char c) {
                return !set.test(static_cast<unsigned char>(c));
              })));
    for (const char c : kept) ASSERT_FALSE(set.test(static_cast<unsigned char>(c)));

    const std::string number = Pick(rng, numbers, 12);
    std::size_t i = number.find_first_not_of(' ');
    bool want = false;
    if (i != std::string::npos) {
      if (number[i] == '+' || number[i] == '-') ++i;
      const std::string digits = number.substr(std::min(i, number.size()));
      if (!digits.empty() && digits.size() <= 10 &&
          digits.find_first_not_of("0123456789") == std::string::npos) {
        const long long value = std::stoll(number.substr(number.find_first_not_of(' ')));
        want = value >= INT_MIN && value <= INT_MAX;
      }
    }
    ASSERT_EQ(IsIntStr(number), want) << "'" << number << "'";

    TStringList2 list;
    std::string delimiter = Pick(rng, kTextBytes, 2);
    if (delimiter.empty()) delimiter = "|";
    list.SetDelimiterStr(delimiter);
    list.SetDelimitedStr(text);
    for (const auto& item : list.Items()) {
      ASSERT_FALSE(item.Text.empty());
      ASSERT_GT(static_cast<unsigned char>(item.Text.front()), 32);
      ASSERT_GT(static_cast<unsigned char>(item.Text.back()), 32);
      ASSERT_EQ(item.Text.find(list.DelimiterStr()), std::string::npos);
      ASSERT_NE(text.find(item.Text), std::string::npos);
    }
  }
}

TEST(TextRobustnessTest, ExtractionSurvivesHostilePagesAndPatterns) {
  std::mt19937 rng(8128);
  const std::vector<std::string> soup = {"<li>", "</li>", "<div>", "</div>", "<",
                                         ">",    "[",     "[*]",   "\xFF",   std::string(1, '\0'),
                                         "a",    "</"};
  const std::vector<std::string> parts = {"<li", "</li>", "<div", "</div>", "[*]", ">",
                                          "<",   ",",     "[",    "a",      "\xFF"};
  for (int round = 0; round < 3000; ++round) {
    const std::string page = Pick(rng, soup, 30);
    const std::string opens = Pick(rng, parts, 4), closes = Pick(rng, parts, 4);
    const std::string start = Pick(rng, parts, 3), first = Pick(rng, parts, 3);
    std::uniform_int_distribution<int> depth(-3, 3);
    const auto blocks = ExtractBlocks(page, opens, closes, start, first, depth(rng));
    if (blocks == nullptr) continue;
    ASSERT_GT(blocks->Count(), 0);
    int flagged = 0;
    for (const auto& item : blocks->Items()) {
      ASSERT_TRUE(item.Tag == 0 || item.Tag == 1);
      flagged += static_cast<int>(item.Tag);
    }
    ASSERT_LE(flagged, 1);
  }

  // Large hostile pages finish and stay within the byte bound.
  const std::string unterminated = R"(<div id="main">)" + std::string(1 << 20, '<');
  for (const char* open : {"<[*]>", "[*]<", "<[*]", "[*]", "<<[*]<"}) {
    const auto blocks = ExtractBlocks(unterminated, open, "</li>", "[*]", "", -1);
    std::size_t total = 0;
    if (blocks != nullptr) {
      for (const auto& item : blocks->Items()) total += item.Text.size();
    }
    EXPECT_LE(total, BlockBytesBound(unterminated.size())) << open;
  }
  EXPECT_EQ(ExtractBlocks(std::string(1 << 20, '\0'), "<li[*]>", "</li>", "[", "", INT_MAX),
            nullptr);
  // With the start piece itself deeper than the base no piece comes before
  // the first block, so it has nothing to be flagged by.
  const auto lone = ExtractBlocks("[", "[", "[", "[", "[", INT_MIN);
  ASSERT_NE(lone, nullptr);
  ASSERT_EQ(lone->Count(), 1);
  EXPECT_EQ(lone->Get(0), "[");
  EXPECT_EQ(lone->Tag(0), 0);
}

}  // namespace
}  // namespace korvan
