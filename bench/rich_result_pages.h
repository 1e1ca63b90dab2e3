// Result pages of a given size shaped like those of the four built-in
// engines, for the extraction benchmark: a head with inline styles and
// scripts, a navigation list, result blocks with nested div and table
// elements, lists, highlighted keywords and inline scripts, and a footer.
// Code page 936 bytes; the blocks repeat until the page reaches its size.
#pragma once

#include <cstddef>
#include <string>

namespace korvan::bench {

enum class PageShape { kBaidu, kGoogle, kSo360, kTaobao };

namespace detail {

inline const char* kHead =
    "<!DOCTYPE html><html><head><meta charset=\"gbk\"><title>\xB9\xD8\xBC\xFC\xD7\xD6</title>"
    "<style>body{margin:0;font:13px arial}.c-container{width:640px}em{color:#c00;"
    "font-style:normal}#foot a{color:#666}</style>"
    "<script>var conf={q:\"keyword\",n:10};function f(a,b){return a<b?\"<b>\":\"</b>\";}"
    "</script></head><body><div id=\"head\"><div class=\"nav\"><ul class=\"menu\">"
    "<li><a href=\"/news\">news</a></li><li><a href=\"/img\">images</a></li>"
    "<li><a href=\"/video\">video</a></li></ul></div><form action=\"/s\"><input name=\"wd\" "
    "value=\"keyword\"></form></div>";

inline const char* kFoot =
    "<div id=\"foot\"><p><a href=\"/help\">help</a> | <a href=\"/about\">about</a> | "
    "&copy;2026</p><script>(function(){var s=document.createElement(\"script\");"
    "s.src=\"/stat.js\";})();</script></div></body></html>";

// The inside of one result: title, abstract, a table of site links, a small
// list (not for the Google shape, whose blocks are list items themselves).
inline std::string ResultBody(int n, bool with_list) {
  std::string id = std::to_string(n);
  std::string body = "<h3 class=\"t\"><a href=\"http://www.site" + id + ".com/page?id=" + id +
                     "\" target=\"_blank\">site " + id +
                     " <em>keyword</em> title text</a></h3><div class=\"c-abstract\"><span "
                     "class=\"date\">2026-12-0" +
                     std::to_string(n % 9 + 1) +
                     "</span> an abstract about the <em>keyword</em> with some text around it, "
                     "\xBB\xB6\xD3\xAD\xB9\xE2\xC1\xD9 and more words that a page shows.</div>"
                     "<div class=\"f13\"><table class=\"links\"><tr><td><a href=\"/a\">a</a></td>"
                     "<td><a href=\"/b\">b</a></td></tr></table><span class=\"g\">www.site" +
                     id + ".com/page</span></div>";
  if (with_list) body += "<ul class=\"sub\"><li>one</li><li>two</li></ul>";
  body += "<script>t(" + id + ");</script>";
  return body;
}

}  // namespace detail

inline std::string MakeRichResultPage(PageShape shape, std::size_t size) {
  std::string page = detail::kHead;
  const std::string foot = detail::kFoot;
  page.reserve(size + 4096);
  switch (shape) {
    case PageShape::kBaidu:
      page += "<div id=\"wrapper\"><div id=\"content_left\">";
      for (int n = 1; page.size() + foot.size() < size; ++n) {
        page += "<table id=\"" + std::to_string(n) +
                "\" class=\"result\"><tr><td class=\"f\"><div class=\"c-container\">" +
                detail::ResultBody(n, true) + "</div></td></tr></table>";
      }
      page += "</div></div>";
      break;
    case PageShape::kGoogle:
      page += "<div id=\"search\"><ol>";
      for (int n = 1; page.size() + foot.size() < size; ++n) {
        page += "<li class=\"g\"><div class=\"rc\">" + detail::ResultBody(n, false) + "</div></li>";
      }
      page += "</ol></div>";
      break;
    case PageShape::kSo360:
      page += "<div id=\"main\"><ul class=\"result\">";
      for (int n = 1; page.size() + foot.size() < size; ++n) {
        page += (n == 1 ? "<li id=\"first\" class=\"res-list\">" : "<li class=\"res-list\">") +
                detail::ResultBody(n, true) + "</li>";
      }
      page += "</ul></div>";
      break;
    case PageShape::kTaobao:
      page +=
          "<div class=\"page\"><!--\xBD\xE1\xB9\xFB\xC4\xDA\xC8\xDD\xC7\xF8--><div "
          "class=\"list\"><div class=\"grid\">";
      for (int n = 1; page.size() + foot.size() < size; ++n) {
        page += "<div class=\"item\"><div class=\"pic\"><img src=\"/i" + std::to_string(n) +
                ".jpg\"></div>" + detail::ResultBody(n, true) + "</div>";
      }
      page += "</div></div></div>";
      break;
  }
  return page + foot;
}

}  // namespace korvan::bench
