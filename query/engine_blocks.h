// TEngineBlocks: for every engine in the current run, how many of its
// answers in a row refused this client (a verification page, 403, 429), and
// whether it was stopped for that. An engine stopped in a run is not asked
// again in that run, so a short block does not grow into a long one.
//
// Thread-safe: each worker counts for its own engine while the others count
// for theirs; run control reads between worksheets and clears at a run's
// start.
#pragma once

#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace korvan {

// Refusals in a row that stop an engine.
inline constexpr int kRefusalsToStop = 3;

class TEngineBlocks {
 public:
  // Counts a refusing answer; returns how many came in a row.
  int CountRefusal(const std::string& engine);
  // Any other answer: the count starts again.
  void CountAnswer(const std::string& engine);

  void Stop(const std::string& engine);
  bool Stopped(const std::string& engine);
  // The engines stopped in this run, in the order they were stopped.
  std::vector<std::string> StoppedEngines();

  void Clear();

 private:
  std::mutex mutex_;
  std::map<std::string, int> in_a_row_;
  std::vector<std::string> stopped_;
};

// The current run's blocks; cleared when a run starts.
extern TEngineBlocks EngineBlocks;

}  // namespace korvan
