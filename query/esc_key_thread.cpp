#include "query/esc_key_thread.h"

#include <chrono>
#include <thread>

namespace korvan {

std::atomic<bool> StopFlag{false};

namespace {
std::atomic<int> g_running_watchers{0};
}  // namespace

KeyRead ReadKey(int timeout_ms) {
  KeyInput* input = ConsoleInput.load(std::memory_order_acquire);
  if (input == nullptr) return {KeyRead::kEnd, 0};
  return input->ReadKey(timeout_ms);
}

void TEscKeyThread::Create() { (new TEscKeyThread())->Start(); }

TEscKeyThread::TEscKeyThread() {
  StopFlag.store(false, std::memory_order_release);
  g_running_watchers.fetch_add(1, std::memory_order_acq_rel);
}

TEscKeyThread::~TEscKeyThread() { g_running_watchers.fetch_sub(1, std::memory_order_acq_rel); }

int TEscKeyThread::Running() { return g_running_watchers.load(std::memory_order_acquire); }

void TEscKeyThread::WaitUntilNoneRunning() {
  while (Running() > 0) std::this_thread::sleep_for(std::chrono::milliseconds(5));
}

void TEscKeyThread::Execute() {
  while (!StopFlag.load(std::memory_order_acquire)) {
    KeyRead key = ReadKey(kEscPollMs);
    if (key.status == KeyRead::kEnd) return;
    if (key.status == KeyRead::kKey && key.code == kKeyEscape) {
      StopFlag.store(true, std::memory_order_release);
      return;
    }
  }
}

}  // namespace korvan
