// Chromium's remote-debugging protocol over one browser's pipe: JSON texts,
// each ended by a NUL byte, in both directions. Commands carry an id that
// their reply repeats; events carry a method and no id. A page's commands
// and events carry its session id ("flat" sessions).
//
// The framing is the same on every system; the bytes travel over a socket
// pair on POSIX systems and over two pipe handles on Windows (the
// transports below). A pipe owns its descriptors or handles. One thread at
// a time.
#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>

namespace korvan {

class DevToolsPipe {
 public:
  using Clock = std::chrono::steady_clock;
  enum class ReadStatus { kMessage, kTimeLimit, kClosed };

  DevToolsPipe() = default;
  DevToolsPipe(const DevToolsPipe&) = delete;
  DevToolsPipe& operator=(const DevToolsPipe&) = delete;
  virtual ~DevToolsPipe() = default;

  // Sends a command; returns its id, or 0 when the browser is gone.
  int Send(const std::string& method, const nlohmann::json& params,
           const std::string& session = "");

  // The next message, waiting until `deadline`. kClosed: the browser closed
  // the pipe, sent something that is not JSON, or a message above the size
  // a page can give.
  ReadStatus Read(Clock::time_point deadline, nlohmann::json& message);

 protected:
  // Writes every byte of `data`; false when the browser is gone or takes
  // none of them for long.
  virtual bool WriteAll(const std::string& data) = 0;
  // Appends to `buffer` what arrives before `deadline`: kMessage when
  // something was appended.
  virtual ReadStatus ReadSome(Clock::time_point deadline, std::string& buffer) = 0;

 private:
  int last_id_ = 0;
  std::string buffer_;       // bytes read, not yet taken
  std::size_t scanned_ = 0;  // no NUL in buffer_ before this
};

#ifdef _WIN32
// Over `read` (overlapped, from the browser) and `write` (overlapped, to it).
std::unique_ptr<DevToolsPipe> MakeHandleDevToolsPipe(void* read, void* write);
#else
// Over one end of a socket pair.
std::unique_ptr<DevToolsPipe> MakeSocketDevToolsPipe(int fd);
#endif

}  // namespace korvan
