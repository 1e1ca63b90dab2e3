// Analysis of one fetched result page of the worker.
#include <cstdlib>
#include <memory>

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

// True when the page has a piece that matches the start pattern (with usable
// pattern lists). The extraction reports no start piece and no block alike,
// so ask it for blocks that surely exist below a start piece: with the depth
// offset -1 the start piece itself opens one. Depth 0 is tried first because
// it is cheap on ordinary pages; -1 can collect much text on flat ones.
bool HasStartPiece(std::string_view page, const ExtractFields& f) {
  for (int depth : {0, -1}) {
    if (ExtractBlocks(page, f.opens, f.closes, f.start, std::string_view(), depth)) return true;
  }
  return false;
}

std::string StripHighlightCloses(std::string text) {
  for (std::string_view tag : {"</b>", "</em>", "</strong>"}) text = ReplaceAll(text, tag, "");
  return text;
}

}  // namespace

TPageVerdict TSeQryThread::AnalyzePage(const TTheardParam& engine, std::string_view page,
                                       std::string_view keyword, std::string& result,
                                       bool stop_at_first, int page_no) {
  ExtractFields f;
  if (!SplitExtractSpec(engine.ExtractSpec, f)) return pvNoResultPage;
  if (page_no > 1) f.first.clear();

  std::unique_ptr<TStringList> blocks =
      ExtractBlocks(page, f.opens, f.closes, f.start, f.first, f.depth);
  if (!blocks) return HasStartPiece(page, f) ? pvHostNotFound : pvNoResultPage;

  std::int64_t rank = 1;
  if (page_no > 1) {
    rank = static_cast<std::int64_t>(page_no - 1) * engine.PerPage + 1;
  } else {
    for (int j = 0; j < blocks->Count(); ++j) {
      if (blocks->Tag(j) == 1) {
        rank = 1 - j;
        break;
      }
    }
  }

  TPageVerdict verdict = pvHostNotFound;
  const std::string page_text = std::to_string(page_no);
  for (int j = 0; j < blocks->Count(); ++j, ++rank) {
    if (engine.Host.empty()) continue;
    std::string block = StripHighlightCloses(std::move((*blocks)[j]));
    if (block.find(engine.Host) == std::string::npos) continue;
    verdict = pvHostFound;
    const std::string rank_text = std::to_string(rank);
    result += rank_text;
    result += ',';
    MessageQueue.Add(BuildMessage(msgFoundAt, {engine.Name, keyword, page_text,
                                               std::to_string(j + 1), engine.Host, rank_text}));
    if (stop_at_first) break;
  }
  return verdict;
}

}  // namespace korvan
