// No browser is driven on Windows yet: none is ever found, so the engines
// that want one are fetched by the client component (WinINet), and a client
// made anyway reports that it has no browser.
#include "platform/browser_client.h"

namespace korvan {

namespace {

class NoBrowserClient final : public BrowserClient {
 public:
  BrowserPage LoadPage(const std::string&, long) override {
    BrowserPage page;
    page.failure = BrowserFailure::kNoBrowser;
    page.error = "no browser is driven on Windows";
    return page;
  }
  pid_t ProcessId() const override { return 0; }
};

}  // namespace

std::string FindBrowserExecutable() { return {}; }

std::unique_ptr<BrowserClient> MakeBrowserClient(std::string) {
  return std::make_unique<NoBrowserClient>();
}

void RemoveStaleBrowserProfiles() {}

}  // namespace korvan
