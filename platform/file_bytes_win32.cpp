#include <windows.h>

#include "platform/file_bytes.h"
#include "platform/wide_text.h"

namespace korvan {

std::optional<std::string> ReadFileBytes(const std::string& path, std::size_t max_bytes) {
  HANDLE file = CreateFileW(WideFromUtf8(path).c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  std::string bytes;
  char buffer[65536];
  while (bytes.size() < max_bytes) {
    const std::size_t left = max_bytes - bytes.size();
    DWORD got = 0;
    const DWORD want = static_cast<DWORD>(left < sizeof buffer ? left : sizeof buffer);
    if (!ReadFile(file, buffer, want, &got, nullptr) || got == 0) break;
    bytes.append(buffer, got);
  }
  CloseHandle(file);
  return bytes;
}

}  // namespace korvan
