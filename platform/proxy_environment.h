// The proxy settings of the curl-style environment variables, read the way
// curl reads them: http_proxy (lower case only), https_proxy, all_proxy and
// no_proxy (either case). The POSIX browser turns them into its switches;
// the Windows HTTP components pick a proxy per address with ProxyFor.
// Pure, thread-safe.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace korvan {

struct ProxyVariables {
  // "host:port" or "scheme://host:port" without a trailing "/"; all_proxy
  // where the scheme's own variable is unset; empty: none.
  std::string http;
  std::string https;
  // The items of no_proxy without blanks and leading dots: host names
  // (each covering the hosts below it), addresses, IPv4 ranges "a.b.c.d/n".
  std::vector<std::string> no_proxy;
  bool no_proxy_for_all = false;  // no_proxy is "*"

  bool Set() const { return !http.empty() || !https.empty(); }
};

// `env` reads one variable (nullptr when unset).
ProxyVariables ReadProxyVariables(const char* (*env)(const char* name));

// The proxy for an address on `host` ("host:port", the scheme dropped), or
// empty when the variables send it directly: no proxy for its scheme, or
// no_proxy covers the host.
std::string ProxyFor(const ProxyVariables& proxies, bool secure, std::string_view host);

}  // namespace korvan
