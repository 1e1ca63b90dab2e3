// gzip compression for tests that serve compressed bodies (zlib).
#pragma once

#include <zlib.h>

#include <stdexcept>
#include <string>
#include <string_view>

namespace korvan::testing {

// `window_bits` as deflateInit2 takes them: 15 + 16 gzip, 15 zlib, -15 raw.
inline std::string Compress(std::string_view data, int window_bits) {
  z_stream z{};
  if (deflateInit2(&z, Z_BEST_SPEED, Z_DEFLATED, window_bits, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
    throw std::runtime_error("deflateInit2 failed");
  }
  std::string out(deflateBound(&z, data.size()), '\0');
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  z.avail_in = static_cast<uInt>(data.size());
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = static_cast<uInt>(out.size());
  const int rc = deflate(&z, Z_FINISH);
  out.resize(z.total_out);
  deflateEnd(&z);
  if (rc != Z_STREAM_END) throw std::runtime_error("deflate failed");
  return out;
}

inline std::string Gzip(std::string_view data) { return Compress(data, 15 + 16); }

}  // namespace korvan::testing
