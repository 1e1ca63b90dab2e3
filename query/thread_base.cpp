#include "query/thread_base.h"

#include <thread>

namespace korvan {

void TThread::Start() {
  std::thread([this] { Run(); }).detach();
}

void TThread::Run() noexcept {
  try {
    Execute();
  } catch (...) {
    // An error of the run ends the thread quietly; the destructor still runs.
  }
  delete this;
}

}  // namespace korvan
