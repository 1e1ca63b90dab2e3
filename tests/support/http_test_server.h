// Loopback servers for tests that talk HTTP.
//
// TestHttpServer: a cpp-httplib server on 127.0.0.1 at a free port. Register
// handlers through server() first, then Start(); the server runs on its own
// thread until the object is destroyed. Handlers run on server threads, so
// state they share with the test must be atomic or locked.
// SilentListener: a listening socket that is never served; connections
// complete (the kernel accepts them) but no byte is ever answered.
// StalledListener: a listening socket whose accept queue is full, so a new
// connection attempt is never completed.
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

namespace korvan::testing {

// Sends http(s) addresses straight to the loopback servers whatever the
// environment of the test run says.
inline void ClearProxyEnvironment() {
  for (const char* name : {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy",
                           "ALL_PROXY", "no_proxy", "NO_PROXY"}) {
    unsetenv(name);
  }
}

class TestHttpServer {
 public:
  TestHttpServer() = default;
  TestHttpServer(const TestHttpServer&) = delete;
  TestHttpServer& operator=(const TestHttpServer&) = delete;
  ~TestHttpServer() {
    server_.stop();
    if (thread_.joinable()) thread_.join();
  }

  httplib::Server& server() { return server_; }

  void Start() {
    port_ = server_.bind_to_any_port("127.0.0.1");
    if (port_ <= 0) throw std::runtime_error("cannot bind a loopback port");
    thread_ = std::thread([this] { server_.listen_after_bind(); });
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!server_.is_running()) {
      if (std::chrono::steady_clock::now() > deadline) {
        throw std::runtime_error("loopback server did not start");
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }

  int port() const { return port_; }
  std::string Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
  }

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
  int port() const { return port_; }
  std::string Url(const std::string& path) const {
    return "http://127.0.0.1:" + std::to_string(port_) + path;
  }

 protected:
  explicit LoopbackListener(int backlog) {
    fd_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    if (fd_ < 0 || bind(fd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        listen(fd_, backlog) != 0 ||
        getsockname(fd_, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
      throw std::runtime_error("cannot open a loopback listener");
    }
    port_ = ntohs(addr.sin_port);
  }
  // Connects one client that is never accepted; it fills a backlog of 0.
  void FillAcceptQueue() {
    client_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = htons(static_cast<uint16_t>(port_));
    if (client_ < 0 || connect(client_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
      throw std::runtime_error("cannot fill the accept queue");
    }
  }

 private:
  int fd_ = -1;
  int client_ = -1;
  int port_ = 0;
};

class SilentListener : public LoopbackListener {
 public:
  SilentListener() : LoopbackListener(16) {}
};

class StalledListener : public LoopbackListener {
 public:
  StalledListener() : LoopbackListener(0) { FillAcceptQueue(); }
};

}  // namespace korvan::testing
