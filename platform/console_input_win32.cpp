// Key input on Windows: console input records from a console, the shared
// byte decoding from a pipe or a file; the console's input mode while the
// tool runs.
#include <io.h>
#include <windows.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <deque>
#include <mutex>
#include <string>
#include <utility>

#include "platform/console_events_win32.h"
#include "platform/key_bytes.h"

namespace korvan {

namespace {

using Clock = std::chrono::steady_clock;

// Records read from the console at a time.
constexpr DWORD kRecordBatch = 64;
// How often a pipe is looked at while waiting for bytes.
constexpr int kPipePollMs = 10;

// Milliseconds left until `deadline`, at least 0; -1 without a deadline.
int MsLeft(bool limited, Clock::time_point deadline) {
  if (!limited) return -1;
  const auto left =
      std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left > 0 ? static_cast<int>(left) : 0;
}

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
    const bool limited = timeout_ms >= 0;
    const auto deadline = Clock::now() + std::chrono::milliseconds(limited ? timeout_ms : 0);
    while (keys_.empty()) {
      if (ended_) return {KeyRead::kEnd, 0};
      const ConsoleEvents::WaitResult waited = events_->Wait(MsLeft(limited, deadline));
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
      if (keys_.empty() && limited && Clock::now() >= deadline) return {KeyRead::kTimeout, 0};
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

// The bytes of a pipe, a file or a character device other than a console.
// A pipe is looked at with PeekNamedPipe, so that a wait never blocks in
// ReadFile beyond its time-out; a file or a device is read directly.
class HandleByteSource final : public ByteSource {
 public:
  explicit HandleByteSource(HANDLE handle)
      : handle_(handle), pipe_(GetFileType(handle) == FILE_TYPE_PIPE) {}

  Result Read(int timeout_ms, std::string& out) override {
    DWORD want = 256;
    if (pipe_) {
      const bool limited = timeout_ms >= 0;
      const auto deadline = Clock::now() + std::chrono::milliseconds(limited ? timeout_ms : 0);
      DWORD available = 0;
      for (;;) {
        if (!PeekNamedPipe(handle_, nullptr, 0, nullptr, &available, nullptr)) return kEnd;
        if (available > 0) break;
        const int left = MsLeft(limited, deadline);
        if (left == 0) return kTimeout;
        Sleep(static_cast<DWORD>(left < 0 || left > kPipePollMs ? kPipePollMs : left));
      }
      if (available < want) want = available;
    }
    char buf[256];
    DWORD got = 0;
    if (!ReadFile(handle_, buf, want, &got, nullptr) || got == 0) return kEnd;
    out.append(buf, got);
    return kData;
  }

 private:
  const HANDLE handle_;
  const bool pipe_;
};

bool IsConsole(HANDLE handle) {
  DWORD mode = 0;
  return handle != INVALID_HANDLE_VALUE && handle != nullptr && GetConsoleMode(handle, &mode);
}

std::unique_ptr<KeyInput> MakeHandleKeyInput(HANDLE handle) {
  if (IsConsole(handle)) return MakeConsoleKeyInput(MakeConsoleHandleEvents(handle));
  return MakeByteKeyInput(std::make_unique<HandleByteSource>(handle));
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
