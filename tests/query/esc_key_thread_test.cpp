#include "query/esc_key_thread.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/console_input_script.h"

namespace korvan {
namespace {

using std::chrono::milliseconds;

// Waits up to two seconds for `done`.
template <typename F>
bool Eventually(F done) {
  for (int i = 0; i < 400 && !done(); ++i) std::this_thread::sleep_for(milliseconds(5));
  return done();
}

class EscKeyThreadTest : public ::testing::Test {
 protected:
  void SetUp() override { ConsoleInput.store(&keys_); }
  void TearDown() override {
    StopFlag.store(true);
    TEscKeyThread::WaitUntilNoneRunning();
    ConsoleInput.store(nullptr);
  }
  ScriptedKeyInput keys_;
};

TEST_F(EscKeyThreadTest, EscSetsStopFlagAfterOtherKeysAreDropped) {
  StopFlag.store(true);
  TEscKeyThread::Create();
  EXPECT_FALSE(StopFlag.load());  // cleared before the watcher runs
  keys_.Push('A');
  keys_.Push(0x26);
  ASSERT_TRUE(Eventually([&] { return keys_.Pending() == 0; }));
  std::this_thread::sleep_for(milliseconds(2 * kEscPollMs));
  EXPECT_FALSE(StopFlag.load());
  EXPECT_EQ(TEscKeyThread::Running(), 1);
  keys_.Push(kKeyEscape);
  EXPECT_TRUE(Eventually([] { return StopFlag.load(); }));
  EXPECT_TRUE(Eventually([] { return TEscKeyThread::Running() == 0; }));
}

TEST_F(EscKeyThreadTest, WatcherEndsWhenTheSheetEndsAndLeavesLaterKeys) {
  TEscKeyThread::Create();
  std::this_thread::sleep_for(milliseconds(kEscPollMs));
  StopFlag.store(true);  // all workers of the sheet are done
  TEscKeyThread::WaitUntilNoneRunning();
  keys_.Push('1');  // meant for the end menu
  std::this_thread::sleep_for(milliseconds(2 * kEscPollMs));
  KeyRead key = ReadKey(0);
  EXPECT_EQ(key.status, KeyRead::kKey);
  EXPECT_EQ(key.code, '1');
}

TEST_F(EscKeyThreadTest, WatcherEndsAtEndOfInputWithoutStopping) {
  TEscKeyThread::Create();
  keys_.Close();
  EXPECT_TRUE(Eventually([] { return TEscKeyThread::Running() == 0; }));
  EXPECT_FALSE(StopFlag.load());
}

TEST(ReadKeyTest, NoConsoleInputReportsTheEnd) {
  ConsoleInput.store(nullptr);
  EXPECT_EQ(ReadKey(-1).status, KeyRead::kEnd);
}

}  // namespace
}  // namespace korvan
