// Loopback servers for tests that talk HTTP.
//
// TestHttpServer: a cpp-httplib server on 127.0.0.1 at a free port. Register
// handlers through server() first, then Start(); it serves on its own thread
// until destroyed, so state that handlers share with the test must be atomic
// or locked. SilentListener: connections complete (the kernel accepts them)
// but nothing is ever answered. StalledListener: its accept queue is full, so
// a connection attempt never completes.
#pragma once

#include <arpa/inet.h>
#include <httplib.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <thread>

#include "tests/support/loopback_server.h"

namespace korvan::testing {

inline std::string LoopbackUrl(int port, const std::string& path) {
  return "http://127.0.0.1:" + std::to_string(port) + path;
}

class TestHttpServer {
 public:
  ~TestHttpServer() {
    server_.stop();
    if (thread_.joinable()) thread_.join();
  }
  httplib::Server& server() { return server_; }
  void Start() {
    port_ = server_.bind_to_any_port("127.0.0.1");
    if (port_ <= 0) throw std::runtime_error("cannot bind a loopback port");
    thread_ = std::thread([this] { server_.listen_after_bind(); });
    for (int i = 0; !server_.is_running(); ++i) {
      if (i > 10000) throw std::runtime_error("loopback server did not start");
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }
  std::string Url(const std::string& path) const { return LoopbackUrl(port_, path); }

 private:
  httplib::Server server_;
  std::thread thread_;
  int port_ = 0;
};

class LoopbackListener {
 public:
  LoopbackListener(const LoopbackListener&) = delete;
  LoopbackListener& operator=(const LoopbackListener&) = delete;
  ~LoopbackListener() {
    if (client_ >= 0) close(client_);
    if (fd_ >= 0) close(fd_);
  }
  std::string Url(const std::string& path) const { return LoopbackUrl(port_, path); }

 protected:
  // With `fill_queue`, the backlog is 0 and one never-accepted client fills it.
  explicit LoopbackListener(bool fill_queue) {
    fd_ = ListenOnLoopback(fill_queue ? 0 : 16, port_);
    if (!fill_queue) return;
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(static_cast<uint16_t>(port_));
    client_ = socket(AF_INET, SOCK_STREAM, 0);
    if (client_ < 0 || connect(client_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
      throw std::runtime_error("cannot fill the accept queue");
    }
  }

 private:
  int fd_ = -1;
  int client_ = -1;
  int port_ = 0;
};

struct SilentListener : LoopbackListener {
  SilentListener() : LoopbackListener(false) {}
};
struct StalledListener : LoopbackListener {
  StalledListener() : LoopbackListener(true) {}
};

// Wall-clock milliseconds since construction.
class Stopwatch {
 public:
  long ElapsedMs() const {
    return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                 std::chrono::steady_clock::now() - start_)
                                 .count());
  }

 private:
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

}  // namespace korvan::testing
