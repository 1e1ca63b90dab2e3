// TSeQryThread: the query worker of one engine on the current worksheet.
//
// Create() starts a worker for Engines[engine_index] on its own thread and
// returns at once; nobody keeps a reference to it. The worker walks the
// engine's Keywords, requests the result pages of each keyword one after
// another, records one result text per keyword in Results (the ranks found
// joined by ",", "?" when the host is not within the keyword's result limit,
// empty when the keyword was not answered), posts a progress line for every
// step and a summary line on MessageQueue, and stops at the next keyword or
// page boundary once StopFlag is set.
//
// Within a run a result page that the engine already fetched for the same
// URL is taken from PageMemory without a request and without a pause. After
// message 6 the worker tells why the page failed ("原因：..."). When the
// engine refuses kRefusalsToStop requests in a row (EngineBlocks) the worker
// stops and the engine is stopped for the run. Every failed keyword is
// counted by its reason in RunFailures.
//
// Threads: between Create() and the moment the engine's Done becomes true
// the worker owns the engine's Keywords and Results and reads its definition
// and Host; the caller leaves them alone. When the worker ends, on its own
// thread, it removes the trailing "," of every result and only then sets
// Done (release): a reader that sees Done (acquire) sees the final Results.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engines/engine.h"
#include "query/fail_reasons.h"
#include "query/thread_base.h"

namespace korvan {

// What the analysis of one fetched page found.
enum TPageVerdict : std::uint8_t {
  pvHostFound,     // the host stands in at least one result block
  pvHostNotFound,  // a result page (perhaps without results) without the host
  pvNoResultPage,  // unusable extraction spec, or no start piece on the page
                   // (a block, consent or changed page): the query failed
};

class TSeQryThread final : public TThread {
 public:
  // Clears the engine's Done, then starts the worker. Call on the main thread.
  // REQUIRES: 0 <= engine_index < Engines.size().
  static void Create(int engine_index);

  // Forgets what the previous run remembered: its pages, its blocks and its
  // failure counts. Call on the main thread while no worker runs.
  static void BeginRun();

  // A keyword line "keyword[-mode[-limit]]": the keyword; stop_at_first when
  // the mode is the text "0"; the limit when the third item is a number, the
  // engine's MaxCount otherwise (both to 16 bits). Outputs the line does not
  // reach keep the caller's values.
  static void ParseKeywordLine(const TTheardParam& engine, std::string_view line,
                               std::string& keyword, std::uint16_t& limit, bool& stop_at_first);

  // Cuts a fetched (lower-cased) page into result blocks with the engine's
  // ExtractSpec and looks for its Host in every block. For every hit the
  // overall rank and "," are appended to `result` and message 1 is posted;
  // with stop_at_first the first hit ends the analysis.
  static TPageVerdict AnalyzePage(const TTheardParam& engine, std::string_view page,
                                  std::string_view keyword, std::string& result, bool stop_at_first,
                                  int page_no);

  ~TSeQryThread() override;

 private:
  explicit TSeQryThread(int engine_index);
  void Execute() override;
  // Returns why the keywords left unasked were not asked (frNone when the
  // loop went through).
  TFailReason QueryKeywords();
  // Counts a failed page for the engine's blocks; true when it stops the
  // engine.
  bool StopsEngine(TFailReason reason, bool answered);
  // Pauses PauseTime ms after a request unless `skip` (the run's last one).
  void PauseSearch(bool skip);
  void Post(std::string line);

  TTheardParam& engine_;
  std::vector<TFailReason> reasons_;  // why keyword i failed, when it did
};

}  // namespace korvan
