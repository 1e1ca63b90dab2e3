#include "platform/console_input_script.h"

#include <chrono>

namespace korvan {

KeyRead ScriptedKeyInput::ReadKey(int timeout_ms) {
  std::unique_lock<std::mutex> lock(mutex_);
  ++reads_;
  auto ready = [this] { return !keys_.empty() || closed_; };
  if (timeout_ms < 0) {
    changed_.wait(lock, ready);
  } else if (!changed_.wait_for(lock, std::chrono::milliseconds(timeout_ms), ready)) {
    return {KeyRead::kTimeout, 0};
  }
  if (keys_.empty()) return {KeyRead::kEnd, 0};
  std::uint16_t code = keys_.front();
  keys_.pop_front();
  return {KeyRead::kKey, code};
}

void ScriptedKeyInput::Push(std::uint16_t code) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    keys_.push_back(code);
  }
  changed_.notify_all();
}

void ScriptedKeyInput::Close() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    closed_ = true;
  }
  changed_.notify_all();
}

int ScriptedKeyInput::Pending() {
  std::lock_guard<std::mutex> lock(mutex_);
  return static_cast<int>(keys_.size());
}

int ScriptedKeyInput::Reads() {
  std::lock_guard<std::mutex> lock(mutex_);
  return reads_;
}

}  // namespace korvan
