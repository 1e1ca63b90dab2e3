#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/browser_client.h"
#include "platform/browser_process.h"
#include "platform/wide_text.h"

namespace korvan {

void RemoveStaleBrowserProfiles() {
  namespace fs = std::filesystem;
  const std::string prefix = kBrowserProfilePrefix;
  std::error_code ec;
  for (const fs::directory_entry& entry : fs::directory_iterator(BrowserTempFolder(), ec)) {
    const std::string name = Utf8OfPath(entry.path().filename());
    if (name.rfind(prefix, 0) != 0) continue;
    // korvan's own folders are left alone: it runs.
    const unsigned long pid = std::strtoul(name.c_str() + prefix.size(), nullptr, 10);
    if (pid == 0 || !ProcessGone(pid)) continue;
    std::error_code ignored;
    fs::remove_all(entry.path(), ignored);
  }
}

}  // namespace korvan
