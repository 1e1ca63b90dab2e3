// Decodes a response body sent with Content-Encoding gzip or deflate while
// its bytes arrive, for HTTP libraries that leave this to the program (the
// Windows ones). The decoded size is checked as it grows, so a small
// compressed body that would inflate beyond the limit stops at the limit.
// One object per body; not thread-safe.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

namespace korvan {

class ContentDecoder {
 public:
  enum class Status { kOk, kTooLarge, kCorrupt };

  // `encoding` is the Content-Encoding value: "gzip", "x-gzip" or "deflate"
  // (zlib or raw) are decoded; "" and "identity" pass the bytes unchanged.
  explicit ContentDecoder(std::string_view encoding);
  ~ContentDecoder();

  // False for an encoding this class cannot decode (br, zstd...).
  bool Supported() const { return supported_; }

  // Appends the decoded bytes of `data` to `body`, which may not grow above
  // `limit` bytes (kTooLarge, `body` then ends at the limit).
  Status Add(std::string_view data, std::string& body, std::size_t limit);

 private:
  struct Inflater;
  bool supported_ = true;
  bool deflate_ = false;  // deflate, not yet told whether zlib-wrapped or raw
  std::string head_;      // its first bytes until then
  std::unique_ptr<Inflater> inflater_;
};

}  // namespace korvan
