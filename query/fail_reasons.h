// Why a keyword query failed, in words a user can act on.
//
// The reasons of a failed page (told right after message 6 in a line that
// begins with "原因："), the reasons of keywords that were never asked, and
// the run's count of failed keywords per reason, printed in the summary so
// that the user knows whether to wait, raise the pause or update the engine
// definitions. Texts are code page 936. The functions are pure; the tally is
// thread-safe.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>

namespace korvan {

enum TFailReason : std::uint8_t {
  frNone,
  // A page request that failed; the detail is what the reason line names.
  frResolve,       // detail: the host that could not be resolved
  frConnect,       // detail: the host
  frConnectTime,   // detail: the connect limit in ms
  frIdleTime,      // detail: the inactivity limit in ms
  frTotalTime,     // detail: the limit of the whole request in ms
  frTooLarge,      // detail: the size limit in MiB
  frTransfer,      // detail: the transfer library's own words
  frRefused,       // HTTP 403; detail: the status
  frRateLimited,   // HTTP 429; detail: the status
  frHttpStatus,    // any other status but 200; detail: the status
  frEmptyPage,     // 200 without a body
  frVerification,  // the engine's verification page; detail: its host
  frNoResultList,  // a page without the engine's list of results
  // Keywords that were never asked.
  frNoUrl,           // no request address could be made
  frRequestError,    // the request could not be set up (not an http address)
  frEngineStopped,   // the engine was stopped for refusing this client
  frInterrupted,     // Esc
  frNameUnwritable,  // the engine's name cannot be written to the workbook
  kFailReasonCount
};

// Verification pages, 403 and 429: the engine refuses this client.
bool IsRefusal(TFailReason reason);

// "原因：..." for a failed page request.
// REQUIRES: frResolve <= reason <= frNoResultList.
std::string ReasonLine(TFailReason reason, std::string_view detail);

// "其中 【count】 处：..." for the run's summary.
// REQUIRES: frNone < reason < kFailReasonCount.
std::string ReasonSummaryLine(TFailReason reason, int count);

// The words of ReasonSummaryLine after its count, in UTF-8 (for the report).
std::string ReasonSummaryUtf8(TFailReason reason);

// The line of a worker whose engine refused `count` requests in a row and
// is stopped for the rest of the run.
std::string EngineStoppedLine(std::string_view engine, int count);

// Failed keywords per reason. Workers add, run control clears and reads.
class TFailTally {
 public:
  void Add(TFailReason reason, int count = 1) {
    counts_[reason].fetch_add(count, std::memory_order_relaxed);
  }
  int Count(TFailReason reason) const { return counts_[reason].load(std::memory_order_relaxed); }
  void Clear() {
    for (auto& count : counts_) count.store(0, std::memory_order_relaxed);
  }

 private:
  std::array<std::atomic<int>, kFailReasonCount> counts_{};
};

// The failed keywords of the current run, by reason.
extern TFailTally RunFailures;

}  // namespace korvan
