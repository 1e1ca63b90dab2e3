#include "text/html_blocks.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace korvan {
namespace {

// One extraction spec, split into the arguments of ExtractBlocks.
struct Spec {
  std::string opens, closes, start, first;
  int depth;
};

const Spec kTablesAndDivs{"<table[*]>,<div[*]>", "</table>,</div>", R"(<div id="content_left">)",
                          R"(<[*]id="1"[*]>)", 1};
const Spec kClassedItems{R"(<li class="g"[*]>)", "</li>", R"(<li class="g"[*]>)", "", 0};
const Spec kItemsInMain{"<li[*]>", "</li>", R"([*]<div id="main">[*])", R"(<li id="first"[*]>)", 0};

using Blocks = std::vector<std::pair<std::string, int>>;

Blocks Extract(std::string_view page, const Spec& spec) {
  Blocks out;
  const auto blocks =
      ExtractBlocks(page, spec.opens, spec.closes, spec.start, spec.first, spec.depth);
  if (blocks == nullptr) return out;
  EXPECT_FALSE(blocks->Empty()) << "an empty list is returned as null";
  for (const auto& item : blocks->Items()) out.emplace_back(item.Text, item.Tag);
  return out;
}

std::vector<std::pair<std::string, int>> Pieces(std::string_view page, const Spec& spec) {
  TStringList2 opens, closes;
  opens.SetDelimiterStr(",");
  closes.SetDelimiterStr(",");
  opens.SetDelimitedStr(spec.opens);
  closes.SetDelimitedStr(spec.closes);
  TStringList pieces;
  SplitTagPieces(page, &pieces, opens, closes);
  std::vector<std::pair<std::string, int>> out;
  for (const auto& item : pieces.Items()) out.emplace_back(item.Text, item.Tag);
  return out;
}

constexpr std::string_view kResultPage =
    R"(<body><div id=head>H</div><div id="content_left"><div class=ad>AD</div>)"
    R"(<table id="1"><tr><td>R1</td></tr></table><table id="2"><tr><td>R2 <div>x</div>)"
    R"(</td></tr></table></div><div id=foot><div>F</div></div></body>)";

TEST(HtmlBlocksTest, PiecesOfAResultPageCarryTheirDepths) {
  const std::vector<std::pair<std::string, int>> want = {{"<body>", 0},
                                                         {"<div id=head>", 0},
                                                         {"H", 1},
                                                         {"</div>", 0},
                                                         {R"(<div id="content_left">)", 0},
                                                         {"<div class=ad>", 1},
                                                         {"AD", 2},
                                                         {"</div>", 1},
                                                         {R"(<table id="1">)", 1},
                                                         {"<tr><td>R1</td></tr>", 2},
                                                         {"</table>", 1},
                                                         {R"(<table id="2">)", 1},
                                                         {"<tr><td>R2 ", 2},
                                                         {"<div>", 2},
                                                         {"x", 3},
                                                         {"</div>", 2},
                                                         {"</td></tr>", 2},
                                                         {"</table>", 1},
                                                         {"</div>", 0},
                                                         {"<div id=foot>", 0},
                                                         {"<div>", 1},
                                                         {"F", 2},
                                                         {"</div>", 1},
                                                         {"</div>", 0},
                                                         {"</body>", 0}};
  EXPECT_EQ(Pieces(kResultPage, kTablesAndDivs), want);
}

TEST(HtmlBlocksTest, BlocksBelowTheStartIncludeTheFooter) {
  const Blocks want = {{"<div class=ad>AD</div>", 0},
                       {R"(<table id="1"><tr><td>R1</td></tr></table>)", 1},
                       {R"(<table id="2"><tr><td>R2 <div>x</div></td></tr></table>)", 0},
                       {"<div>F</div>", 0}};
  EXPECT_EQ(Extract(kResultPage, kTablesAndDivs), want);

  Spec whole = kTablesAndDivs;
  whole.depth = 0;
  const Blocks want_whole = {
      {std::string(kResultPage.substr(
           kResultPage.find(R"(<div id="content_left">)"),
           kResultPage.find("<div id=foot>") - kResultPage.find(R"(<div id="content_left">)"))),
       0},
      {"<div id=foot><div>F</div></div>", 0}};
  EXPECT_EQ(Extract(kResultPage, whole), want_whole);
}

TEST(HtmlBlocksTest, ListItemsInsideTheStartText) {
  constexpr std::string_view page =
      R"(<div id="main"><ul><li id="first" class=res>R1</li><li class=res>R2</li></ul></div>)";
  const std::vector<std::pair<std::string, int>> pieces = {{R"(<div id="main"><ul>)", 0},
                                                           {R"(<li id="first" class=res>)", 0},
                                                           {"R1", 1},
                                                           {"</li>", 0},
                                                           {"<li class=res>", 0},
                                                           {"R2", 1},
                                                           {"</li>", 0},
                                                           {"</ul></div>", 0}};
  EXPECT_EQ(Pieces(page, kItemsInMain), pieces);
  const Blocks want = {{R"(<li id="first" class=res>R1</li>)", 1}, {"<li class=res>R2</li>", 0}};
  EXPECT_EQ(Extract(page, kItemsInMain), want);
}

TEST(HtmlBlocksTest, ClosesPairOnlyWithTheInnermostOpenElement) {
  // A </div> while a table is innermost is a stray: blanked, the table stays open.
  constexpr std::string_view page = R"(<div id="content_left"><table id=1>a</div>b</table></div>)";
  const Blocks want = {{"<table id=1>ab</table>", 0}};
  EXPECT_EQ(Extract(page, kTablesAndDivs), want);

  // A plain item is no opening tag, so its close ends the result item, and
  // the item's own close becomes a stray. The start tag is the first block's.
  constexpr std::string_view items =
      R"(<ol><li class="g">r1<ul><li>sub</li></ul>tail</li><li class="g">r2</li></ol>)";
  const Blocks want_items = {{R"(<li class="g">r1<ul><li>sub</li>)", 0},
                             {R"(<li class="g">r2</li>)", 0}};
  EXPECT_EQ(Extract(items, kClassedItems), want_items);
  EXPECT_EQ(Pieces(items, kClassedItems)[5], std::make_pair(std::string(), 0));
}

TEST(HtmlBlocksTest, StrayClosesAtTheTopAreBlanked) {
  constexpr std::string_view page = R"(</li></li><div id="main"><li>a</li>)";
  const auto pieces = Pieces(page, kItemsInMain);
  ASSERT_EQ(pieces.size(), 6u);
  EXPECT_EQ(pieces[0], std::make_pair(std::string(), 0));
  EXPECT_EQ(pieces[1], std::make_pair(std::string(), 0));
  EXPECT_EQ(pieces[3], std::make_pair(std::string("<li>"), 0));
  const Blocks want = {{"<li>a</li>", 0}};
  EXPECT_EQ(Extract(page, kItemsInMain), want);
}

TEST(HtmlBlocksTest, UnclosedItemsRunToTheEndOfThePage) {
  constexpr std::string_view page = R"(<div id="main"><li>a<li>b)";
  const Blocks want = {{"<li>a<li>b", 0}, {"a<li>b", 0}, {"<li>b", 0}};
  EXPECT_EQ(Extract(page, kItemsInMain), want);
}

TEST(HtmlBlocksTest, OnlyOneBlockIsFlaggedAndOnlyTheFirstStartCounts) {
  constexpr std::string_view page =
      R"(<li>x</li><div id="main"><li id="first">a</li><li id="first">b</li>)"
      R"(<div id="main"><li>c</li>)";
  const Blocks want = {
      {R"(<li id="first">a</li>)", 1}, {R"(<li id="first">b</li>)", 0}, {"<li>c</li>", 0}};
  EXPECT_EQ(Extract(page, kItemsInMain), want);

  Spec unflagged = kItemsInMain;
  unflagged.first = "";
  for (const auto& [text, tag] : Extract(page, unflagged)) EXPECT_EQ(tag, 0) << text;
}

TEST(HtmlBlocksTest, NothingFoundIsNull) {
  const Spec& s = kItemsInMain;
  EXPECT_EQ(ExtractBlocks("", s.opens, s.closes, s.start, s.first, 0), nullptr);
  EXPECT_EQ(ExtractBlocks("<li>a</li>", s.opens, s.closes, s.start, s.first, 0), nullptr);
  EXPECT_EQ(ExtractBlocks(R"(<div id="main">)", s.opens, s.closes, s.start, s.first, 0), nullptr);
  constexpr std::string_view page = R"(<div id="main"><li>a</li>)";
  ASSERT_NE(ExtractBlocks(page, s.opens, s.closes, s.start, s.first, 0), nullptr);
  EXPECT_EQ(ExtractBlocks(page, s.opens, s.closes, "", s.first, 0), nullptr);
  EXPECT_EQ(ExtractBlocks(page, "<li[*]>,<ul>", "</li>", s.start, s.first, 0), nullptr);
  EXPECT_EQ(ExtractBlocks(page, " , ", " ,", s.start, s.first, 0), nullptr);
}

TEST(HtmlBlocksTest, BlockBytesAreBoundedOnUnclosedItems) {
  std::string page = R"(<div id="main"><ul>)";
  for (int i = 0; i < 50000; ++i) page += "<li>result " + std::to_string(i) + " ";
  const auto blocks = ExtractBlocks(page, "<li[*]>", "</li>", kItemsInMain.start, "", 0);
  ASSERT_NE(blocks, nullptr);
  const std::size_t bound = BlockBytesBound(page.size());
  ASSERT_EQ(bound, kBlockBytesFloor);
  std::size_t total = 0;
  std::size_t previous = page.size();
  for (const auto& item : blocks->Items()) {
    ASSERT_LT(item.Text.size(), previous);  // later blocks are shorter suffixes
    ASSERT_EQ(page.compare(page.size() - item.Text.size(), item.Text.size(), item.Text), 0);
    previous = item.Text.size();
    total += item.Text.size();
  }
  EXPECT_LE(total, bound);
  // The block that was dropped starts at the next piece of the last block.
  const std::string& last = blocks->Items().back().Text;
  const std::size_t next =
      last.starts_with("<li>") ? last.size() - 4 : last.size() - last.find("<li>");
  EXPECT_GT(total + next, bound);
  EXPECT_GT(blocks->Count(), 1);
}

}  // namespace
}  // namespace korvan
