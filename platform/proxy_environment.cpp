#include "platform/proxy_environment.h"

#include <charconv>
#include <cstdint>
#include <optional>

#include "platform/http_headers.h"

namespace korvan {

namespace {

std::string ProxyValue(const char* value) {
  std::string v = value != nullptr ? TrimmedHeaderValue(value) : std::string();
  while (!v.empty() && v.back() == '/') v.pop_back();
  return v;
}

std::optional<std::uint32_t> Ipv4(std::string_view text) {
  std::uint32_t address = 0;
  for (int part = 0; part < 4; ++part) {
    unsigned octet = 256;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), octet);
    if (ec != std::errc() || octet > 255) return std::nullopt;
    address = address << 8 | octet;
    text.remove_prefix(static_cast<std::size_t>(end - text.data()));
    if (part < 3) {
      if (!text.starts_with(".")) return std::nullopt;
      text.remove_prefix(1);
    }
  }
  if (!text.empty()) return std::nullopt;
  return address;
}

// `item` of no_proxy covers `host`: the same name or address, a host below
// the name, or an IPv4 address within the range.
bool Covers(std::string_view item, std::string_view host) {
  if (const std::size_t slash = item.find('/'); slash != std::string_view::npos) {
    const std::optional<std::uint32_t> net = Ipv4(item.substr(0, slash));
    const std::optional<std::uint32_t> address = Ipv4(host);
    unsigned bits = 33;
    const std::string_view b = item.substr(slash + 1);
    std::from_chars(b.data(), b.data() + b.size(), bits);
    if (!net || !address || bits > 32) return false;
    const std::uint32_t mask = bits == 0 ? 0 : ~std::uint32_t{0} << (32 - bits);
    return (*net & mask) == (*address & mask);
  }
  if (host == item) return true;
  return host.size() > item.size() && host.ends_with(item) &&
         host[host.size() - item.size() - 1] == '.';
}

}  // namespace

ProxyVariables ReadProxyVariables(const char* (*env)(const char* name)) {
  auto either = [env](const char* lower, const char* upper) {
    const char* v = env(lower);
    return v != nullptr ? v : (upper != nullptr ? env(upper) : nullptr);
  };
  ProxyVariables proxies;
  const std::string all = ProxyValue(either("all_proxy", "ALL_PROXY"));
  proxies.http = ProxyValue(either("http_proxy", nullptr));
  proxies.https = ProxyValue(either("https_proxy", "HTTPS_PROXY"));
  if (proxies.http.empty()) proxies.http = all;
  if (proxies.https.empty()) proxies.https = all;
  const char* no_proxy = either("no_proxy", "NO_PROXY");
  for (std::string_view rest = no_proxy != nullptr ? no_proxy : ""; !rest.empty();) {
    const std::size_t comma = rest.find(',');
    std::string item = LowerHeaderName(TrimmedHeaderValue(rest.substr(0, comma)));
    rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
    if (item == "*") proxies.no_proxy_for_all = true;
    while (!item.empty() && item.front() == '.') item.erase(0, 1);
    if (!item.empty() && item != "*") proxies.no_proxy.push_back(std::move(item));
  }
  return proxies;
}

std::string ProxyFor(const ProxyVariables& proxies, bool secure, std::string_view host) {
  std::string proxy = secure ? proxies.https : proxies.http;
  if (proxy.empty() || proxies.no_proxy_for_all) return {};
  const std::string lowered = LowerHeaderName(host);
  for (const std::string& item : proxies.no_proxy) {
    if (Covers(item, lowered)) return {};
  }
  if (const std::size_t scheme = proxy.find("://"); scheme != std::string::npos) {
    proxy.erase(0, scheme + 3);
  }
  return proxy;
}

}  // namespace korvan
