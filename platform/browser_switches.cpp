#include <cstdlib>
#include <cstring>

#include "platform/browser_client.h"
#include "platform/browser_process.h"
#include "platform/proxy_environment.h"

namespace korvan {

namespace {

// A proxy of the curl-style variables in the form Chromium takes.
std::string ProxyServer(std::string v) {
  for (auto [curl, chromium] :
       {std::pair{"socks5h://", "socks5://"}, {"socks4a://", "socks4://"}}) {
    if (v.rfind(curl, 0) == 0) v = chromium + v.substr(std::strlen(curl));
  }
  return v;
}

}  // namespace

std::vector<std::string> BrowserProxySwitches(const char* (*env)(const char* name)) {
  const ProxyVariables proxies = ReadProxyVariables(env);
  if (!proxies.Set() || proxies.no_proxy_for_all) return {};
  const std::string http = ProxyServer(proxies.http);
  const std::string https = ProxyServer(proxies.https);
  std::string bypass;
  for (const std::string& item : proxies.no_proxy) {
    // curl's "example.com" covers the domain and every host below it.
    const bool name = item.find_first_not_of("0123456789.:/[]") != std::string::npos &&
                      item.find('/') == std::string::npos;
    bypass += item + ";";
    if (name) bypass += "*." + item + ";";
  }
  // curl sends loopback addresses to the proxy unless no_proxy names them;
  // Chromium would not, without this rule.
  bypass += "<-loopback>";

  std::string server;
  if (!http.empty()) server += "http=" + http;
  if (!https.empty()) server += (server.empty() ? "" : ";") + std::string("https=") + https;
  return {"--proxy-server=" + server, "--proxy-bypass-list=" + bypass};
}

std::vector<std::string> CommonBrowserSwitches(const std::string& profile) {
  std::vector<std::string> args = {
      "--remote-debugging-pipe",
      "--user-data-dir=" + profile,
      "--no-first-run",
      "--no-default-browser-check",
      // Without these the browser calls Google's services at start and keeps
      // retrying on a closed network.
      "--disable-background-networking",
      "--disable-component-update",
      "--disable-sync",
      "--disable-default-apps",
      "--disable-extensions",
      "--disable-breakpad",
      "--disable-gpu",
      "--mute-audio",
      "--lang=zh-CN",
  };
  // Without proxy variables the browser uses the system's proxy settings.
  for (std::string& s :
       BrowserProxySwitches([](const char* name) -> const char* { return std::getenv(name); })) {
    args.push_back(std::move(s));
  }
  return args;
}

}  // namespace korvan
