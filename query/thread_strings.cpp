#include "query/thread_strings.h"

namespace korvan {

TThreadStrings MessageQueue;

void TThreadStrings::Add(std::string line) {
  std::lock_guard<std::mutex> lock(mutex_);
  lines_.push_back(std::move(line));
}

int TThreadStrings::Count() {
  std::lock_guard<std::mutex> lock(mutex_);
  return static_cast<int>(lines_.size());
}

void TThreadStrings::Take(std::string& line) {
  line.clear();
  std::lock_guard<std::mutex> lock(mutex_);
  if (lines_.empty()) return;
  line = std::move(lines_.front());
  lines_.pop_front();
}

}  // namespace korvan
