// Key input over a POSIX file descriptor, and the terminal mode of standard
// input while the tool runs.
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <string>

#include "platform/console_input.h"
#include "platform/key_bytes.h"

namespace korvan {

namespace {

// The bytes of a file descriptor, waited for with poll.
class FdByteSource final : public ByteSource {
 public:
  explicit FdByteSource(int fd) : fd_(fd) {}

  Result Read(int timeout_ms, std::string& out) override {
    pollfd p{fd_, POLLIN, 0};
    const int rc = poll(&p, 1, timeout_ms);
    if (rc < 0) return errno == EINTR ? kData : kEnd;
    if (rc == 0) return kTimeout;
    char buf[256];
    const ssize_t n = read(fd_, buf, sizeof buf);
    if (n > 0) {
      out.append(buf, static_cast<size_t>(n));
      return kData;
    }
    // End of file, or a hung-up terminal (EIO).
    return n < 0 && (errno == EINTR || errno == EAGAIN) ? kData : kEnd;
  }

 private:
  const int fd_;
};

// The terminal mode found before the switch to key mode.
struct termios g_saved_mode;
int g_saved_fd = -1;
std::atomic<bool> g_mode_saved{false};

void RestoreAndReraise(int sig) {
  RestoreConsoleMode();
  std::signal(sig, SIG_DFL);
  std::raise(sig);
}

}  // namespace

std::unique_ptr<KeyInput> MakeFdKeyInput(int fd) {
  return MakeByteKeyInput(std::make_unique<FdByteSource>(fd));
}

void RestoreConsoleMode() {
  if (g_mode_saved.load(std::memory_order_acquire)) {
    tcsetattr(g_saved_fd, TCSANOW, &g_saved_mode);
  }
}

bool SetKeyMode(int fd) {
  struct termios mode;
  if (!isatty(fd) || tcgetattr(fd, &mode) != 0) return false;
  if (!g_mode_saved.load(std::memory_order_acquire)) {
    g_saved_mode = mode;
    g_saved_fd = fd;
    g_mode_saved.store(true, std::memory_order_release);
    std::atexit(RestoreConsoleMode);
    struct sigaction action {};
    action.sa_handler = RestoreAndReraise;
    sigemptyset(&action.sa_mask);
    for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) sigaction(sig, &action, nullptr);
  }
  mode.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
  mode.c_cc[VMIN] = 1;
  mode.c_cc[VTIME] = 0;
  return tcsetattr(fd, TCSANOW, &mode) == 0;
}

KeyInput* OpenConsoleInput() {
  // Never destroyed: a watcher thread may still be reading it at exit.
  static KeyInput* input = [] {
    SetKeyMode(STDIN_FILENO);
    return MakeFdKeyInput(STDIN_FILENO).release();
  }();
  return input;
}

}  // namespace korvan
