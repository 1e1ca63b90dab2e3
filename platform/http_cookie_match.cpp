#include "platform/http_cookie_match.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <optional>

#include "platform/http_headers.h"

namespace korvan {

namespace {

constexpr std::string_view kHttpOnlyPrefix = "#HttpOnly_";

// One jar line, split into its seven tab-separated fields.
struct CookieLine {
  bool http_only = false;
  bool subdomains = false;  // the cookie covers the hosts below its domain too
  std::string domain;       // lower-case, without the leading dot
  std::string path;
  bool secure = false;
  std::int64_t expires = 0;  // 0: a session cookie
  std::string name;
  std::string value;
};

std::optional<CookieLine> ParseLine(std::string_view line) {
  CookieLine c;
  if (line.starts_with(kHttpOnlyPrefix)) {
    c.http_only = true;
    line.remove_prefix(kHttpOnlyPrefix.size());
  } else if (line.starts_with("#")) {
    return std::nullopt;
  }
  std::vector<std::string_view> fields;
  for (std::size_t tab; fields.size() < 6 && (tab = line.find('\t')) != std::string_view::npos;) {
    fields.push_back(line.substr(0, tab));
    line.remove_prefix(tab + 1);
  }
  fields.push_back(line);
  if (fields.size() != 7) return std::nullopt;
  std::string_view domain = fields[0];
  if (domain.starts_with(".")) domain.remove_prefix(1);
  c.domain = LowerHeaderName(domain);
  c.subdomains = fields[1] == "TRUE";
  c.path = fields[2];
  c.secure = fields[3] == "TRUE";
  std::from_chars(fields[4].data(), fields[4].data() + fields[4].size(), c.expires);
  c.name = fields[5];
  c.value = fields[6];
  return c;
}

std::string FormatLine(const CookieLine& c) {
  std::string line = c.http_only ? std::string(kHttpOnlyPrefix) : std::string();
  line += (c.subdomains ? "." : "") + c.domain + "\t" + (c.subdomains ? "TRUE" : "FALSE") + "\t" +
          c.path + "\t" + (c.secure ? "TRUE" : "FALSE") + "\t" + std::to_string(c.expires) + "\t" +
          c.name + "\t" + c.value;
  return line;
}

bool IsIpAddress(std::string_view host) {
  return host.find(':') != std::string_view::npos ||
         host.find_first_not_of("0123456789.") == std::string_view::npos;
}

// `host` is `domain` or, for a domain cookie, a host below it.
bool DomainMatches(std::string_view host, std::string_view domain, bool subdomains) {
  if (host == domain) return true;
  return subdomains && !IsIpAddress(host) && host.size() > domain.size() &&
         host.ends_with(domain) && host[host.size() - domain.size() - 1] == '.';
}

bool PathMatches(std::string_view request, std::string_view cookie) {
  if (!request.starts_with(cookie)) return false;
  return request.size() == cookie.size() || cookie.ends_with("/") || request[cookie.size()] == '/';
}

// The path a cookie gets when its answer names none: the request path up to
// its last "/".
std::string DefaultPath(std::string_view path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string_view::npos || slash == 0) return "/";
  return std::string(path.substr(0, slash));
}

bool EqualsNoCase(std::string_view a, std::string_view b) { return LowerHeaderName(a) == b; }

std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

}  // namespace

CookieTarget CookieTargetOf(std::string_view url) {
  CookieTarget target;
  const std::size_t scheme_end = url.find("://");
  if (scheme_end == std::string_view::npos) return target;
  target.secure = EqualsNoCase(url.substr(0, scheme_end), "https");
  url.remove_prefix(scheme_end + 3);
  const std::size_t authority_end = url.find_first_of("/?#");
  std::string_view host = url.substr(0, authority_end);
  if (const std::size_t at = host.rfind('@'); at != std::string_view::npos) {
    host.remove_prefix(at + 1);
  }
  if (host.starts_with("[")) {
    host = host.substr(1, host.find(']') - 1);
  } else {
    host = host.substr(0, host.find(':'));
  }
  target.host = LowerHeaderName(host);
  std::string_view path =
      authority_end == std::string_view::npos ? std::string_view() : url.substr(authority_end);
  path = path.substr(0, path.find_first_of("?#"));
  target.path = path.empty() ? "/" : std::string(path);
  return target;
}

std::string CookieHeaderFor(const std::vector<std::string>& lines, const CookieTarget& target,
                            std::int64_t now) {
  std::vector<CookieLine> sent;
  for (const std::string& line : lines) {
    std::optional<CookieLine> c = ParseLine(line);
    if (!c || (c->expires != 0 && c->expires <= now) || (c->secure && !target.secure) ||
        !DomainMatches(target.host, c->domain, c->subdomains) ||
        !PathMatches(target.path, c->path)) {
      continue;
    }
    sent.push_back(std::move(*c));
  }
  std::stable_sort(sent.begin(), sent.end(), [](const CookieLine& a, const CookieLine& b) {
    return a.path.size() > b.path.size();
  });
  std::string header;
  for (const CookieLine& c : sent) {
    header += (header.empty() ? "" : "; ") + c.name + "=" + c.value;
  }
  return header;
}

