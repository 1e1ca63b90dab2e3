#include "app/workers.h"

#include "engines/engine.h"

namespace korvan {

bool AllWorkersDone() {
  for (const auto& engine : Engines) {
    if (!engine.Done.load(std::memory_order_acquire)) return false;
  }
  return true;
}

void FreeEngineLists() {
  for (auto& engine : Engines) {
    if (!engine.Done.load(std::memory_order_acquire)) continue;
    engine.Keywords.reset();
    engine.Results.reset();
  }
}

}  // namespace korvan
