// A small HTTP server on 127.0.0.1 for tests: it listens on a free port,
// answers every GET through the test's handler and records what was asked.
// The handler runs on the server's threads; Requests() is thread-safe.
#pragma once

#include <httplib.h>

#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace korvan::testing {

struct Reply {
  int status = 200;
  std::string body;
  std::string content_type = "text/html; charset=utf-8";
};

class LoopbackServer {
 public:
  // Gets the request target as sent ("/s?wd=a&pn=0") and the parsed query.
  using Handler = std::function<Reply(const std::string& target, const httplib::Params& params)>;

  explicit LoopbackServer(Handler handler) : handler_(std::move(handler)) {
    server_.Get(".*", [this](const httplib::Request& req, httplib::Response& res) {
      {
        std::lock_guard<std::mutex> lock(mutex_);
        requests_.push_back(req.target);
      }
      Reply reply = handler_(req.target, req.params);
      res.status = reply.status;
      res.set_content(reply.body, reply.content_type.c_str());
    });
    server_.set_tcp_nodelay(true);
    port_ = server_.bind_to_any_port("127.0.0.1");
    thread_ = std::thread([this] { server_.listen_after_bind(); });
    while (!server_.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ~LoopbackServer() {
    server_.stop();
    thread_.join();
  }

  std::string BaseUrl() const { return "http://127.0.0.1:" + std::to_string(port_); }

  // The request targets (path and query as sent) in order of arrival.
  std::vector<std::string> Requests() {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
  }

 private:
  Handler handler_;
  httplib::Server server_;
  int port_ = 0;
  std::thread thread_;
  std::mutex mutex_;
  std::vector<std::string> requests_;
};

}  // namespace korvan::testing