void StoreSetCookie(std::vector<std::string>& lines, std::string_view set_cookie,
                    const CookieTarget& target, std::int64_t now) {
  CookieLine c;
  bool expired = false;
  std::optional<std::int64_t> max_age;
  bool first = true;
  while (!set_cookie.empty() || first) {
    const std::size_t semicolon = set_cookie.find(';');
    const std::string_view part = set_cookie.substr(0, semicolon);
    set_cookie =
        semicolon == std::string_view::npos ? std::string_view() : set_cookie.substr(semicolon + 1);
    const std::size_t eq = part.find('=');
    const std::string key = TrimmedHeaderValue(part.substr(0, eq));
    const std::string value =
        eq == std::string_view::npos ? std::string() : TrimmedHeaderValue(part.substr(eq + 1));
    if (first) {
      first = false;
      if (eq == std::string_view::npos || key.empty()) return;
      c.name = key;
      c.value = value;
      continue;
    }
    const std::string attribute = LowerHeaderName(key);
    if (attribute == "domain" && !value.empty()) {
      c.domain = LowerHeaderName(std::string_view(value).substr(value.starts_with(".") ? 1 : 0));
      c.subdomains = true;
    } else if (attribute == "path" && value.starts_with("/")) {
      c.path = value;
    } else if (attribute == "secure") {
      c.secure = true;
    } else if (attribute == "httponly") {
      c.http_only = true;
    } else if (attribute == "max-age") {
      std::int64_t seconds = 0;
      if (std::from_chars(value.data(), value.data() + value.size(), seconds).ec == std::errc()) {
        max_age = seconds;
      }
    } else if (attribute == "expires") {
      if (const std::int64_t at = CookieDateSeconds(value); at >= 0) {
        c.expires = at;
        expired = at <= now;
      }
    }
  }
  if (max_age) {
    expired = *max_age <= 0;
    c.expires = expired ? 1 : now + *max_age;
  }
  if (c.subdomains) {
    // A server may set a cookie for its own host or a domain above it only.
    if (!DomainMatches(target.host, c.domain, true) || IsIpAddress(target.host) ||
        c.domain.find('.') == std::string::npos) {
      if (c.domain != target.host) return;
      c.subdomains = false;
    }
  } else {
    c.domain = target.host;
  }
  if (c.path.empty()) c.path = DefaultPath(target.path);
  std::erase_if(lines, [&c](const std::string& line) {
    std::optional<CookieLine> old = ParseLine(line);
    return old && old->name == c.name && old->domain == c.domain && old->path == c.path;
  });
  if (!expired) lines.push_back(FormatLine(c));
}

std::int64_t CookieDateSeconds(std::string_view date) {
  static constexpr std::string_view kMonths[] = {"jan", "feb", "mar", "apr", "may", "jun",
                                                 "jul", "aug", "sep", "oct", "nov", "dec"};
  int day = -1, month = -1, year = -1, hour = -1, minute = 0, second = 0;
  auto is_delimiter = [](char ch) {
    return !std::isalnum(static_cast<unsigned char>(ch)) && ch != ':';
  };
  std::size_t i = 0;
  while (i < date.size()) {
    while (i < date.size() && is_delimiter(date[i])) ++i;
    std::size_t end = i;
    while (end < date.size() && !is_delimiter(date[end])) ++end;
    const std::string token = LowerHeaderName(date.substr(i, end - i));
    i = end;
    if (token.empty()) continue;
    int a = 0, b = 0, c = 0;
    const char* s = token.c_str();
    const char* e = s + token.size();
    if (hour < 0 && token.find(':') != std::string::npos) {
      auto r1 = std::from_chars(s, e, a);
      if (r1.ec != std::errc() || r1.ptr == e || *r1.ptr != ':') continue;
      auto r2 = std::from_chars(r1.ptr + 1, e, b);
      if (r2.ec != std::errc()) continue;
      if (r2.ptr != e && *r2.ptr == ':') std::from_chars(r2.ptr + 1, e, c);
      hour = a, minute = b, second = c;
    } else if (std::isdigit(static_cast<unsigned char>(token[0]))) {
      std::from_chars(s, e, a);
      if (day < 0 && token.size() <= 2) {
        day = a;
      } else if (year < 0 && token.size() <= 4) {
        year = a;
      }
    } else if (month < 0) {
      for (int m = 0; m < 12; ++m) {
        if (token.starts_with(kMonths[m])) month = m + 1;
      }
    }
  }
  if (year >= 0 && year < 70) year += 2000;
  if (year >= 70 && year < 100) year += 1900;
  if (day < 1 || day > 31 || month < 1 || year < 1601 || hour < 0 || hour > 23 || minute > 59 ||
      second > 59) {
    return -1;
  }
  return DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) * 86400 +
         hour * 3600 + minute * 60 + second;
}

}  // namespace korvan
