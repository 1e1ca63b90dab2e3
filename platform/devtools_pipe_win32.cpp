// The protocol's bytes over two overlapped pipe handles, so that a read
// waits no longer than its deadline and a write no longer than a browser
// that takes nothing deserves.
#include <windows.h>

#include "platform/devtools_pipe.h"
#include "platform/workbook/win32_file.h"

namespace korvan {

namespace {

// A browser that takes none of a command for this long is taken for gone.
constexpr DWORD kWriteLimitMs = 10000;

DWORD MillisecondsUntil(DevToolsPipe::Clock::time_point deadline) {
  const auto left =
      std::chrono::duration_cast<std::chrono::milliseconds>(deadline - DevToolsPipe::Clock::now())
          .count();
  return left <= 0 ? 0 : static_cast<DWORD>(left);
}

class HandleDevToolsPipe final : public DevToolsPipe {
 public:
  HandleDevToolsPipe(HANDLE read, HANDLE write)
      : read_(read),
        write_(write),
        read_event_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
        write_event_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

  ~HandleDevToolsPipe() override {
    // The system writes into chunk_ until a pending read is cancelled.
    if (reading_ && CancelIoEx(read_.get(), &read_overlapped_)) {
      DWORD ignored = 0;
      GetOverlappedResult(read_.get(), &read_overlapped_, &ignored, TRUE);
    }
  }

 private:
  bool WriteAll(const std::string& data) override {
    if (!write_event_.valid()) return false;
    for (std::size_t sent = 0; sent < data.size();) {
      OVERLAPPED overlapped{};
      overlapped.hEvent = write_event_.get();
      const DWORD size = static_cast<DWORD>(std::min<std::size_t>(data.size() - sent, 1 << 20));
      DWORD n = 0;
      if (!WriteFile(write_.get(), data.data() + sent, size, &n, &overlapped)) {
        if (GetLastError() != ERROR_IO_PENDING) return false;
        if (WaitForSingleObject(write_event_.get(), kWriteLimitMs) != WAIT_OBJECT_0) {
          CancelIoEx(write_.get(), &overlapped);
          GetOverlappedResult(write_.get(), &overlapped, &n, TRUE);
          return false;
        }
        if (!GetOverlappedResult(write_.get(), &overlapped, &n, FALSE)) return false;
      }
      if (n == 0) return false;
      sent += n;
    }
    return true;
  }

  // A read that does not finish before the deadline stays pending and is
  // collected by the next call, so no byte is lost between calls.
  ReadStatus ReadSome(Clock::time_point deadline, std::string& buffer) override {
    if (!read_event_.valid()) return ReadStatus::kClosed;
    if (!reading_) {
      read_overlapped_ = OVERLAPPED{};
      read_overlapped_.hEvent = read_event_.get();
      if (!ReadFile(read_.get(), chunk_, sizeof chunk_, nullptr, &read_overlapped_) &&
          GetLastError() != ERROR_IO_PENDING) {
        return ReadStatus::kClosed;
      }
      reading_ = true;
    }
    if (WaitForSingleObject(read_event_.get(), MillisecondsUntil(deadline)) != WAIT_OBJECT_0) {
      return ReadStatus::kTimeLimit;
    }
    reading_ = false;
    DWORD n = 0;
    if (!GetOverlappedResult(read_.get(), &read_overlapped_, &n, FALSE) || n == 0) {
      return ReadStatus::kClosed;
    }
    buffer.append(chunk_, n);
    return ReadStatus::kMessage;
  }

  win32::Handle read_;
  win32::Handle write_;
  win32::Handle read_event_;
  win32::Handle write_event_;
  OVERLAPPED read_overlapped_{};
  bool reading_ = false;  // a read into chunk_ is under way
  char chunk_[65536];
};

}  // namespace

std::unique_ptr<DevToolsPipe> MakeHandleDevToolsPipe(void* read, void* write) {
  return std::make_unique<HandleDevToolsPipe>(static_cast<HANDLE>(read),
                                              static_cast<HANDLE>(write));
}

}  // namespace korvan
