// Key input on Windows: console input records from a console, the shared
// byte decoding from a pipe or a file; the console's input mode while the
// tool runs.
#include <io.h>
#include <windows.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <utility>

#include "platform/console_events_win32.h"
#include "platform/key_bytes.h"

namespace korvan {

namespace {

// Records read from the console at a time.
constexpr DWORD kRecordBatch = 64;

// The code of a key press, or 0 for a key that is no press of its own.
std::uint16_t KeyCodeOf(const KEY_EVENT_RECORD& key) {
  const WORD vk = key.wVirtualKeyCode;
  switch (vk) {
    case VK_SHIFT:
    case VK_CONTROL:
    case VK_MENU:
    case VK_CAPITAL:
    case VK_NUMLOCK:
    case VK_SCROLL:
    case VK_LWIN:
    case VK_RWIN:
      return 0;
    case 0:
    case VK_PACKET:
    case 0xFF:
      return kKeyOther;
    default:
      return vk;
  }
}

class ConsoleHandleEvents final : public ConsoleEvents {
 public:
  explicit ConsoleHandleEvents(HANDLE console) : console_(console) {}

  WaitResult Wait(int timeout_ms) override {
    const DWORD wait = timeout_ms < 0 ? INFINITE : static_cast<DWORD>(timeout_ms);
    switch (WaitForSingleObject(console_, wait)) {
      case WAIT_OBJECT_0:
        return kReady;
      case WAIT_TIMEOUT:
        return kTimeout;
      default:
        return kFailed;
    }
  }

  bool Read(std::vector<INPUT_RECORD>& records) override {
    records.clear();
    DWORD count = 0;
    if (!GetNumberOfConsoleInputEvents(console_, &count)) return false;
    if (count == 0) return true;
    records.resize(count < kRecordBatch ? count : kRecordBatch);
    DWORD read = 0;
    if (!ReadConsoleInputW(console_, records.data(), static_cast<DWORD>(records.size()), &read)) {
      return false;
    }
    records.resize(read);
    return true;
  }

 private:
  HANDLE console_;
};

class ConsoleKeyInput final : public KeyInput {
 public:
  explicit ConsoleKeyInput(std::unique_ptr<ConsoleEvents> events) : events_(std::move(events)) {}

  KeyRead ReadKey(int timeout_ms) override {
    std::lock_guard<std::mutex> lock(mutex_);
    const WaitLimit limit(timeout_ms);
    while (keys_.empty()) {
      if (ended_) return {KeyRead::kEnd, 0};
      const ConsoleEvents::WaitResult waited = events_->Wait(limit.Left());
      if (waited == ConsoleEvents::kTimeout) return {KeyRead::kTimeout, 0};
      if (waited == ConsoleEvents::kFailed || !events_->Read(records_)) {
        ended_ = true;
        continue;
      }
      for (const INPUT_RECORD& record : records_) {
        if (record.EventType != KEY_EVENT || !record.Event.KeyEvent.bKeyDown) continue;
        const std::uint16_t code = KeyCodeOf(record.Event.KeyEvent);
        if (code == 0) continue;
        const WORD repeat = record.Event.KeyEvent.wRepeatCount;
        keys_.insert(keys_.end(), repeat > 0 ? repeat : 1, code);
      }
      // Records that hold no key press (the mouse, focus, releases) do not
      // stretch the wait.
      if (keys_.empty() && limit.Passed()) return {KeyRead::kTimeout, 0};
    }
    const std::uint16_t code = keys_.front();
    keys_.pop_front();
    return {KeyRead::kKey, code};
  }

 private:
  const std::unique_ptr<ConsoleEvents> events_;
  std::mutex mutex_;
  std::vector<INPUT_RECORD> records_;
  std::deque<std::uint16_t> keys_;  // presses read but not yet taken
  bool ended_ = false;
};

// The bytes of a pipe, a file or a character device other than a console,
// read by a thread of their own so that a wait never blocks in ReadFile
// beyond its time-out (PeekNamedPipe would do for a Windows pipe, but not
// for every pipe a program may be given, e.g. Wine's). The thread owns its
// share of the state and ends with the input; a KeyInput that goes first
// leaves it to finish alone.
class ThreadByteSource final : public ByteSource {
 public:
  explicit ThreadByteSource(HANDLE handle) : shared_(std::make_shared<Shared>()) {
    std::thread([handle, shared = shared_] {
      char buffer[256];
      for (;;) {
        DWORD got = 0;
        const bool read = ReadFile(handle, buffer, sizeof buffer, &got, nullptr) && got > 0;
        std::lock_guard<std::mutex> lock(shared->mutex);
        if (read) {
          shared->bytes.append(buffer, got);
        } else {
          shared->ended = true;  // end of file, a closed pipe, or an error
        }
        shared->arrived.notify_all();
        if (!read) return;
      }
    }).detach();
  }

