// The page analysis on hostile pages: its heap stays within 4 x the page +
// 16 MiB whatever the markup, and on random tag soups full of unclosed items
// and highlight tags it ranks exactly as the literal analysis (every block
// copied, the highlight closes removed, the host searched).
//
// This executable counts every heap allocation (operator new is replaced).
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <random>
#include <string>

#include "bench/hostile_pages.h"
#include "engines/default_engines.h"
#include "query/query_thread.h"
#include "query/thread_strings.h"
#include "tests/support/counting_heap.h"
#include "text/html_blocks.h"
#include "text/string_helpers.h"

namespace korvan {
namespace {

void DrainQueue() {
  std::string line;
  while (MessageQueue.Count() > 0) MessageQueue.Take(line);
}

TEST(PageAnalysisHostileTest, HeapStaysWithinFourPagesAndSixteenMiB) {
  constexpr std::size_t kPage = 2u << 20;
  using bench::HostileShape;
  for (const HostileShape shape : {HostileShape::kUnclosed, HostileShape::kUnclosedHighlighted,
                                   HostileShape::kDeepNesting, HostileShape::kStartAtEveryTag}) {
    for (int row = 0; row < 4; ++row) {
      const std::string page = bench::MakeHostilePage(shape, row, kPage);
      TTheardParam engine;
      engine.Host = std::string(bench::kHostilePageHost);
      engine.ExtractSpec = DefaultEngines[row][2];
      engine.PerPage = 10;
      std::string result;
      const std::size_t before = testing::RestartHeapPeak();
      EXPECT_EQ(TSeQryThread::AnalyzePage(engine, page, "k", result, false, 1), pvHostFound);
      EXPECT_LE(testing::HeapPeakBytes - before, 4 * page.size() + (16u << 20))
          << "shape " << static_cast<int>(shape) << ", engine row " << row;
      DrainQueue();
    }
  }
}

// The ranks of the literal analysis, ExtractBlocks being the reference.
std::string LiteralRanks(const TTheardParam& engine, const std::string& page, bool stop,
                         const char* const (&f)[4], int depth) {
  const auto blocks = ExtractBlocks(page, f[0], f[1], f[2], f[3], depth);
  if (blocks == nullptr) return "";
  int rank = 1;
  for (int j = 0; j < blocks->Count(); ++j) {
    if (blocks->Tag(j) == 1) rank = 1 - j;
  }
  std::string ranks;
  for (int j = 0; j < blocks->Count(); ++j, ++rank) {
    std::string text = (*blocks)[j];
    for (const char* tag : {"</b>", "</em>", "</strong>"}) text = ReplaceAll(text, tag, "");
    if (text.find(engine.Host) == std::string::npos) continue;
    ranks += std::to_string(rank) + ",";
    if (stop) break;
  }
  return ranks;
}

TEST(PageAnalysisHostileTest, RanksAgreeWithTheLiteralAnalysisOnUnclosedSoups) {
  const char* const tokens[] = {"<li>",  "<li id=1>", "</li>", "<div id=s>", "</b>",
                                "</em>", "<b>",       "a",     "b",          "ab",
                                "\xB0",  "</",        "em>",   "<di",        "x "};
  const char* const fields[][4] = {{"<li[*]>", "</li>", "[*]<div id=s>[*]", "<li id=1[*]>"},
                                   {"<li[*]>,<div[*]>", "</li>,</div>", "<div id=s>", ""}};
  std::mt19937 rng(20261209);
  std::uniform_int_distribution<std::size_t> token(0, std::size(tokens) - 1);
  std::uniform_int_distribution<int> length(0, 40), depth_of(-1, 1), coin(0, 1);
  TTheardParam engine;
  engine.Host = "ab";
  int found = 0;
  for (int round = 0; round < 3000; ++round) {
    std::string page;
    for (int i = length(rng); i > 0; --i) page += tokens[token(rng)];
    const auto& f = fields[coin(rng)];
    const int depth = depth_of(rng);
    const bool stop = coin(rng) == 1;
    engine.ExtractSpec = std::string(f[0]) + "|" + f[1] + "|" + f[2] + "|" + (*f[3] ? f[3] : "..") +
                         "|" + std::to_string(depth);
    std::string result;
    TSeQryThread::AnalyzePage(engine, page, "k", result, stop, 1);
    ASSERT_EQ(result, LiteralRanks(engine, page, stop, f, depth)) << page << " | " << f[0];
    found += !result.empty();
    DrainQueue();
  }
  EXPECT_GT(found, 300);  // the soups must reach the host search
}

}  // namespace
}  // namespace korvan
