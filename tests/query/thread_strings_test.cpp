#include "query/thread_strings.h"

#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace korvan {
namespace {

TEST(ThreadStringsTest, TakesLinesFirstInFirstOutAndEmptyWhenNoneLeft) {
  TThreadStrings queue;
  queue.Add("one");
  queue.Add("");
  queue.Add("three");
  EXPECT_EQ(queue.Count(), 3);
  std::string line = "stale";
  queue.Take(line);
  EXPECT_EQ(line, "one");
  queue.Take(line);
  EXPECT_EQ(line, "");
  EXPECT_EQ(queue.Count(), 1);
  queue.Take(line);
  EXPECT_EQ(line, "three");
  line = "stale";
  queue.Take(line);
  EXPECT_EQ(line, "");
  EXPECT_EQ(queue.Count(), 0);
}

// Every writer adds its lines while holding a lock that also records the
// order of addition; the reader, taking concurrently, must see exactly that
// order.
TEST(ThreadStringsTest, LinesOfSeveralThreadsComeOutInOrderOfAddition) {
  TThreadStrings queue;
  std::mutex order_lock;
  std::vector<std::string> added;
  constexpr int kWriters = 4, kLines = 2000;
  std::vector<std::thread> writers;
  for (int w = 0; w < kWriters; ++w) {
    writers.emplace_back([&, w] {
      for (int i = 0; i < kLines; ++i) {
        std::string line = std::to_string(w) + ":" + std::to_string(i);
        std::lock_guard<std::mutex> lock(order_lock);
        added.push_back(line);
        queue.Add(line);
      }
    });
  }
  std::vector<std::string> taken;
  while (taken.size() < static_cast<size_t>(kWriters * kLines)) {
    std::string line;
    queue.Take(line);
    if (!line.empty()) taken.push_back(line);
  }
  for (auto& t : writers) t.join();
  EXPECT_EQ(queue.Count(), 0);
  EXPECT_EQ(taken, added);
}

}  // namespace
}  // namespace korvan
