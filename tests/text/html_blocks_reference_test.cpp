// Compares ExtractBlocks and SplitTagPieces with a literal, slow rendering of
// the same algorithm (pieces replaced in place, a look-back through the
// pieces for every close, every block collected piece by piece) on random
// small tag soups.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "text/cut_out.h"
#include "text/html_blocks.h"
#include "text/wildcard.h"

namespace korvan {
namespace {

struct RefPiece {
  std::string text;
  int depth = 0;
  bool tag = false;
};

std::vector<std::string> SplitList(std::string_view text) {
  TStringList2 list;
  list.SetDelimiterStr(",");
  list.SetDelimitedStr(text);
  std::vector<std::string> out;
  for (const auto& item : list.Items()) out.push_back(item.Text);
  return out;
}

std::vector<RefPiece> RefPieces(const std::string& page, const std::vector<std::string>& opens,
                                const std::vector<std::string>& closes) {
  std::vector<RefPiece> pieces{{page, 0, false}};
  std::vector<std::string> cut_order = closes;
  cut_order.insert(cut_order.end(), opens.begin(), opens.end());
  for (const std::string& pattern : cut_order) {
    for (std::size_t i = 0; i < pieces.size();) {
      if (pieces[i].tag) {
        ++i;
        continue;
      }
      TCutOutCondition condition{ckSplitKeep, 1, pattern};
      TStringList parts;
      CutOutList(pieces[i].text, condition, &parts);
      pieces.erase(pieces.begin() + static_cast<std::ptrdiff_t>(i));
      for (const auto& part : parts.Items()) {
        pieces.insert(pieces.begin() + static_cast<std::ptrdiff_t>(i),
                      RefPiece{part.Text, 0, IsWildMatch(part.Text, pattern)});
        ++i;
      }
    }
  }
  int d = 0;
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    RefPiece& piece = pieces[i];
    piece.depth = d;
    if (!piece.tag) continue;
    bool opened = false;
    for (const std::string& open : opens) opened = opened || IsWildMatch(piece.text, open);
    if (opened) {
      ++d;
      continue;
    }
    for (std::size_t n = 0; n < closes.size(); ++n) {
      if (!IsWildMatch(piece.text, closes[n])) continue;
      std::size_t j = i;
      while (j > 0 && pieces[j - 1].depth != d - 1) --j;
      if (j > 0 && IsWildMatch(pieces[j - 1].text, opens[n])) {
        --d;
        piece.depth = d;
      } else {
        piece.text.clear();
      }
      break;
    }
  }
  return pieces;
}

using Blocks = std::vector<std::pair<std::string, long>>;

Blocks RefBlocks(const std::string& page, const std::string& open_list,
                 const std::string& close_list, const std::string& start_pattern,
                 const std::string& first_pattern, int depth) {
  const auto opens = SplitList(open_list), closes = SplitList(close_list);
  if (start_pattern.empty() || opens.size() != closes.size() || opens.empty()) return {};
  const std::vector<RefPiece> pieces = RefPieces(page, opens, closes);
  std::size_t i = 0;
  while (i < pieces.size() && !IsWildMatch(pieces[i].text, start_pattern)) ++i;
  if (i == pieces.size()) return {};
  const long base = pieces[i].depth + depth;
  Blocks blocks;
  bool flag_on = !first_pattern.empty();
  while (i < pieces.size()) {
    if (pieces[i].depth <= base) {
      ++i;
      continue;
    }
    const std::size_t k = i;
    std::string block = k > 0 ? pieces[k - 1].text : "";
    const bool flagged = flag_on && k > 0 && IsWildMatch(pieces[k - 1].text, first_pattern);
    std::size_t j = k;
    bool ended = false;
    for (; j < pieces.size(); ++j) {
      if (pieces[j].depth < base) continue;
      block += pieces[j].text;
      if (pieces[j].depth == base) {
        ended = true;
        break;
      }
    }
    blocks.emplace_back(block, flagged ? 1 : 0);
    if (flagged) flag_on = false;
    i = ended ? j : k + 1;
  }
  return blocks;
}

struct RandomSpec {
  const char* opens;
  const char* closes;
  const char* start;
  const char* first;
};

const RandomSpec kSpecs[] = {
    {"<table[*]>,<div[*]>", "</table>,</div>", "<div id=s>", "<[*]id=1[*]>"},
    {"<li class=g[*]>", "</li>", "<li class=g[*]>", ""},
    {"<li[*]>", "</li>", "[*]<div id=s>[*]", "<li id=1[*]>"},
    {"<div[*]>", "</div>", "[*]<!--r-->[*]", ""},
    {"<div[*]>,<li[*]>,<table>", "</div>,</li>,</table>", "[*]s[*]", "<[*]1>"},
    {"<[*]>", "</[*]>", "[*]", "<li[*]"},
    {"<li[*]", "</li>", "[*]>[*]", "<li[*]"},
};

const char* const kTokens[] = {"<div>",     "<div id=s>", "<div id=1>",
                               "</div>",    "<table>",    "<table id=1>",
                               "</table>",  "<li>",       "<li class=g>",
                               "<li id=1>", "</li>",      "<!--r-->",
                               "x",         "s ",         "<",
                               ">",         "</",         "<li",
                               "[*]",       "<di"};

std::string RandomPage(std::mt19937& rng) {
  std::uniform_int_distribution<int> length(0, 24);
  std::uniform_int_distribution<std::size_t> token(0, std::size(kTokens) - 1);
  std::string page;
  for (int i = length(rng); i > 0; --i) page += kTokens[token(rng)];
  return page;
}

TEST(HtmlBlocksReferenceTest, FastExtractionAgreesWithTheLiteralAlgorithm) {
  std::mt19937 rng(20261208);
  std::uniform_int_distribution<std::size_t> spec_index(0, std::size(kSpecs) - 1);
  std::uniform_int_distribution<int> depth_of(-2, 2);
  int with_blocks = 0;
  for (int round = 0; round < 4000; ++round) {
    const RandomSpec& spec = kSpecs[spec_index(rng)];
    const std::string page = RandomPage(rng);
    const int depth = depth_of(rng);
    SCOPED_TRACE(page + " | " + spec.opens + " | depth " + std::to_string(depth));

    const auto opens = SplitList(spec.opens), closes = SplitList(spec.closes);
    TStringList2 open_list, close_list;
    for (const auto& o : opens) open_list.Add(o);
    for (const auto& c : closes) close_list.Add(c);
    TStringList pieces;
    SplitTagPieces(page, &pieces, open_list, close_list);
    const std::vector<RefPiece> ref_pieces = RefPieces(page, opens, closes);
    ASSERT_EQ(pieces.Count(), static_cast<int>(ref_pieces.size()));
    for (int i = 0; i < pieces.Count(); ++i) {
      ASSERT_EQ(pieces[i], ref_pieces[i].text) << "piece " << i;
      ASSERT_EQ(pieces.Tag(i), ref_pieces[i].depth) << "piece " << i;
    }

    const Blocks want = RefBlocks(page, spec.opens, spec.closes, spec.start, spec.first, depth);
    const auto got = ExtractBlocks(page, spec.opens, spec.closes, spec.start, spec.first, depth);
    Blocks got_blocks;
    if (got != nullptr) {
      for (const auto& item : got->Items()) got_blocks.emplace_back(item.Text, item.Tag);
    }
    ASSERT_EQ(got_blocks, want);
    if (!want.empty()) ++with_blocks;
  }
  EXPECT_GT(with_blocks, 1000);  // the soups must exercise the collection
}

}  // namespace
}  // namespace korvan
