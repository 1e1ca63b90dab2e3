#include "platform/content_decoder.h"

#include <zlib.h>

#include "platform/http_headers.h"

namespace korvan {

struct ContentDecoder::Inflater {
  z_stream stream{};
  bool ready = false;
  bool ended = false;  // the last stream ended; a next member may follow

  bool Start(int window_bits) {
    if (ready) inflateEnd(&stream);
    stream = z_stream{};
    ready = inflateInit2(&stream, window_bits) == Z_OK;
    ended = false;
    return ready;
  }
  ~Inflater() {
    if (ready) inflateEnd(&stream);
  }
};

ContentDecoder::ContentDecoder(std::string_view encoding) {
  const std::string e = LowerHeaderName(TrimmedHeaderValue(encoding));
  if (e.empty() || e == "identity") return;
  deflate_ = e == "deflate";
  if (e != "gzip" && e != "x-gzip" && !deflate_) {
    supported_ = false;
    return;
  }
  inflater_ = std::make_unique<Inflater>();
  // 32 + 15: a gzip or zlib header, told by the first bytes; a deflate body
  // waits for its first two (see Add).
  if (!deflate_ && !inflater_->Start(32 + MAX_WBITS)) supported_ = false;
}

ContentDecoder::~ContentDecoder() = default;

ContentDecoder::Status ContentDecoder::Add(std::string_view data, std::string& body,
                                           std::size_t limit) {
  if (!supported_) return Status::kCorrupt;
  if (!inflater_) {
    if (body.size() + data.size() > limit) {
      body.append(data.substr(0, limit - body.size()));
      return Status::kTooLarge;
    }
    body.append(data);
    return Status::kOk;
  }
  if (deflate_) {
    // "deflate" comes zlib-wrapped or, from some servers, raw: a zlib
    // header is two bytes, method 8, their value a multiple of 31.
    head_.append(data);
    if (head_.size() < 2) return Status::kOk;
    const auto b0 = static_cast<unsigned char>(head_[0]);
    const auto b1 = static_cast<unsigned char>(head_[1]);
    const bool zlib = (b0 & 0x0f) == 8 && (b0 * 256 + b1) % 31 == 0;
    deflate_ = false;
    if (!inflater_->Start(zlib ? MAX_WBITS : -MAX_WBITS)) return Status::kCorrupt;
    const std::string head = std::move(head_);
    return Add(head, body, limit);
  }
  z_stream& z = inflater_->stream;
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  z.avail_in = static_cast<uInt>(data.size());
  char out[16384];
  for (;;) {
    if (inflater_->ended) {
      if (z.avail_in == 0) return Status::kOk;
      // Another gzip member follows the one that ended.
      Bytef* next = z.next_in;
      const uInt avail = z.avail_in;
      if (!inflater_->Start(32 + MAX_WBITS)) return Status::kCorrupt;
      z.next_in = next;
      z.avail_in = avail;
    }
    z.next_out = reinterpret_cast<Bytef*>(out);
    z.avail_out = sizeof out;
    const int rc = inflate(&z, Z_NO_FLUSH);
    if (rc != Z_OK && rc != Z_STREAM_END && rc != Z_BUF_ERROR) return Status::kCorrupt;
    const std::size_t produced = sizeof out - z.avail_out;
    if (body.size() + produced > limit) {
      body.append(out, limit - body.size());
      return Status::kTooLarge;
    }
    body.append(out, produced);
    if (rc == Z_STREAM_END) {
      inflater_->ended = true;
    } else if (rc == Z_BUF_ERROR || (z.avail_in == 0 && z.avail_out != 0)) {
      return Status::kOk;  // all taken, nothing pending
    }
  }
}

}  // namespace korvan
