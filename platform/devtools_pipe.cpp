#include "platform/devtools_pipe.h"

#include "platform/http_client.h"

namespace korvan {

namespace {

// A document at the body limit, escaped as JSON, with room to spare.
constexpr std::size_t kMaxMessageBytes = 8 * kMaxBodyBytes;

}  // namespace

int DevToolsPipe::Send(const std::string& method, const nlohmann::json& params,
                       const std::string& session) {
  nlohmann::json message = {{"id", ++last_id_}, {"method", method}, {"params", params}};
  if (!session.empty()) message["sessionId"] = session;
  std::string data = message.dump();
  data.push_back('\0');
  return WriteAll(data) ? last_id_ : 0;
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
    const ReadStatus status = ReadSome(deadline, buffer_);
    if (status != ReadStatus::kMessage) return status;
  }
}

}  // namespace korvan
