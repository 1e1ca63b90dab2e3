// The Esc watcher of one worksheet, the stop request it raises, and the key
// reader it shares with the end menu.
//
// StopFlag is shared by all threads: the watcher sets it on Esc, run control
// clears it when a worksheet starts and sets it when the sheet's workers have
// finished; the workers test it at every keyword and page boundary.
#pragma once

#include <atomic>
#include <cstdint>

#include "platform/console_input.h"
#include "query/thread_base.h"

namespace korvan {

// True when the current worksheet's workers are to stop.
// Release on write, acquire on read.
extern std::atomic<bool> StopFlag;

// One key from ConsoleInput, waiting at most `timeout_ms` (negative: without
// limit). Reports the end of input when ConsoleInput is not set.
KeyRead ReadKey(int timeout_ms);

// Watches ConsoleInput for Esc while StopFlag is clear. It waits for a key
// in short slices and tests StopFlag between them, so it ends soon after the
// flag is set by anyone and never takes a key after that. Keys other than
// Esc are read and dropped. It also ends when input has ended.
class TEscKeyThread final : public TThread {
 public:
  // Clears StopFlag, then starts a watcher that frees itself when it ends.
  // Call on the main thread.
  static void Create();

  // Watchers started and not yet ended. Run control waits for 0 before it
  // reads keys itself, so that no key meant for it goes to a watcher.
  static int Running();
  // Waits until Running() is 0 (a watcher ends within one wait slice of
  // StopFlag being set).
  static void WaitUntilNoneRunning();

  ~TEscKeyThread() override;

 private:
  TEscKeyThread();
  void Execute() override;
};

// The wait slice of the watcher between two tests of StopFlag.
inline constexpr int kEscPollMs = 50;

}  // namespace korvan
