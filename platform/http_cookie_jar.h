// The cookies of one search engine, kept in memory for the whole program
// execution and never written to disk.
//
// The HTTP client loads them into a transfer before it starts and stores the
// transfer's cookies back when it ends; the client's cookie engine decides,
// as a browser does, which of them a request carries (domain, path, expiry,
// secure). Lines are in the Netscape cookie-file format.
// Thread-safe: one engine's worker uses the jar at a time, but a worker of a
// previous sheet may still be ending, so every access is locked.
#pragma once

#include <mutex>
#include <string>
#include <vector>

namespace korvan {

class HttpCookieJar {
 public:
  std::vector<std::string> Lines() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return lines_;
  }
  void Replace(std::vector<std::string> lines) {
    std::lock_guard<std::mutex> lock(mutex_);
    lines_ = std::move(lines);
  }

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> lines_;
};

}  // namespace korvan
