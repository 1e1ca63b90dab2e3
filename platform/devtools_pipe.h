// Chromium's remote-debugging protocol over one browser's pipe: JSON texts,
// each ended by a NUL byte, in both directions. Commands carry an id that
// their reply repeats; events carry a method and no id. A page's commands
// and events carry its session id ("flat" sessions).
//
// Owns the descriptor. One thread at a time.
#pragma once

#include <chrono>
#include <cstddef>
#include <nlohmann/json.hpp>
#include <string>

namespace korvan {

class DevToolsPipe {
 public:
  using Clock = std::chrono::steady_clock;
  enum class ReadStatus { kMessage, kTimeLimit, kClosed };

  explicit DevToolsPipe(int fd) : fd_(fd) {}
  DevToolsPipe(const DevToolsPipe&) = delete;
  DevToolsPipe& operator=(const DevToolsPipe&) = delete;
  ~DevToolsPipe();

  // Sends a command; returns its id, or 0 when the browser is gone.
  int Send(const std::string& method, const nlohmann::json& params,
           const std::string& session = "");

  // The next message, waiting until `deadline`. kClosed: the browser closed
  // the pipe, sent something that is not JSON, or a message above the size
  // a page can give.
  ReadStatus Read(Clock::time_point deadline, nlohmann::json& message);

 private:
  int fd_;
  int last_id_ = 0;
  std::string buffer_;       // bytes read, not yet taken
  std::size_t scanned_ = 0;  // no NUL in buffer_ before this
};

}  // namespace korvan
