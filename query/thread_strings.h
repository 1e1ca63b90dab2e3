// TThreadStrings: a locked first-in-first-out queue of text lines, and the
// one instance MessageQueue through which the workers hand their progress
// lines to the main thread.
//
// Thread-safe: every operation holds the queue's own lock for its whole run
// and calls nothing else that locks. The queue owns the lines it holds; Take
// hands the reader its own copy. No size limit.
#pragma once

#include <deque>
#include <mutex>
#include <string>

namespace korvan {

class TThreadStrings {
 public:
  TThreadStrings() = default;
  TThreadStrings(const TThreadStrings&) = delete;
  TThreadStrings& operator=(const TThreadStrings&) = delete;
  // Lines still queued are dropped.
  ~TThreadStrings() = default;

  // Appends a copy of `line` (the empty text included).
  void Add(std::string line);
  int Count();
  // Sets `line` to the first queued line and removes it; to empty when the
  // queue is empty (an empty line and an empty queue look alike).
  void Take(std::string& line);

 private:
  std::mutex mutex_;
  std::deque<std::string> lines_;
};

// Written by every worker thread, read by the main thread only.
extern TThreadStrings MessageQueue;

}  // namespace korvan