  Result Read(int timeout_ms, std::string& out) override {
    std::unique_lock<std::mutex> lock(shared_->mutex);
    const auto ready = [this] { return !shared_->bytes.empty() || shared_->ended; };
    if (timeout_ms < 0) {
      shared_->arrived.wait(lock, ready);
    } else if (!shared_->arrived.wait_for(lock, std::chrono::milliseconds(timeout_ms), ready)) {
      return kTimeout;
    }
    if (shared_->bytes.empty()) return kEnd;
    out += shared_->bytes;
    shared_->bytes.clear();
    return kData;
  }

 private:
  // Shared with the reading thread.
  struct Shared {
    std::mutex mutex;
    std::condition_variable arrived;
    std::string bytes;   // read but not yet handed out
    bool ended = false;  // nothing more will come
  };
  const std::shared_ptr<Shared> shared_;
};

bool IsConsole(HANDLE handle) {
  DWORD mode = 0;
  return handle != INVALID_HANDLE_VALUE && handle != nullptr && GetConsoleMode(handle, &mode);
}

std::unique_ptr<KeyInput> MakeHandleKeyInput(HANDLE handle) {
  if (IsConsole(handle)) return MakeConsoleKeyInput(MakeConsoleHandleEvents(handle));
  return MakeByteKeyInput(std::make_unique<ThreadByteSource>(handle));
}

// The console input mode found before the switch to key mode.
HANDLE g_saved_console = nullptr;
DWORD g_saved_mode = 0;
std::atomic<bool> g_mode_saved{false};

// Closing the console window, Ctrl+C, Ctrl+Break, log-off and shut-down:
// the console gets its mode back and the next handler (the system's) ends
// the process. Nothing else needs saving: every sheet is on disk by then.
BOOL WINAPI RestoreOnControlEvent(DWORD) {
  RestoreConsoleMode();
  return FALSE;
}

}  // namespace

std::unique_ptr<ConsoleEvents> MakeConsoleHandleEvents(HANDLE console) {
  return std::make_unique<ConsoleHandleEvents>(console);
}

std::unique_ptr<KeyInput> MakeConsoleKeyInput(std::unique_ptr<ConsoleEvents> events) {
  return std::make_unique<ConsoleKeyInput>(std::move(events));
}

std::unique_ptr<KeyInput> MakeFdKeyInput(int fd) {
  return MakeHandleKeyInput(reinterpret_cast<HANDLE>(_get_osfhandle(fd)));
}

void RestoreConsoleMode() {
  if (g_mode_saved.load(std::memory_order_acquire)) SetConsoleMode(g_saved_console, g_saved_mode);
}

bool SetKeyMode(int fd) {
  const auto console = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
  DWORD mode = 0;
  if (console == INVALID_HANDLE_VALUE || !GetConsoleMode(console, &mode)) return false;
  if (!g_mode_saved.load(std::memory_order_acquire)) {
    g_saved_console = console;
    g_saved_mode = mode;
    g_mode_saved.store(true, std::memory_order_release);
    std::atexit(RestoreConsoleMode);
    SetConsoleCtrlHandler(RestoreOnControlEvent, TRUE);
  }
  // Keys are read as records; Ctrl+C stays a signal to the process.
  mode &= ~static_cast<DWORD>(ENABLE_LINE_INPUT | ENABLE_ECHO_INPUT);
  mode |= ENABLE_PROCESSED_INPUT;
  return SetConsoleMode(console, mode) != 0;
}

KeyInput* OpenConsoleInput() {
  // Never destroyed: a watcher thread may still be reading it at exit.
  static KeyInput* input = [] {
    SetKeyMode(0);
    return MakeHandleKeyInput(GetStdHandle(STD_INPUT_HANDLE)).release();
  }();
  return input;
}

}  // namespace korvan
