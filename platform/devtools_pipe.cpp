#include "platform/devtools_pipe.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include "platform/http_client.h"

namespace korvan {

namespace {

// A document at the body limit, escaped as JSON, with room to spare.
constexpr std::size_t kMaxMessageBytes = 8 * kMaxBodyBytes;

}  // namespace

DevToolsPipe::~DevToolsPipe() {
  if (fd_ >= 0) close(fd_);
}

int DevToolsPipe::Send(const std::string& method, const nlohmann::json& params,
                       const std::string& session) {
  nlohmann::json message = {{"id", ++last_id_}, {"method", method}, {"params", params}};
  if (!session.empty()) message["sessionId"] = session;
  std::string data = message.dump();
  data.push_back('\0');
  for (std::size_t sent = 0; sent < data.size();) {
    const ssize_t n = send(fd_, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return 0;
    sent += static_cast<std::size_t>(n);
  }
  return last_id_;
}

DevToolsPipe::ReadStatus DevToolsPipe::Read(Clock::time_point deadline, nlohmann::json& message) {
  for (;;) {
    const std::size_t end = buffer_.find('\0', scanned_);
    if (end != std::string::npos) {
      message = nlohmann::json::parse(buffer_.begin(), buffer_.begin() + end, nullptr, false);
      buffer_.erase(0, end + 1);
      scanned_ = 0;
      return message.is_discarded() ? ReadStatus::kClosed : ReadStatus::kMessage;
    }
    scanned_ = buffer_.size();
    if (buffer_.size() > kMaxMessageBytes) return ReadStatus::kClosed;
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
    buffer_.append(chunk, static_cast<std::size_t>(n));
  }
}

}  // namespace korvan
