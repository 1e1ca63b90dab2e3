// The cookie engine of the Windows HTTP components (libcurl has its own):
// which of a jar's cookies a request carries, and what a Set-Cookie answer
// changes in the jar. The jar's lines are in the Netscape cookie-file
// format that libcurl writes ("#HttpOnly_" prefix, leading dot of a domain
// cookie, expiry 0 for a session cookie), so a jar reads the same on both
// systems. Times are seconds since 1970 (UTC). Pure, thread-safe.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace korvan {

// The request side of a match: what a cookie is sent to or was set by.
struct CookieTarget {
  std::string host;     // lower-case, no port, no brackets
  std::string path;     // begins with "/", without query or fragment
  bool secure = false;  // an https address
};

// Host and path of an absolute http or https address.
CookieTarget CookieTargetOf(std::string_view url);

// The value of the Cookie header for `target`: "name=value" of every jar line
// whose domain, path and secure flag match and which has not expired at
// `now`, longest path first, joined by "; ". Empty when none matches.
std::string CookieHeaderFor(const std::vector<std::string>& lines, const CookieTarget& target,
                            std::int64_t now);

// Applies one Set-Cookie value that `target` answered with: the cookie of
// the same name, domain and path is added or replaced, or removed when the
// answer has it expire. A cookie for a domain that does not cover the
// target's host, or without "name=", changes nothing.
void StoreSetCookie(std::vector<std::string>& lines, std::string_view set_cookie,
                    const CookieTarget& target, std::int64_t now);

// A cookie date ("Wdy, DD Mon YYYY HH:MM:SS GMT" and its usual variants) in
// seconds since 1970; -1 when it cannot be read.
std::int64_t CookieDateSeconds(std::string_view date);

}  // namespace korvan
