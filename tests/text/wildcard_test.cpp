#include "text/wildcard.h"

#include <gtest/gtest.h>

#include <string>

namespace korvan {
namespace {

::testing::AssertionResult Is(TMatch match, int start, int length) {
  if (match.Start == start && match.Length == length) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "got start " << match.Start << " length " << match.Length
                                       << ", want start " << start << " length " << length;
}

TEST(WildcardTest, PlainSearchesHonourTheirBounds) {
  EXPECT_EQ(FindForward("ab", "xxabab", 1), 3);
  EXPECT_EQ(FindForward("ab", "xxabab", 4), 5);
  EXPECT_EQ(FindForward("ab", "xxabab", 6), 0);  // only one byte left
  EXPECT_EQ(FindForward("abc", "ab", 1), 0);
  EXPECT_EQ(FindForward("", "ab", 1), 0);
  EXPECT_EQ(FindForward("a", "", 1), 0);

  EXPECT_EQ(FindBackward("ab", "abab", 5), 3);
  EXPECT_EQ(FindBackward("ab", "abab", 4), 1);  // the one at 3 would end at 4
  EXPECT_EQ(FindBackward("ab", "abab", 2), 0);
  EXPECT_EQ(FindBackward("ab", "abab", 100), 3);
  EXPECT_EQ(FindBackward("b", "abab", 1), 0);
}

TEST(WildcardTest, LongFindsAreFoundByBothSearches) {
  const std::string find = std::string(100, 'a') + "b";
  const std::string text = "b" + find + std::string(200, 'a') + find + "aa";
  EXPECT_EQ(FindForward(find, text, 1), 2);
  EXPECT_EQ(FindForward(find, text, 3), 2 + 101 + 200);
  EXPECT_EQ(FindBackward(find, text, static_cast<int>(text.size()) + 1), 2 + 101 + 200);
  EXPECT_EQ(FindBackward(find, text, 2 + 101 + 200 + 100), 2);
}

TEST(WildcardTest, ForwardMatchIsLazyAndTrailingTokenRunsToTheEnd) {
  EXPECT_TRUE(Is(MatchForward("abc", "[*]", 2), 2, 2));
  EXPECT_TRUE(Is(MatchForward("abc", "[*]", 4), 4, 0));
  EXPECT_TRUE(Is(MatchForward("xx<p>a</p><p>b</p>", "<p>[*]</p>", 1), 3, 8));
  EXPECT_TRUE(Is(MatchForward("xxabcdef", "ab[*]", 1), 3, 6));
  EXPECT_TRUE(Is(MatchForward("xaybyb", "a[*]b", 1), 2, 3));
  EXPECT_EQ(MatchForward("abc", "x[*]", 1).Start, 0);
  EXPECT_EQ(MatchForward("abc", "a[*]x", 1).Start, 0);
}

TEST(WildcardTest, BackwardMatchPlacesSegmentsRightmost) {
  EXPECT_TRUE(Is(MatchBackward("xx<p>a</p><p>b</p>", "<p>[*]</p>", 100), 11, 8));
  EXPECT_TRUE(Is(MatchBackward("abcdef", "ab[*]", 4), 1, 3));
  EXPECT_TRUE(Is(MatchBackward("abcdef", "ab[*]", 6), 1, 6));
  EXPECT_TRUE(Is(MatchBackward("abcdef", "ab[*]", 7), 1, 6));
  EXPECT_TRUE(Is(MatchBackward("abcdef", "[*]", 4), 1, 3));
  EXPECT_TRUE(Is(MatchBackward("xaxbx", "[*]x", 5), 1, 3));  // a leading token anchors at 1
  EXPECT_EQ(MatchBackward("abc", "[*]x", 100).Start, 0);
}

TEST(WildcardTest, ShortestMatchEndsEarliest) {
  EXPECT_TRUE(Is(MatchShortest("<li <li x>", "<li[*]>", 1), 5, 6));
  EXPECT_TRUE(Is(MatchShortest("abcxdefx", "[*]x", 5), 1, 8));
  EXPECT_TRUE(Is(MatchShortest("a<b>c<d>", "<[*]>", 5), 6, 3));
  EXPECT_TRUE(Is(MatchShortest("<a<b<c>>", "<[*]>[*]>", 1), 5, 4));
  EXPECT_EQ(MatchShortest("<li x", "<li[*]>", 1).Start, 0);
}

TEST(WildcardTest, WholeTextMatch) {
  EXPECT_TRUE(IsWildMatch("abc", "abc"));
  EXPECT_FALSE(IsWildMatch("abcd", "abc"));
  EXPECT_TRUE(IsWildMatch("xyz", "x[*]"));
  EXPECT_TRUE(IsWildMatch("axb", "[*]x[*]"));
  EXPECT_TRUE(IsWildMatch("abx", "[*]x"));
  EXPECT_FALSE(IsWildMatch("axbx", "[*]x"));  // the first x ends the lazy match
  EXPECT_TRUE(IsWildMatch("ab", "a[*]b"));
  EXPECT_TRUE(IsWildMatch("axb", "a[*]b"));
  EXPECT_FALSE(IsWildMatch("abab", "a[*]b"));
  EXPECT_TRUE(IsWildMatch("", "[*]"));
  EXPECT_FALSE(IsWildMatch("", "[*]a"));
  EXPECT_FALSE(IsWildMatch("", ""));
  EXPECT_FALSE(IsWildMatch("a", ""));

  EXPECT_TRUE(IsWildMatch(R"(<table class="result" id="1">)", R"(<[*]id="1"[*]>)"));
  EXPECT_FALSE(IsWildMatch(R"(<div id="10">)", R"(<[*]id="1"[*]>)"));
  EXPECT_TRUE(IsWildMatch(R"(<li class="g" style="x">)", R"(<li class="g"[*]>)"));
  EXPECT_FALSE(IsWildMatch(R"(<li class="gx">)", R"(<li class="g"[*]>)"));
  EXPECT_TRUE(IsWildMatch(R"(a<div id="main">b)", R"([*]<div id="main">[*])"));
  EXPECT_TRUE(IsWildMatch("[baidu]", "[[*]]"));
  EXPECT_FALSE(IsWildMatch("[[baidu]]", "[[*]]"));
}

TEST(WildcardTest, PositionsOutsideTheTextFindNothing) {
  EXPECT_EQ(FindForward("a", "aaa", -5), 1);
  EXPECT_EQ(FindForward("a", "aaa", 1 << 30), 0);
  EXPECT_EQ(FindBackward("a", "aaa", -5), 0);
  EXPECT_EQ(FindBackward("a", "aaa", 1 << 30), 3);
  EXPECT_EQ(MatchForward("abc", "[*]c", 9).Start, 0);
  EXPECT_TRUE(Is(MatchBackward("abc", "[*]", -7), 1, 0));
  EXPECT_EQ(MatchBackward("abc", "[*][*]", -7).Start, 0);
}

}  // namespace
}  // namespace korvan
