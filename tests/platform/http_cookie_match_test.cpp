#include "platform/http_cookie_match.h"

#include <gtest/gtest.h>

namespace korvan {
namespace {

constexpr std::int64_t kNow = 1700000000;

TEST(HttpCookieMatchTest, SetCookieAnswersComeBackToTheRightRequests) {
  std::vector<std::string> jar;
  const CookieTarget page = CookieTargetOf("http://WWW.Example.com:8080/s/q?wd=a#top");
  EXPECT_EQ(page.host, "www.example.com");
  EXPECT_EQ(page.path, "/s/q");
  for (const char* answer :
       {"a=1; Path=/; Domain=.example.com", "b=2", "c=3; Secure; HttpOnly", "x",
        "e=5; Domain=other.com", "f=6; Expires=Wed, 21 Oct 2015 07:28:00 GMT", "g=7; Max-Age=60"}) {
    StoreSetCookie(jar, answer, page, kNow);
  }
  EXPECT_EQ(jar, (std::vector<std::string>{
                     ".example.com\tTRUE\t/\tFALSE\t0\ta\t1",
                     "www.example.com\tFALSE\t/s\tFALSE\t0\tb\t2",
                     "#HttpOnly_www.example.com\tFALSE\t/s\tTRUE\t0\tc\t3",
                     "www.example.com\tFALSE\t/s\tFALSE\t1700000060\tg\t7",
                 }));
  // Longest path first; secure ones over https only; the host-only ones not
  // below their host; none outside their path.
  EXPECT_EQ(CookieHeaderFor(jar, CookieTargetOf("http://www.example.com/s/x"), kNow),
            "b=2; g=7; a=1");
  EXPECT_EQ(CookieHeaderFor(jar, CookieTargetOf("https://www.example.com/s"), kNow),
            "b=2; c=3; g=7; a=1");
  EXPECT_EQ(CookieHeaderFor(jar, CookieTargetOf("http://img.www.example.com/s/"), kNow), "a=1");
  EXPECT_EQ(CookieHeaderFor(jar, CookieTargetOf("http://www.example.com/search"), kNow), "a=1");
  EXPECT_EQ(CookieHeaderFor(jar, CookieTargetOf("http://badexample.com/"), kNow), "");
  EXPECT_EQ(CookieHeaderFor(jar, CookieTargetOf("http://www.example.com/s"), kNow + 60),
            "b=2; a=1");

  // A new value replaces the cookie; an expiry in the past removes it.
  StoreSetCookie(jar, "a=9; path=/; domain=example.com", page, kNow);
  StoreSetCookie(jar, "b=; Max-Age=0", page, kNow);
  EXPECT_EQ(CookieHeaderFor(jar, CookieTargetOf("http://www.example.com/s"), kNow), "g=7; a=9");
}

TEST(HttpCookieMatchTest, LinesAsLibcurlWritesThemAreRead) {
  const std::vector<std::string> jar = {
      "#HttpOnly_.baidu.com\tTRUE\t/\tFALSE\t1800000000\tBAIDUID\tX:FG=1",
      "www.baidu.com\tFALSE\t/\tFALSE\t1600000000\told\t1",
      "# Netscape HTTP Cookie File",
      "www.baidu.com\tFALSE\t/\tFALSE\t0\tBD_HOME\t1",
  };
  EXPECT_EQ(CookieHeaderFor(jar, CookieTargetOf("https://www.baidu.com/s?wd=x"), kNow),
            "BAIDUID=X:FG=1; BD_HOME=1");
}

TEST(HttpCookieMatchTest, CookieDatesInTheirUsualForms) {
  EXPECT_EQ(CookieDateSeconds("Sun, 06 Nov 1994 08:49:37 GMT"), 784111777);
  EXPECT_EQ(CookieDateSeconds("Sunday, 06-Nov-94 08:49:37 GMT"), 784111777);
  EXPECT_EQ(CookieDateSeconds("Sun Nov  6 08:49:37 1994"), 784111777);
  EXPECT_EQ(CookieDateSeconds("Thu, 01 Jan 2037 00:00:00 GMT"), 2114380800);
  EXPECT_EQ(CookieDateSeconds("tomorrow"), -1);
  EXPECT_EQ(CookieDateSeconds("Sun, 06 Nov 1994 GMT"), -1);
}

}  // namespace
}  // namespace korvan
