#include "query/query_thread.h"

#include <chrono>
#include <thread>

#include "query/engine_blocks.h"
#include "query/esc_key_thread.h"
#include "query/fetch_page.h"
#include "query/messages.h"
#include "query/page_memory.h"
#include "query/query_url.h"
#include "query/thread_strings.h"
#include "query/verification_signs.h"

namespace korvan {

namespace {

bool StopRequested() { return StopFlag.load(std::memory_order_acquire); }

// A result text that holds ranks: each ends with "," while the worker runs.
bool HoldsRanks(const std::string& result) { return !result.empty() && result != "?"; }

}  // namespace

void TSeQryThread::Create(int engine_index) { (new TSeQryThread(engine_index))->Start(); }

void TSeQryThread::BeginRun() {
  PageMemory.Clear();
  EngineBlocks.Clear();
  RunFailures.Clear();
}

TSeQryThread::TSeQryThread(int engine_index) : engine_(Engines[engine_index]) {
  engine_.Done.store(false, std::memory_order_release);
}

TSeQryThread::~TSeQryThread() {
  if (engine_.Results) {
    for (int i = 0; i < engine_.Results->Count(); ++i) {
      std::string& result = (*engine_.Results)[i];
      if (HoldsRanks(result)) result.pop_back();
    }
  }
  engine_.Done.store(true, std::memory_order_release);
}

void TSeQryThread::Post(std::string line) { MessageQueue.Add(std::move(line)); }

void TSeQryThread::PauseSearch(bool skip) {
  if (skip) return;
  if (engine_.PauseTime > 0) {
    Post(BuildMessage(msgPause, {engine_.Name, std::to_string(engine_.PauseTime)}));
  }
  std::this_thread::sleep_for(
      std::chrono::milliseconds(engine_.PauseTime > 0 ? engine_.PauseTime : 0));
}

void TSeQryThread::Execute() {
  if (!engine_.Keywords) engine_.Keywords = std::make_unique<TStringList>();
  if (!engine_.Results) engine_.Results = std::make_unique<TStringList>();
  engine_.Results->Clear();
  for (int i = 0; i < engine_.Keywords->Count(); ++i) engine_.Results->Add(std::string());
  reasons_.assign(engine_.Keywords->Count(), frNone);

  TFailReason unasked = frNone;
  try {
    unasked = QueryKeywords();
  } catch (...) {
    // An error of the HTTP component ends the keyword loop; the summary
    // below still reports every keyword left unanswered.
    unasked = frRequestError;
  }

  std::string line =
      BuildMessage(StopRequested() ? msgInterrupted : msgAllDone, {engine_.Name, engine_.Host});
  int failed = 0;
  for (int i = 0; i < engine_.Results->Count(); ++i) {
    if (!(*engine_.Results)[i].empty()) continue;
    ++failed;
    RunFailures.Add(reasons_[i] != frNone ? reasons_[i] : unasked);
  }
  line += failed == 0 ? SummaryAllSucceeded() : SummaryFailed(failed);
  Post(std::move(line));
}

bool TSeQryThread::StopsEngine(TFailReason reason, bool answered) {
  if (!IsRefusal(reason)) {
    if (answered) EngineBlocks.CountAnswer(engine_.Name);
    return false;
  }
  const int in_a_row = EngineBlocks.CountRefusal(engine_.Name);
  if (in_a_row < kRefusalsToStop) return false;
  EngineBlocks.Stop(engine_.Name);
  Post(EngineStoppedLine(engine_.Name, in_a_row));
  return true;
}

TFailReason TSeQryThread::QueryKeywords() {
  const TStringList& keywords = *engine_.Keywords;
  TStringList& results = *engine_.Results;
  const int lines = keywords.Count();
  for (int i = 0; i < lines; ++i) {
    if (StopRequested()) return frInterrupted;
    const bool last_line = i == lines - 1;
    std::string keyword;
    std::uint16_t limit = 0;
    bool stop_at_first = false;
    ParseKeywordLine(engine_, keywords[i], keyword, limit, stop_at_first);
    if (keyword.empty()) {
      reasons_[i] = frNoUrl;
      continue;
    }
    if (engine_.PerPage < 1) {  // no pages can be counted: as when no URL can be made
      Post(BuildMessage(msgNoUrl, {engine_.Name, keyword, "1"}));
      return frNoUrl;
    }
    int pages = limit / engine_.PerPage;
    if (pages * engine_.PerPage < limit) ++pages;

    bool answered = false;
    for (int p = 1; p <= pages; ++p) {
      if (StopRequested()) return frInterrupted;
      const std::string page_text = std::to_string(p);
      const bool last_request = p == pages && last_line;
      Post(BuildMessage(msgGettingUrl, {engine_.Name, keyword, page_text}));
      std::string url = BuildQueryUrl(engine_, keyword, p);
      if (url.empty()) {
        Post(BuildMessage(msgNoUrl, {engine_.Name, keyword, page_text}));
        return frNoUrl;
      }
      Post(BuildMessage(msgGettingPage, {engine_.Name, keyword, page_text}));
      TFetchedPage page;
      const bool recalled = PageMemory.Recall(engine_.Name, url, page.Text);
      if (!recalled) page = FetchPage(engine_, url);
      std::string result = results[i];
      TPageVerdict verdict =
          page.Text.empty() ? pvNoResultPage
                            : AnalyzePage(engine_, page.Text, keyword, result, stop_at_first, p);
      if (verdict == pvNoResultPage) {
        // Nothing usable came back: the keyword failed, keeping what earlier
        // pages found. Only result pages are remembered, so this page was
        // requested.
        TFailReason reason = page.Failure;
        if (reason == frNone) {
          reason = IsVerificationPage(page.Text) ? frVerification : frNoResultList;
          page.Detail = page.FinalHost;
        }
        Post(BuildMessage(msgFetchFailed, {engine_.Name, keyword, page_text}));
        Post(ReasonLine(reason, page.Detail));
        reasons_[i] = reason;
        answered = true;
        if (StopsEngine(reason, page.Answered)) return frEngineStopped;
        PauseSearch(last_request);
        break;
      }
      if (!recalled) {
        EngineBlocks.CountAnswer(engine_.Name);
        PageMemory.Keep(engine_.Name, url, std::move(page.Text));
      }
      if (verdict == pvHostFound) {
        results.Put(i, std::move(result));
        answered = true;
        if (stop_at_first) {
          Post(BuildMessage(msgFoundStop, {engine_.Name, keyword, page_text, engine_.Host}));
          PauseSearch(last_line || recalled);
          break;
        }
      } else {
        Post(BuildMessage(msgNotOnPage, {engine_.Name, keyword, page_text, engine_.Host}));
      }
      PauseSearch(last_request || recalled);
    }
    if (!answered) {
      const auto max_count = static_cast<std::int64_t>(pages) * engine_.PerPage;
      Post(BuildMessage(msgNotFound,
                        {engine_.Name, keyword, std::to_string(max_count), engine_.Host}));
      results.Put(i, "?");
    }
  }
  return frNone;
}

}  // namespace korvan
