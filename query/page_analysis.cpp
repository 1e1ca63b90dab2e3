// Analysis of one fetched result page of the worker.
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "query/messages.h"
#include "query/query_thread.h"
#include "query/thread_strings.h"
#include "text/html_blocks.h"
#include "text/string_helpers.h"
#include "text/string_list2.h"

namespace korvan {

namespace {

// The five fields of a usable extraction spec, ".." read as empty.
struct ExtractFields {
  std::string opens, closes, start, first;
  int depth = 0;
};

bool SplitExtractSpec(const std::string& spec, ExtractFields& out) {
  TStringList2 parts;
  parts.SetDelimiterStr("|");
  parts.SetDelimitedStr(spec);
  if (parts.Count() != 5) return false;
  for (int i = 0; i < 5; ++i) {
    if (parts[i] == "..") parts[i].clear();
  }
  if (!IsIntStr(parts[4])) return false;
  out.opens = parts[0];
  out.closes = parts[1];
  out.start = parts[2];
  out.first = parts[3];
  out.depth = static_cast<int>(std::strtol(parts[4].c_str(), nullptr, 10));
  return true;
}

// Whether the host stands in a block once every "</b>", "</em>" and
// "</strong>" is removed from it, in that order. Blocks that run to the end
// of the page are suffixes of one text: when that text holds none of the
// three tags, its last occurrence of the host answers for all of them.
class HostSearch {
 public:
  explicit HostSearch(std::string_view host) : host_(host) {}

  bool In(const TBlockView& block) {
    if (block.RunsToEnd) {
      if (!tail_seen_) {
        tail_seen_ = true;
        tail_plain_ = !HasHighlightClose(block.Tail);
        tail_last_ = block.Tail.rfind(host_);
      }
      if (tail_plain_) {
        const auto offset = static_cast<std::size_t>(block.Text.data() - block.Tail.data());
        return tail_last_ != std::string_view::npos && tail_last_ >= offset;
      }
    }
    if (!HasHighlightClose(block.Text)) return block.Text.find(host_) != std::string_view::npos;
    stripped_.assign(block.Text);
    for (std::string_view tag : kHighlightCloses) EraseAll(stripped_, tag);
    return stripped_.find(host_) != std::string::npos;
  }

 private:
  static constexpr std::string_view kHighlightCloses[] = {"</b>", "</em>", "</strong>"};

  static bool HasHighlightClose(std::string_view text) {
    for (std::string_view tag : kHighlightCloses) {
      if (text.find(tag) != std::string_view::npos) return true;
    }
    return false;
  }

  std::string_view host_;
  std::string stripped_;  // reused from block to block
  bool tail_seen_ = false;
  bool tail_plain_ = false;
  std::size_t tail_last_ = std::string_view::npos;
};

}  // namespace

TPageVerdict TSeQryThread::AnalyzePage(const TTheardParam& engine, std::string_view page,
                                       std::string_view keyword, std::string& result,
                                       bool stop_at_first, int page_no) {
  ExtractFields f;
  if (!SplitExtractSpec(engine.ExtractSpec, f)) return pvNoResultPage;
  if (page_no > 1) f.first.clear();

  // The walk notes the blocks with the host and the flagged block, whose
  // position sets the ranks on page 1; after the first hit of a search that
  // stops there it goes on only until the flagged block is known.
  const bool want_flag = !f.first.empty();
  HostSearch search(engine.Host);
  std::vector<int> hits;
  int flagged = -1;
  int count = 0;
  const auto searching = [&] { return !engine.Host.empty() && !(stop_at_first && !hits.empty()); };
  const TExtractOutcome outcome =
      WalkBlocks(page, f.opens, f.closes, f.start, f.first, f.depth, [&](const TBlockView& block) {
        if (block.First) flagged = count;
        if (searching() && search.In(block)) hits.push_back(count);
        ++count;
        return searching() || (!hits.empty() && want_flag && flagged < 0);
      });
  if (outcome == eoNoStartPiece || outcome == eoUnusableSpec) return pvNoResultPage;

  std::int64_t first_rank = 1;
  if (page_no > 1) {
    first_rank = static_cast<std::int64_t>(page_no - 1) * engine.PerPage + 1;
  } else if (flagged >= 0) {
    first_rank = 1 - flagged;
  }
  const std::string page_text = std::to_string(page_no);
  for (const int j : hits) {
    const std::string rank_text = std::to_string(first_rank + j);
    result += rank_text;
    result += ',';
    MessageQueue.Add(BuildMessage(msgFoundAt, {engine.Name, keyword, page_text,
                                               std::to_string(j + 1), engine.Host, rank_text}));
  }
  return hits.empty() ? pvHostNotFound : pvHostFound;
}

}  // namespace korvan
