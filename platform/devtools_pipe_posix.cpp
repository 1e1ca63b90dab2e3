// The protocol's bytes over one end of a socket pair.
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include "platform/devtools_pipe.h"

namespace korvan {

namespace {

class SocketDevToolsPipe final : public DevToolsPipe {
 public:
  explicit SocketDevToolsPipe(int fd) : fd_(fd) {}
  ~SocketDevToolsPipe() override {
    if (fd_ >= 0) close(fd_);
  }

 private:
  bool WriteAll(const std::string& data) override {
    for (std::size_t sent = 0; sent < data.size();) {
      const ssize_t n = send(fd_, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return false;
      sent += static_cast<std::size_t>(n);
    }
    return true;
  }

  ReadStatus ReadSome(Clock::time_point deadline, std::string& buffer) override {
    for (;;) {
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
      if (left <= 0) return ReadStatus::kTimeLimit;
      pollfd p{fd_, POLLIN, 0};
      const int ready = poll(&p, 1, static_cast<int>(left));
      if (ready < 0 && errno == EINTR) continue;
      if (ready < 0) return ReadStatus::kClosed;
      if (ready == 0) continue;
      char chunk[65536];
      const ssize_t n = recv(fd_, chunk, sizeof chunk, 0);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return ReadStatus::kClosed;
      buffer.append(chunk, static_cast<std::size_t>(n));
      return ReadStatus::kMessage;
    }
  }

  int fd_;
};

}  // namespace

std::unique_ptr<DevToolsPipe> MakeSocketDevToolsPipe(int fd) {
  return std::make_unique<SocketDevToolsPipe>(fd);
}

}  // namespace korvan
