#include <windows.h>

#include <string>

#include "platform/exe_dir.h"
#include "platform/wide_text.h"

namespace korvan {

std::string ExecutableDir() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    if (path.size() >= 32768) return {};  // longer than any Windows path
    path.resize(path.size() * 2);
  }
  const auto slash = path.find_last_of(L"\\/");
  if (slash == std::wstring::npos) return {};
  return Utf8FromWide(std::wstring_view(path).substr(0, slash + 1));
}

}  // namespace korvan
