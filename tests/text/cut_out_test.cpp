#include "text/cut_out.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace korvan {
namespace {

using ::testing::ElementsAre;

std::vector<std::string> SplitKeepPieces(std::string_view text, std::string pattern,
                                         int position = 1) {
  TCutOutCondition condition{ckSplitKeep, position, std::move(pattern)};
  TStringList pieces;
  CutOutList(text, condition, &pieces);
  EXPECT_EQ(condition.CutPos, static_cast<int>(text.size()) + 1);
  std::vector<std::string> out;
  for (const auto& item : pieces.Items()) out.push_back(item.Text);
  return out;
}

TEST(CutOutTest, CutBetweenWalksThroughTheText) {
  std::string result = "stale";
  int position = 1;
  CutBetween("a[1]b[2]c", "[", "]", result, position);
  EXPECT_EQ(result, "1");
  EXPECT_EQ(position, 5);
  CutBetween("a[1]b[2]c", "[", "]", result, position);
  EXPECT_EQ(result, "2");
  EXPECT_EQ(position, 9);
  CutBetween("a[1]b[2]c", "[", "]", result, position);
  EXPECT_EQ(result, "");
  EXPECT_EQ(position, 10);
}

TEST(CutOutTest, CutBetweenWithEmptyOrWildSides) {
  std::string result;
  int position = 1;
  CutBetween("x<a>rest", "<a>", "", result, position);
  EXPECT_EQ(result, "rest");
  EXPECT_EQ(position, 9);

  position = 4;  // an empty opening pattern anchors the match at position 1
  CutBetween("abc]def]", "", "]", result, position);
  EXPECT_EQ(result, "abc");
  EXPECT_EQ(position, 5);

  position = 1;  // the opening pattern's own wildcard is left out too
  CutBetween("<a href=x>link</a>", "<a[*]>", "</a>", result, position);
  EXPECT_EQ(result, "link");
}

TEST(CutOutTest, CutOutTextSplitsTheConditionAtTheCaret) {
  TCutOutCondition condition{ckBetween, 1, "[^]"};
  std::string result;
  const std::string url = "http://e.test/s?wd=k&pn=[0,0,10]&rn=10";
  CutOutText(url, condition, result);
  EXPECT_EQ(result, "0,0,10");
  EXPECT_EQ(condition.CutPos, static_cast<int>(url.find(']')) + 2);

  // No caret: all of it is the opening pattern, the cut runs to the end.
  TCutOutCondition open_only{ckBetween, 1, "=k"};
  CutOutText(url, open_only, result);
  EXPECT_EQ(result, "&pn=[0,0,10]&rn=10");
}

TEST(CutOutTest, SplitKeepKeepsMatchesAndNeverMakesEmptyPieces) {
  EXPECT_THAT(SplitKeepPieces("ab<p>c<p>", "<p>"), ElementsAre("ab", "<p>", "c", "<p>"));
  EXPECT_THAT(SplitKeepPieces("<p>x", "<p>"), ElementsAre("<p>", "x"));
  EXPECT_THAT(SplitKeepPieces("abc", "<p>"), ElementsAre("abc"));
  EXPECT_THAT(SplitKeepPieces("abc", ""), ElementsAre("abc"));
  EXPECT_THAT(SplitKeepPieces("a<li <li x>b", "<li[*]>"), ElementsAre("a<li ", "<li x>", "b"));
  EXPECT_THAT(SplitKeepPieces("ab<p>c<p>", "<p>", 4), ElementsAre("p>c", "<p>"));
  // A leading token matches from position 1 each time.
  EXPECT_THAT(SplitKeepPieces("axbx", "[*]x"), ElementsAre("ax", "axbx"));
}

TEST(CutOutTest, SplitKeepIgnoresEmptyTextAndMissingList) {
  TCutOutCondition condition{ckSplitKeep, 1, "<p>"};
  TStringList pieces;
  CutOutList("", condition, &pieces);
  EXPECT_EQ(pieces.Count(), 0);
  EXPECT_EQ(condition.CutPos, 1);
  CutOutList("a<p>", condition, nullptr);
  EXPECT_EQ(condition.CutPos, 1);
}

TEST(CutOutTest, SplitAtCharUsesTheFirstOccurrence) {
  std::string left, right;
  SplitAtChar("a^b^c", '^', left, right);
  EXPECT_EQ(left, "a");
  EXPECT_EQ(right, "b^c");
  SplitAtChar("abc", '^', left, right);
  EXPECT_EQ(left, "abc");
  EXPECT_EQ(right, "");
}

}  // namespace
}  // namespace korvan
