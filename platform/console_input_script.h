// A scripted KeyInput for tests: keys are queued by the test (from any
// thread) and handed out in order; Close() makes the input end once the queue
// is empty. Thread-safe.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>

#include "platform/console_input.h"

namespace korvan {

class ScriptedKeyInput final : public KeyInput {
 public:
  KeyRead ReadKey(int timeout_ms) override;

  void Push(std::uint16_t code);
  void Close();
  // Keys queued and not yet read.
  int Pending();
  // Calls of ReadKey so far.
  int Reads();

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::uint16_t> keys_;
  bool closed_ = false;
  int reads_ = 0;
};

}  // namespace korvan
