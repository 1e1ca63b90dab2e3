// Result pages shaped like those of the four built-in engines, for tests and
// benchmarks. Every entry of `items` becomes one result block whose text
// holds that entry (a host name or any other text); `ads` become blocks of
// the same tags before the first genuine result. Pages are UTF-8 and lower
// case, as a server would send them.
#pragma once

#include <string>
#include <vector>

namespace korvan::testing {

using Items = std::vector<std::string>;

// Tables under <div id="content_left">; the first genuine one has id="1" on
// page 1 (`first_id` is the id of the first table).
inline std::string BaiduShapedPage(const Items& items, int first_id = 1, const Items& ads = {}) {
  std::string page = "<html><body><div id=head>logo</div><div id=\"content_left\">";
  for (const auto& ad : ads) page += "<div class=ad><a href=\"#\">ad</a> " + ad + "</div>";
  int id = first_id;
  for (const auto& item : items) {
    page += "<table id=\"" + std::to_string(id++) +
            "\" class=\"result\"><tr><td><h3><a href=\"http://r\">title</a></h3><span>" + item +
            "</span></td></tr></table>";
  }
  return page + "</div><p>end</p></body></html>";
}

// Items <li class="g">; the start pattern is the first item itself.
inline std::string GoogleShapedPage(const Items& items) {
  std::string page = "<html><body><div id=search><ol>";
  for (const auto& item : items) {
    page += "<li class=\"g\"><h3><a href=\"http://r\">title</a></h3><cite>" + item + "</cite></li>";
  }
  return page + "</ol></div></body></html>";
}

// List items under <div id="main">; the first genuine one is <li id="first">
// on page 1.
inline std::string So360ShapedPage(const Items& items, bool first_page = true,
                                   const Items& ads = {}) {
  std::string page = "<html><body><div id=\"main\"><ul>";
  for (const auto& ad : ads) page += "<li class=\"ad\"><p>" + ad + "</p></li>";
  bool first = first_page;
  for (const auto& item : items) {
    page += first ? "<li id=\"first\" class=\"res\">" : "<li class=\"res\">";
    first = false;
    page += "<h3>title</h3><p>" + item + "</p></li>";
  }
  return page + "</ul></div></body></html>";
}

// Item divs two levels below the text that holds the comment marking the
// result area.
inline std::string TaobaoShapedPage(const Items& items) {
  std::string page =
      "<html><body><div class=\"page\"><!--结果内容区--><div class=\"list\"><div class=\"grid\">";
  for (const auto& item : items) {
    page += "<div class=\"item\"><a href=\"http://r\">title</a><span>" + item + "</span></div>";
  }
  return page + "</div></div></div></body></html>";
}

// A page that holds no result list at all (a check or consent page).
inline std::string BlockedPage() {
  return "<html><body><div class=\"captcha\"><form>please verify</form></div></body></html>";
}

// Ten filler hosts with `host` put at the given 1-based positions.
inline Items HostsWith(const std::string& host, std::vector<int> positions, int count = 10) {
  Items items;
  for (int i = 1; i <= count; ++i) {
    bool here = false;
    for (int p : positions) here = here || p == i;
    items.push_back(here ? "http://" + host + "/page" : "www.other" + std::to_string(i) + ".net");
  }
  return items;
}

}  // namespace korvan::testing
