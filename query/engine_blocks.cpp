#include "query/engine_blocks.h"

#include <algorithm>

namespace korvan {

TEngineBlocks EngineBlocks;

int TEngineBlocks::CountRefusal(const std::string& engine) {
  std::lock_guard<std::mutex> lock(mutex_);
  return ++in_a_row_[engine];
}

void TEngineBlocks::CountAnswer(const std::string& engine) {
  std::lock_guard<std::mutex> lock(mutex_);
  in_a_row_.erase(engine);
}

void TEngineBlocks::Stop(const std::string& engine) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (std::find(stopped_.begin(), stopped_.end(), engine) == stopped_.end()) {
    stopped_.push_back(engine);
  }
}

bool TEngineBlocks::Stopped(const std::string& engine) {
  std::lock_guard<std::mutex> lock(mutex_);
  return std::find(stopped_.begin(), stopped_.end(), engine) != stopped_.end();
}

std::vector<std::string> TEngineBlocks::StoppedEngines() {
  std::lock_guard<std::mutex> lock(mutex_);
  return stopped_;
}

void TEngineBlocks::Clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  in_a_row_.clear();
  stopped_.clear();
}

}  // namespace korvan
