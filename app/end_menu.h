// The end screen after a run's summary and the reading of the menu choice.
// Main thread only (prints, reads ConsoleInput).
#pragma once

#include <cstdint>
#include <string>

namespace korvan {

enum TMenuChoice : int {
  mcOpenAndExit = 0,  // open ExitUrl, then end
  mcExit = 1,         // end
  mcFailedAgain = 2,  // a run over the keywords still empty in the day's rows
  mcAllAgain = 3,     // a run over every keyword
};

// Prints the supported-engines line (when `section_count` is smaller than
// the number of engines and there is an engine), the banner, the notice,
// the version notice and the four menu lines.
void PrintEndScreen(std::int32_t section_count);

// The choice for a virtual-key code: 0x30..0x33 and the keypad's
// 0x60..0x63 give 0..3; -1 for any other code.
int MenuChoiceOfKey(std::uint16_t code);

// Waits until no Esc watcher reads the console any more, then reads keys
// until one of the eight menu keys is pressed; any other key prints
// "请按照提示输入！". When input has ended the choice is mcExit, so the tool
// never waits on a closed input.
int ReadMenuChoice();

// Waits until no Esc watcher reads the console, then PrintEndScreen and
// ReadMenuChoice.
int ShowEndScreen(std::int32_t section_count);

}  // namespace korvan
