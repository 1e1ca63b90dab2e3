#include "platform/file_bytes.h"

#include <fstream>

namespace korvan {

std::optional<std::string> ReadFileBytes(const std::string& path, std::size_t max_bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::string bytes;
  char buffer[65536];
  while (bytes.size() < max_bytes && in.read(buffer, sizeof buffer).gcount() > 0) {
    bytes.append(buffer, static_cast<std::size_t>(in.gcount()));
  }
  if (bytes.size() > max_bytes) bytes.resize(max_bytes);
  return bytes;
}

}  // namespace korvan
