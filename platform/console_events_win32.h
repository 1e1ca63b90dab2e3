// Key input from a Windows console, through an interface over the console's
// input records so that tests can stand in for the console.
//
// Only key presses count (bKeyDown; a release is skipped), each as its
// virtual-key code (wVirtualKeyCode): Escape 0x1B, Enter 13, the digits
// 0x30..0x39, the keypad digits 0x60..0x69, letters as their capitals, the
// other keys by their own code; a key without a code (0, or a character the
// input method sends) is kKeyOther. A held key's repeat count gives that many
// presses. Shift, Ctrl, Alt and the lock keys alone are no key press, as on a
// terminal, which never reports them. Mouse, focus and window events are
// skipped.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "platform/console_input.h"

namespace korvan {

// The input records of one console.
class ConsoleEvents {
 public:
  enum WaitResult { kReady, kTimeout, kFailed };
  virtual ~ConsoleEvents() = default;
  // Waits at most `timeout_ms` (negative: without limit) for input records.
  virtual WaitResult Wait(int timeout_ms) = 0;
  // Replaces `records` with the records waiting (none when there are none);
  // false when the console cannot be read.
  virtual bool Read(std::vector<INPUT_RECORD>& records) = 0;
};

// The records of the console input handle `console` (not closed):
// WaitForSingleObject and ReadConsoleInputW.
std::unique_ptr<ConsoleEvents> MakeConsoleHandleEvents(HANDLE console);

// A KeyInput over `events`; when they fail, input has ended and every later
// call reports the end at once. Calls are serialised.
std::unique_ptr<KeyInput> MakeConsoleKeyInput(std::unique_ptr<ConsoleEvents> events);

}  // namespace korvan
