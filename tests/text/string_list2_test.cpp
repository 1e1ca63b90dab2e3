#include "text/string_list2.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace korvan {
namespace {

std::vector<std::string> Split(std::string_view delimiter, std::string_view text) {
  TStringList2 list;
  list.SetDelimiterStr(delimiter);
  list.SetDelimitedStr(text);
  std::vector<std::string> items;
  for (int i = 0; i < list.Count(); ++i) {
    EXPECT_EQ(list.Tag(i), 0);
    items.push_back(list[i]);
  }
  return items;
}

using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST(StringList2Test, SplitsTrimsAndDropsEmptyItems) {
  EXPECT_THAT(Split("|", "a|b|c"), ElementsAre("a", "b", "c"));
  EXPECT_THAT(Split("|", " a | b "), ElementsAre("a", "b"));
  EXPECT_THAT(Split("|", "a||b"), ElementsAre("a", "b"));
  EXPECT_THAT(Split("|", "|a|b|"), ElementsAre("a", "b"));
  EXPECT_THAT(Split("|", "a| |b"), ElementsAre("a", "b"));
  EXPECT_THAT(Split("|", ""), IsEmpty());
  EXPECT_THAT(Split("|", " | |\t|"), IsEmpty());
  EXPECT_THAT(Split("::", "a::b:c"), ElementsAre("a", "b:c"));
  EXPECT_THAT(Split(" ", "a   b  c"), ElementsAre("a", "b", "c"));
  EXPECT_THAT(Split("\r\n", " one\t\r\n\r\n two \r\nthree\nfour"),
              ElementsAre("one", "two", "three\nfour"));
  // Items keep their inner bytes, including those of two-byte characters.
  EXPECT_THAT(Split("|", "\xC4\xE3 \xBA\xC3|x"), ElementsAre("\xC4\xE3 \xBA\xC3", "x"));
}

TEST(StringList2Test, SplittingReplacesTheOldItems) {
  TStringList2 list;
  list.SetDelimiterStr(",");
  list.Add("old", 7);
  list.SetDelimitedStr("a,b");
  ASSERT_EQ(list.Count(), 2);
  EXPECT_EQ(list[0], "a");
  EXPECT_EQ(list.Tag(0), 0);
  list.SetDelimitedStr("");
  EXPECT_EQ(list.Count(), 0);
}

TEST(StringList2Test, DelimiterStringAndDelimiterStayInStep) {
  TStringList2 list;
  EXPECT_EQ(list.Delimiter(), ',');
  list.SetDelimiterStr("|");
  EXPECT_EQ(list.DelimiterStr(), "|");
  EXPECT_EQ(list.Delimiter(), '|');
  list.SetDelimiterStr("::");
  EXPECT_EQ(list.DelimiterStr(), "::");
  EXPECT_EQ(list.Delimiter(), '|');  // a longer value leaves it alone
  list.SetDelimiterStr("");
  EXPECT_EQ(list.DelimiterStr(), "|");

  TStringList2 fresh;
  fresh.SetDelimiterStr("::");
  fresh.SetDelimiterStr("");
  EXPECT_EQ(fresh.DelimiterStr(), ",");
}

TEST(StringList2Test, WithoutDelimiterStringCommaTextIsParsed) {
  TStringList2 list;
  list.SetDelimitedStr(R"(a, "b,c" ,"d""e",)");
  ASSERT_EQ(list.Count(), 4);
  EXPECT_EQ(list[0], "a");
  EXPECT_EQ(list[1], "b,c");
  EXPECT_EQ(list[2], "d\"e");
  EXPECT_EQ(list[3], "");
}

}  // namespace
}  // namespace korvan
