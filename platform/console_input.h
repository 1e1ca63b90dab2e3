// Key input from the console, one key press at a time.
//
// A KeyInput hands out key presses as Windows-style virtual-key codes:
// Escape 27, Enter 13, the digits "0" to "9" 0x30 to 0x39, the keypad digits
// (application mode ESC O p .. y) 0x60 to 0x69, letters as their capitals.
// The escape sequence of any other key (arrows, function keys, ...) is one key
// press of a code other than 27; only a lone ESC byte is the Escape key.
// A terminal reports no key releases, so every key read is a key press.
// A Windows console delivers key events; only presses count there, each as
// its virtual-key code (see console_events_win32.h). Bytes from a pipe or a
// file are decoded the same way on both systems (key_bytes.h).
//
// ReadKey waits at most `timeout_ms` (negative: without limit) and reports a
// key, a time-out, or that input has ended; after the end every call reports
// the end at once, so no caller waits forever. Implementations are safe to
// call from several threads (calls are serialised).
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

namespace korvan {

inline constexpr std::uint16_t kKeyEnter = 13;
inline constexpr std::uint16_t kKeyEscape = 27;
inline constexpr std::uint16_t kKeyPad0 = 0x60;
// A key whose sequence has no code of its own.
inline constexpr std::uint16_t kKeyOther = 0xFF;

struct KeyRead {
  enum Status { kKey, kTimeout, kEnd };
  Status status = kEnd;
  std::uint16_t code = 0;  // set when status is kKey
};

class KeyInput {
 public:
  virtual ~KeyInput() = default;
  virtual KeyRead ReadKey(int timeout_ms) = 0;
};

// The process's console input, set by run control at start-up (OpenConsoleInput)
// and by tests (a ScriptedKeyInput). Shared between threads; the object it
// points to must outlive every reader.
extern std::atomic<KeyInput*> ConsoleInput;

// Key input over a file descriptor (a terminal, a pipe, a pty; on Windows a
// console, a pipe or a file). Bytes are read as they come; the descriptor is
// not closed. It does not change the terminal's mode: see OpenConsoleInput.
std::unique_ptr<KeyInput> MakeFdKeyInput(int fd);

// The standard input of the process as a KeyInput, made once. When standard
// input is a terminal it is switched to non-canonical, no-echo mode for the
// rest of the run; the previous mode is restored at exit and when SIGINT,
// SIGTERM, SIGHUP or SIGQUIT ends the process (the signal is then raised
// again with its default action). On Windows a console's input mode loses
// line input and echo, and is restored at exit and on Ctrl+C, Ctrl+Break and
// the closing of the console window (SetConsoleCtrlHandler), after which the
// process ends as usual. Call on the main thread at start-up.
KeyInput* OpenConsoleInput();

// Switches the terminal `fd` to non-canonical, no-echo mode (signals from the
// keyboard stay on). The first successful call remembers the previous mode
// for RestoreConsoleMode and arranges for it to be restored at exit and on
// SIGINT, SIGTERM, SIGHUP and SIGQUIT (Windows: the console's control
// events). Returns false when `fd` is not a terminal or its mode cannot be
// changed. Call on the main thread.
bool SetKeyMode(int fd);

// Puts back the terminal mode that OpenConsoleInput found, if it changed it.
// Safe to call more than once and from a signal handler.
void RestoreConsoleMode();

// Reads keys until Enter is pressed; returns at once when input has ended.
// Returns false when input ended before an Enter.
bool WaitForEnter(KeyInput& input);

}  // namespace korvan
