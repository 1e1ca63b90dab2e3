#include "query/verification_signs.h"

#include <algorithm>
#include <array>
#include <vector>

#include "platform/codepage.h"
#include "text/string_helpers.h"

namespace korvan {

namespace {

enum SignKind { skAddress, skHeader, skPage };

// skAddress: `a` is a domain that the host is or lies under ("" any host),
//            `b` a text that host and path hold, lower case ("" any).
// skHeader:  `a` a header name (lower case), `b` a text in its value.
// skPage:    `a` a text of the page (UTF-8 here).
struct Sign {
  SignKind kind;
  const char* a;
  const char* b;
};

const std::array<Sign, 9> kSigns = {{
    // 百度: the captcha "百度安全验证" on wappass.baidu.com.
    {skAddress, "wappass.baidu.com", ""},
    {skPage, "<title>百度安全验证</title>", ""},
    // 搜狗: www.sogou.com/antispider/?from=...
    {skAddress, "sogou.com", "/antispider"},
    // 谷歌: /sorry/index?continue=... on the engine's own domain, with 429.
    {skAddress, "", "/sorry/"},
    // 必应: the challenge under /turing/captcha/.
    {skAddress, "bing.com", "/turing/captcha"},
    // 360So: its captcha hosts and paths on so.com and 360.cn.
    {skAddress, "so.com", "captcha"},
    {skAddress, "360.cn", "captcha"},
    // A challenge of the content network in front of a site.
    {skHeader, "cf-mitigated", "challenge"},
    {skPage, "<title>just a moment...</title>", ""},
}};

bool UnderDomain(std::string_view host, std::string_view domain) {
  if (domain.empty() || host == domain) return true;
  return host.size() > domain.size() && host.ends_with(domain) &&
         host[host.size() - domain.size() - 1] == '.';
}

// Host and path of an address, lower-cased, without the query; only the
// path of a relative one.
std::string HostAndPath(std::string_view url) {
  const std::size_t scheme = url.find("://");
  if (scheme != std::string_view::npos) url.remove_prefix(scheme + 3);
  url = url.substr(0, url.find_first_of("?#"));
  return LowerAscii(std::string(url));
}

bool IsVerificationAddress(std::string_view url) {
  const std::string host_path = HostAndPath(url);
  const std::string host = HostOfUrl(url);
  for (const Sign& sign : kSigns) {
    if (sign.kind == skAddress && UnderDomain(host, sign.a) &&
        host_path.find(sign.b) != std::string::npos) {
      return true;
    }
  }
  return false;
}

const std::vector<std::string>& PageSigns() {
  static const std::vector<std::string> texts = [] {
    std::vector<std::string> t;
    for (const Sign& sign : kSigns) {
      if (sign.kind == skPage) t.push_back(LowerAscii(Utf8ToCp936(sign.a)));
    }
    return t;
  }();
  return texts;
}

}  // namespace

std::string HostOfUrl(std::string_view url) {
  if (url.find("://") == std::string_view::npos) return {};
  std::string host = HostAndPath(url);
  host.resize(std::min(host.find('/'), host.size()));
  if (const std::size_t at = host.rfind('@'); at != std::string::npos) host.erase(0, at + 1);
  if (const std::size_t colon = host.rfind(':');
      colon != std::string::npos && host.find(']', colon) == std::string::npos) {
    host.resize(colon);
  }
  return host;
}

std::string VerificationHost(const HttpResponse& response) {
  for (const std::string& location : response.redirects) {
    if (IsVerificationAddress(location)) return HostOfUrl(location);
  }
  if (IsVerificationAddress(response.final_url)) return HostOfUrl(response.final_url);
  for (const auto& [name, value] : response.headers) {
    for (const Sign& sign : kSigns) {
      if (sign.kind == skHeader && name == sign.a &&
          LowerAscii(value).find(sign.b) != std::string::npos) {
        return HostOfUrl(response.final_url);
      }
    }
  }
  return {};
}

bool IsVerificationPage(std::string_view page) {
  for (const std::string& text : PageSigns()) {
    if (page.find(text) != std::string_view::npos) return true;
  }
  return false;
}

}  // namespace korvan
