#include "platform/console_input.h"

#include <gtest/gtest.h>
#include <pty.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <csignal>
#include <string>
#include <vector>

namespace korvan {
namespace {

// A pseudo terminal: the test types on the master side, the input reads the
// slave side as it would read a real terminal.
class PtyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(openpty(&master_, &slave_, nullptr, nullptr, nullptr), 0);
    struct termios mode;
    ASSERT_EQ(tcgetattr(slave_, &mode), 0);
    cfmakeraw(&mode);  // bytes pass unchanged
    ASSERT_EQ(tcsetattr(slave_, TCSANOW, &mode), 0);
    input_ = MakeFdKeyInput(slave_);
  }
  void TearDown() override {
    if (master_ >= 0) close(master_);
    close(slave_);
  }
  void Type(const std::string& bytes) {
    ASSERT_EQ(write(master_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  }
  std::vector<std::uint16_t> ReadAll(int count) {
    std::vector<std::uint16_t> codes;
    for (int i = 0; i < count; ++i) {
      KeyRead key = input_->ReadKey(1000);
      if (key.status != KeyRead::kKey) break;
      codes.push_back(key.code);
    }
    return codes;
  }

  int master_ = -1;
  int slave_ = -1;
  std::unique_ptr<KeyInput> input_;
};

TEST_F(PtyTest, LoneEscIsEscapeAndSequencesAreOtherKeys) {
  Type("\x1b");
  KeyRead esc = input_->ReadKey(1000);
  EXPECT_EQ(esc.status, KeyRead::kKey);
  EXPECT_EQ(esc.code, kKeyEscape);

  // Up, left, F1 (SS3), F5 and page down (CSI with a number), an Alt chord.
  Type("\x1b[A\x1b[D\x1bOP\x1b[15~\x1b[6~\x1bx");
  std::vector<std::uint16_t> expected = {0x26, 0x25, 0x70, 0x74, 0x22, kKeyOther};
  EXPECT_EQ(ReadAll(6), expected);

  // Two Escape presses that arrive together are two Escape keys.
  Type("\x1b\x1b");
  EXPECT_EQ(ReadAll(2), (std::vector<std::uint16_t>{kKeyEscape, kKeyEscape}));
}

TEST_F(PtyTest, DigitsKeypadDigitsAndEnter) {
  Type("0239\x1bOp\x1bOq\x1bOs\r\n`a");
  std::vector<std::uint16_t> expected = {0x30, 0x32,      0x33,      0x39,      0x60, 0x61,
                                         0x63, kKeyEnter, kKeyEnter, kKeyOther, 'A'};
  EXPECT_EQ(ReadAll(11), expected);
}

TEST_F(PtyTest, WaitsOnlyAsLongAsAsked) {
  KeyRead none = input_->ReadKey(20);
  EXPECT_EQ(none.status, KeyRead::kTimeout);
}

TEST_F(PtyTest, EndOfInputIsReportedEveryTime) {
  Type("7");
  EXPECT_EQ(ReadAll(1), std::vector<std::uint16_t>{'7'});
  close(master_);  // the terminal hangs up
  master_ = -1;
  EXPECT_EQ(input_->ReadKey(-1).status, KeyRead::kEnd);
  EXPECT_EQ(input_->ReadKey(-1).status, KeyRead::kEnd);
}

TEST(PipeInputTest, BytesAreReadAsFromATerminalAndEndReturnsAtOnce) {
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  std::string bytes = "1\x1b[B\x1b";
  ASSERT_EQ(write(fds[1], bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  close(fds[1]);
  auto input = MakeFdKeyInput(fds[0]);
  EXPECT_EQ(input->ReadKey(-1).code, '1');
  EXPECT_EQ(input->ReadKey(-1).code, 0x28);
  KeyRead esc = input->ReadKey(-1);  // ESC right before the end is a lone ESC
  EXPECT_EQ(esc.status, KeyRead::kKey);
  EXPECT_EQ(esc.code, kKeyEscape);
  EXPECT_FALSE(WaitForEnter(*input));
  close(fds[0]);
}

TEST(PipeInputTest, WaitForEnterSkipsOtherKeys) {
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  std::string bytes = "ab\x1b[C\nz";
  ASSERT_EQ(write(fds[1], bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
  auto input = MakeFdKeyInput(fds[0]);
  EXPECT_TRUE(WaitForEnter(*input));
  EXPECT_EQ(input->ReadKey(-1).code, 'Z');  // the key after Enter is left for the next reader
  close(fds[1]);
  close(fds[0]);
}

bool InKeyMode(int fd) {
  struct termios mode;
  tcgetattr(fd, &mode);
  return (mode.c_lflag & (ICANON | ECHO)) == 0;
}

// Key mode is set in a child process, which then ends by a signal or by
// exit; the terminal must be back in its line mode afterwards.
void ExpectModeRestoredAfter(void (*end_child)()) {
  int master, slave;
  ASSERT_EQ(openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
  ASSERT_FALSE(InKeyMode(slave));
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    bool set = SetKeyMode(slave) && InKeyMode(slave);
    char c = set ? 'y' : 'n';
    if (write(ready[1], &c, 1) != 1) _exit(3);
    end_child();
    _exit(4);
  }
  char c = 0;
  ASSERT_EQ(read(ready[0], &c, 1), 1);
  EXPECT_EQ(c, 'y');
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_FALSE(InKeyMode(slave));
  close(ready[0]);
  close(ready[1]);
  close(master);
  close(slave);
}

TEST(KeyModeTest, TerminalModeIsRestoredOnSignalAndOnExit) {
  ExpectModeRestoredAfter([] { std::raise(SIGTERM); });
  ExpectModeRestoredAfter([] { std::raise(SIGINT); });
  ExpectModeRestoredAfter([] { std::exit(0); });
}

TEST(KeyModeTest, NotATerminalIsLeftAlone) {
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);
  EXPECT_FALSE(SetKeyMode(fds[0]));
  close(fds[0]);
  close(fds[1]);
}

}  // namespace
}  // namespace korvan
