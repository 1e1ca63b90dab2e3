// Key presses decoded from the bytes a terminal or a pipe delivers.
#include "platform/key_bytes.h"

#include <cstdlib>
#include <mutex>
#include <string>
#include <utility>

namespace korvan {

namespace {

// A byte that follows ESC within this time belongs to the same key.
constexpr int kSequenceGapMs = 30;
// Longest escape sequence taken as one key; a longer run is cut there.
constexpr int kMaxSequenceBytes = 32;

constexpr int kNoByte = -1;   // time-out
constexpr int kEndByte = -2;  // input has ended

// The code of a key given by a single byte (not ESC).
std::uint16_t SingleByteKey(unsigned char b) {
  if (b == '\r' || b == '\n') return kKeyEnter;
  if (b >= '0' && b <= '9') return b;
  if (b >= 'A' && b <= 'Z') return b;
  if (b >= 'a' && b <= 'z') return b - 'a' + 'A';
  if (b == ' ' || b == '\t' || b == '\b') return b;
  if (b == 0x7f) return '\b';
  return kKeyOther;
}

// ESC [ <params> <final>: cursor, editing and function keys.
std::uint16_t CsiKey(const std::string& params, unsigned char final_byte) {
  switch (final_byte) {
    case 'A':
      return 0x26;  // up
    case 'B':
      return 0x28;  // down
    case 'C':
      return 0x27;  // right
    case 'D':
      return 0x25;  // left
    case 'H':
      return 0x24;  // home
    case 'F':
      return 0x23;  // end
    case '~':
      break;
    default:
      return kKeyOther;
  }
  int n = std::atoi(params.c_str());
  switch (n) {
    case 1:
    case 7:
      return 0x24;
    case 4:
    case 8:
      return 0x23;
    case 2:
      return 0x2D;  // insert
    case 3:
      return 0x2E;  // delete
    case 5:
      return 0x21;  // page up
    case 6:
      return 0x22;  // page down
    default:
      break;
  }
  if (n >= 11 && n <= 15) return 0x70 + (n - 11);  // F1-F5
  if (n >= 17 && n <= 21) return 0x75 + (n - 17);  // F6-F10
  if (n == 23 || n == 24) return 0x7A + (n - 23);  // F11, F12
  return kKeyOther;
}

// ESC O <final>: keypad in application mode, F1-F4, cursor keys.
std::uint16_t Ss3Key(unsigned char b) {
  if (b >= 'p' && b <= 'y') return kKeyPad0 + (b - 'p');
  if (b >= 'P' && b <= 'S') return 0x70 + (b - 'P');
  if (b == 'M') return kKeyEnter;
  if (b >= 'A' && b <= 'D') return CsiKey("", b);
  return kKeyOther;
}

class ByteKeyInput final : public KeyInput {
 public:
  explicit ByteKeyInput(std::unique_ptr<ByteSource> source) : source_(std::move(source)) {}

  KeyRead ReadKey(int timeout_ms) override {
    std::lock_guard<std::mutex> lock(mutex_);
    int b = NextByte(timeout_ms);
    if (b == kNoByte) return {KeyRead::kTimeout, 0};
    if (b == kEndByte) return {KeyRead::kEnd, 0};
    if (b != 0x1b) return {KeyRead::kKey, SingleByteKey(static_cast<unsigned char>(b))};
    return {KeyRead::kKey, EscapeKey()};
  }

 private:
  // After an ESC byte: a lone ESC is the Escape key, anything that follows
  // at once is the rest of one key's sequence.
  std::uint16_t EscapeKey() {
    int b = NextByte(kSequenceGapMs);
    if (b < 0) return kKeyEscape;
    if (b == 0x1b) {  // two Escape presses in quick succession
      pending_.insert(pending_.begin(), '\x1b');
      return kKeyEscape;
    }
    if (b == 'O') {
      int f = NextByte(kSequenceGapMs);
      return f < 0 ? kKeyOther : Ss3Key(static_cast<unsigned char>(f));
    }
    if (b != '[') return kKeyOther;  // Alt with a key
    std::string params;
    for (int i = 0; i < kMaxSequenceBytes; ++i) {
      int c = NextByte(kSequenceGapMs);
      if (c < 0) return kKeyOther;
      if (c >= 0x40 && c <= 0x7e) return CsiKey(params, static_cast<unsigned char>(c));
      params.push_back(static_cast<char>(c));
    }
    return kKeyOther;
  }

  // The next byte, waiting at most timeout_ms (negative: without limit).
  int NextByte(int timeout_ms) {
    const WaitLimit limit(timeout_ms);
    while (pending_.empty()) {
      if (ended_) return kEndByte;
      switch (source_->Read(limit.Left(), pending_)) {
        case ByteSource::kData:
          break;
        case ByteSource::kTimeout:
          return kNoByte;
        case ByteSource::kEnd:
          ended_ = true;  // end of file, a closed pipe or a hung-up terminal
          break;
      }
    }
    unsigned char b = static_cast<unsigned char>(pending_.front());
    pending_.erase(0, 1);
    return b;
  }

  const std::unique_ptr<ByteSource> source_;
  std::mutex mutex_;
  std::string pending_;  // bytes read but not yet taken
  bool ended_ = false;
};

}  // namespace

std::unique_ptr<KeyInput> MakeByteKeyInput(std::unique_ptr<ByteSource> source) {
  return std::make_unique<ByteKeyInput>(std::move(source));
}

}  // namespace korvan
