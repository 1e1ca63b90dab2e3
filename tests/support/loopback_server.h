// A small HTTP/1.1 server on 127.0.0.1 for tests: it listens on a free port,
// answers every GET through the test's handler and records what was asked
// (the request targets, and the request heads for header checks).
// Connections are kept alive; each one is served on a thread of its own, so
// the handler runs on the server's threads. Requests() is thread-safe. The
// destructor stops accepting, ends every connection and joins its threads.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <list>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace korvan::testing {

struct Reply {
  int status = 200;
  std::string body;
  std::string content_type = "text/html; charset=utf-8";
  std::vector<std::string> headers = {};  // further "Name: value" lines
};

// A listening TCP socket on 127.0.0.1 at a free port; returns its descriptor
// and sets `port`. Throws std::runtime_error when that fails.
inline int ListenOnLoopback(int backlog, int& port) {
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof addr;
  auto* sa = reinterpret_cast<sockaddr*>(&addr);
  int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0 || bind(fd, sa, sizeof addr) != 0 || listen(fd, backlog) != 0 ||
      getsockname(fd, sa, &len) != 0) {
    if (fd >= 0) close(fd);
    throw std::runtime_error("cannot open a loopback listener");
  }
  port = ntohs(addr.sin_port);
  return fd;
}

// Keeps a proxy set in the environment of the test run away from loopback.
inline void ClearProxyEnvironment() {
  for (const char* name : {"http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy",
                           "ALL_PROXY", "no_proxy", "NO_PROXY"}) {
    unsetenv(name);
  }
}

class LoopbackServer {
 public:
  // Gets the request target as sent ("/s?wd=a&pn=0").
  using Handler = std::function<Reply(const std::string& target)>;

  explicit LoopbackServer(Handler handler) : handler_(std::move(handler)) {
    listener_ = ListenOnLoopback(64, port_);
    acceptor_ = std::thread([this] { AcceptLoop(); });
  }
  LoopbackServer(const LoopbackServer&) = delete;
  LoopbackServer& operator=(const LoopbackServer&) = delete;
  ~LoopbackServer() {
    stopping_.store(true, std::memory_order_release);
    acceptor_.join();
    for (std::thread& connection : connections_) connection.join();
    close(listener_);
  }

  std::string BaseUrl() const { return "http://127.0.0.1:" + std::to_string(port_); }

  // The request targets (path and query as sent) in order of arrival.
  std::vector<std::string> Requests() {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
  }

  // The value of header `name` (any case) in request `index`; empty if absent.
  std::string RequestHeader(std::size_t index, const std::string& name) {
    std::lock_guard<std::mutex> lock(mutex_);
    const std::string& head = heads_.at(index);
    const std::string lower_head = Lower(head);
    const size_t at = lower_head.find("\r\n" + Lower(name) + ":");
    if (at == std::string::npos) return {};
    const size_t value = head.find_first_not_of(' ', at + name.size() + 3);
    return head.substr(value, head.find("\r\n", value) - value);
  }

 private:
  static constexpr int kPollMs = 20;  // how soon a stop is noticed

  bool Stopping() const { return stopping_.load(std::memory_order_acquire); }

  // Waits until `fd` is readable; false once the server stops.
  bool WaitReadable(int fd) const {
    pollfd p{fd, POLLIN, 0};
    while (!Stopping()) {
      int n = poll(&p, 1, kPollMs);
      if (n > 0) return true;
      if (n < 0 && errno != EINTR) return false;
    }
    return false;
  }

  void AcceptLoop() {
    while (WaitReadable(listener_)) {
      int fd = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
      if (fd < 0) continue;
      int one = 1;
      setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
      connections_.emplace_back([this, fd] {
        Serve(fd);
        close(fd);
      });
    }
  }

  // Answers the requests of one connection until the client closes it, asks
  // to close it, or the server stops.
  void Serve(int fd) {
    std::string pending;
    char buffer[16384];
    for (;;) {
      size_t head_end;
      while ((head_end = pending.find("\r\n\r\n")) == std::string::npos) {
        if (!WaitReadable(fd)) return;
        ssize_t n = recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0) return;
        pending.append(buffer, static_cast<size_t>(n));
      }
      std::string head = pending.substr(0, head_end);
      pending.erase(0, head_end + 4);
      size_t first_space = head.find(' ');
      size_t second_space = head.find(' ', first_space + 1);
      if (first_space == std::string::npos || second_space == std::string::npos) return;
      std::string target = head.substr(first_space + 1, second_space - first_space - 1);
      {
        std::lock_guard<std::mutex> lock(mutex_);
        requests_.push_back(target);
        heads_.push_back(head);
      }
      Reply reply = handler_(target);
      std::string response = "HTTP/1.1 " + std::to_string(reply.status) + " " +
                             (reply.status < 400 ? "OK" : "Error") +
                             "\r\nContent-Type: " + reply.content_type;
      for (const std::string& header : reply.headers) response += "\r\n" + header;
      response +=
          "\r\nContent-Length: " + std::to_string(reply.body.size()) + "\r\n\r\n" + reply.body;
      if (!SendAll(fd, response)) return;
      if (HasHeaderValue(head, "connection:", "close")) return;
    }
  }

  static bool SendAll(int fd, const std::string& data) {
    size_t sent = 0;
    while (sent < data.size()) {
      ssize_t n = send(fd, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
      if (n <= 0) return false;
      sent += static_cast<size_t>(n);
    }
    return true;
  }

  // True when a header line named `name` (lower case, with its colon) holds
  // `value`, compared without regard to ASCII case.
  static std::string Lower(std::string text) {
    for (char& c : text) c = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    return text;
  }
  static bool HasHeaderValue(const std::string& head, const std::string& name,
                             const std::string& value) {
    const std::string lower = Lower(head);
    size_t at = lower.find("\r\n" + name);
    if (at == std::string::npos) return false;
    size_t line_end = lower.find("\r\n", at + 2);
    return lower.substr(at, line_end - at).find(value) != std::string::npos;
  }

  Handler handler_;
  int listener_ = -1;
  int port_ = 0;
  std::atomic<bool> stopping_{false};
  std::thread acceptor_;
  std::list<std::thread> connections_;  // touched by the acceptor, then the destructor
  std::mutex mutex_;
  std::vector<std::string> requests_;
  std::vector<std::string> heads_;  // request line and headers, as received
};

}  // namespace korvan::testing
