// Key input decoded from a byte stream: a terminal, a pipe or a file.
//
// Bytes map to the key codes of console_input.h: a lone ESC byte is the
// Escape key, CR and LF are Enter, letters are their capitals, and the
// terminal's escape sequences (ESC [ ..., ESC O ...) are one key each; a byte
// that follows ESC within a few milliseconds belongs to the same key. Used by
// both systems whenever key input does not come from a Windows console.
#pragma once

#include <chrono>
#include <memory>
#include <string>

#include "platform/console_input.h"

namespace korvan {

// A time limit of `timeout_ms` from its making (negative: none), for waits
// that are taken in several steps.
class WaitLimit {
 public:
  explicit WaitLimit(int timeout_ms)
      : limited_(timeout_ms >= 0),
        deadline_(std::chrono::steady_clock::now() +
                  std::chrono::milliseconds(limited_ ? timeout_ms : 0)) {}
  // Milliseconds left, at least 0; -1 without a limit.
  int Left() const {
    if (!limited_) return -1;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline_ - std::chrono::steady_clock::now());
    return left.count() > 0 ? static_cast<int>(left.count()) : 0;
  }
  bool Passed() const { return Left() == 0; }

 private:
  bool limited_;
  std::chrono::steady_clock::time_point deadline_;
};

// Where the bytes come from (one system's file descriptor or handle).
class ByteSource {
 public:
  enum Result { kData, kTimeout, kEnd };
  virtual ~ByteSource() = default;
  // Waits at most `timeout_ms` (negative: without limit) for bytes and
  // appends those that came to `out` (kData; none after an interrupted wait,
  // and the caller asks again), or reports kTimeout, or that input has ended
  // (kEnd). Never blocks longer than asked.
  virtual Result Read(int timeout_ms, std::string& out) = 0;
};

// A KeyInput over `source`; after the end every call reports kEnd at once.
// Calls are serialised.
std::unique_ptr<KeyInput> MakeByteKeyInput(std::unique_ptr<ByteSource> source);

}  // namespace korvan
