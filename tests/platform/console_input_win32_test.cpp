#include <gtest/gtest.h>

#include <deque>
#include <vector>

#include "platform/console_events_win32.h"

namespace korvan {
namespace {

// A console that hands out the batches of records a test queued, one batch
// per Read, and then times out (or fails, when told to).
class FakeConsole final : public ConsoleEvents {
 public:
  struct Script {
    std::deque<std::vector<INPUT_RECORD>> batches;
    bool fail_when_empty = false;
    int waits = 0;
  };
  explicit FakeConsole(Script& script) : script_(script) {}

  WaitResult Wait(int) override {
    ++script_.waits;
    if (!script_.batches.empty()) return kReady;
    return script_.fail_when_empty ? kFailed : kTimeout;
  }
  bool Read(std::vector<INPUT_RECORD>& records) override {
    records = script_.batches.front();
    script_.batches.pop_front();
    return true;
  }

 private:
  Script& script_;
};

INPUT_RECORD Key(WORD vk, bool down, WORD repeat = 1) {
  INPUT_RECORD record{};
  record.EventType = KEY_EVENT;
  record.Event.KeyEvent.bKeyDown = down;
  record.Event.KeyEvent.wVirtualKeyCode = vk;
  record.Event.KeyEvent.wRepeatCount = repeat;
  return record;
}

INPUT_RECORD Mouse() {
  INPUT_RECORD record{};
  record.EventType = MOUSE_EVENT;
  return record;
}

std::vector<std::uint16_t> Codes(KeyInput& input) {
  std::vector<std::uint16_t> codes;
  for (KeyRead key = input.ReadKey(0); key.status == KeyRead::kKey; key = input.ReadKey(0)) {
    codes.push_back(key.code);
  }
  return codes;
}

TEST(ConsoleKeyEventsTest, PressesCountAsTheirVirtualKeyCodes) {
  FakeConsole::Script script;
  script.batches.push_back({Key(VK_ESCAPE, true), Key(VK_ESCAPE, false), Key('7', true),
                            Key('7', false), Key(VK_NUMPAD0, true), Key(VK_NUMPAD9, true)});
  // Modifiers alone, mouse records and releases are no key; a held key
  // repeats; a character from an input method has no code.
  script.batches.push_back({Key(VK_SHIFT, true), Mouse(), Key('A', true, 3), Key(VK_SHIFT, false),
                            Key(VK_UP, true), Key(VK_F5, true), Key(VK_PACKET, true), Key(0, true),
                            Key(VK_RETURN, true)});
  auto input = MakeConsoleKeyInput(std::make_unique<FakeConsole>(script));
  const std::vector<std::uint16_t> expected = {kKeyEscape, '7',       kKeyPad0,  kKeyPad0 + 9,
                                               'A',        'A',       'A',       0x26,
                                               0x74,       kKeyOther, kKeyOther, kKeyEnter};
  EXPECT_EQ(Codes(*input), expected);
  EXPECT_EQ(input->ReadKey(50).status, KeyRead::kTimeout);
}

TEST(ConsoleKeyEventsTest, RecordsWithoutPressesTimeOutAndAFailedConsoleEndsForGood) {
  FakeConsole::Script script;
  script.batches.push_back({Key('1', false), Mouse()});
  auto input = MakeConsoleKeyInput(std::make_unique<FakeConsole>(script));
  EXPECT_EQ(input->ReadKey(0).status, KeyRead::kTimeout);

  script.batches.push_back({Key('2', true)});
  script.fail_when_empty = true;
  EXPECT_EQ(input->ReadKey(-1).code, '2');
  EXPECT_EQ(input->ReadKey(-1).status, KeyRead::kEnd);
  const int waits = script.waits;
  EXPECT_EQ(input->ReadKey(-1).status, KeyRead::kEnd);
  EXPECT_EQ(script.waits, waits);  // the end is reported without asking again
  EXPECT_FALSE(WaitForEnter(*input));
}

}  // namespace
}  // namespace korvan
