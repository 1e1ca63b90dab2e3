// Hostile result pages for the built-in extraction specs, for the analysis
// memory benchmark: unclosed opening tags (every element runs to the end of
// the page), unclosed tags with highlighted words, deep but closed nesting,
// and the start piece repeated at every tag. Every page holds the start piece
// of its spec and one occurrence of kHostilePageHost in its middle, so that
// the analysis walks its blocks and finds a few hits. Code page 936 bytes.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace korvan::bench {

inline constexpr std::string_view kHostilePageHost = "www.example.com";

enum class HostileShape { kUnclosed, kUnclosedHighlighted, kDeepNesting, kStartAtEveryTag };

// The tags of one built-in spec: its opening and closing tag and its start
// piece, in the order of DefaultEngines.
struct SpecTags {
  std::string_view open, close, start;
};

inline constexpr SpecTags kSpecTags[] = {
    {"<div>", "</div>", "<div id=\"content_left\">"},
    {"<li class=\"g\">", "</li>", "<li class=\"g\">"},
    {"<li>", "</li>", "<div id=\"main\">"},
    {"<div>", "</div>", "<!--\xBD\xE1\xB9\xFB\xC4\xDA\xC8\xDD\xC7\xF8-->"},
};

namespace detail {

// Repeats `unit` until the page reaches `size`, the host once half-way.
inline void Fill(std::string& page, std::string_view unit, std::size_t size) {
  const std::size_t middle = size / 2;
  bool host = false;
  while (page.size() + unit.size() <= size) {
    if (!host && page.size() >= middle) {
      page += kHostilePageHost;
      host = true;
    }
    page += unit;
  }
}

}  // namespace detail

// A page of `size` bytes (give or take a unit) for the spec of DefaultEngines
// row `engine`. The string is reserved once, so making it leaves no peak
// above the page itself.
inline std::string MakeHostilePage(HostileShape shape, int engine, std::size_t size) {
  const SpecTags& t = kSpecTags[engine];
  std::string page;
  page.reserve(size + 256);
  page += "<html><body>";
  page += t.start;
  switch (shape) {
    case HostileShape::kUnclosed:
      detail::Fill(page, std::string(t.open) + "r ", size);
      break;
    case HostileShape::kUnclosedHighlighted:
      detail::Fill(page, std::string(t.open) + "<b>r</b> <em>s</em> ", size);
      break;
    case HostileShape::kDeepNesting: {
      const std::size_t levels = (size - page.size()) / (t.open.size() + t.close.size() + 2);
      for (std::size_t i = 0; i < levels; ++i) page += t.open;
      page += kHostilePageHost;
      for (std::size_t i = 0; i < levels; ++i) page.append("x ").append(t.close);
      break;
    }
    case HostileShape::kStartAtEveryTag:
      detail::Fill(page, std::string(t.open) + std::string(t.start) + "r ", size);
      break;
  }
  return page;
}

}  // namespace korvan::bench
