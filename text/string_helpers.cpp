#include "text/string_helpers.h"

#include <algorithm>
#include <cstring>
#include <functional>

namespace korvan {
namespace {

// Code page 936: a byte from 0x81 to 0xFE leads a two-byte character.
bool IsLeadByte(char c) {
  const auto b = static_cast<unsigned char>(c);
  return b >= 0x81 && b <= 0xFE;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Calls taken(at) for every occurrence of `old_text` that ReplaceAll takes,
// left to right: none that begins on the second byte of a two-byte
// character, none that overlaps the one taken before it. Reads `text` only
// from the end of the last occurrence taken on.
template <typename Taken>
void ForEachTaken(std::string_view text, std::string_view old_text, Taken&& taken) {
  if (old_text.empty() || old_text.size() > text.size()) return;
  std::size_t boundary = 0;  // a known character boundary at or before `from`
  std::size_t from = 0;
  while (from + old_text.size() <= text.size()) {
    const std::size_t at = FindBytes(text, old_text, from);
    if (at == std::string_view::npos) break;
    while (boundary < at) boundary += IsLeadByte(text[boundary]) ? 2 : 1;
    if (boundary != at) {  // `at` is the second byte of a two-byte character
      from = at + 1;
      continue;
    }
    taken(at);
    // The rest is searched as a text of its own, so it starts on a boundary.
    from = boundary = at + old_text.size();
  }
}

}  // namespace

std::string ReplaceAll(std::string_view text, std::string_view old_text,
                       std::string_view new_text) {
  std::string out;
  out.reserve(text.size());
  std::size_t copied = 0;  // text before this is in `out`
  ForEachTaken(text, old_text, [&](std::size_t at) {
    out.append(text.substr(copied, at - copied));
    out.append(new_text);
    copied = at + old_text.size();
  });
  out.append(text.substr(copied));
  return out;
}

void EraseAll(std::string& text, std::string_view old_text) {
  std::size_t kept = 0;    // bytes kept so far, at the front of `text`
  std::size_t copied = 0;  // text before this is kept or erased
  // Only bytes behind the last occurrence taken are moved, and the search
  // reads only what lies after it.
  ForEachTaken(text, old_text, [&](std::size_t at) {
    std::memmove(text.data() + kept, text.data() + copied, at - copied);
    kept += at - copied;
    copied = at + old_text.size();
  });
  if (copied == 0) return;
  std::memmove(text.data() + kept, text.data() + copied, text.size() - copied);
  text.resize(kept + text.size() - copied);
}

std::string UrlEncode(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size() * 3);
  for (const char c : text) {
    const auto b = static_cast<unsigned char>(c);
    const bool plain = (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || IsDigit(c) || b == '-' ||
                       b == '.' || b == '_';
    if (plain) {
      out += c;
    } else {
      out += '%';
      out += kHex[b >> 4];
      out += kHex[b & 15];
    }
  }
  return out;
}

std::string DeleteChars(std::string_view text, const TByteSet& set) {
  std::string out;
  out.reserve(text.size());
  for (const char c : text) {
    if (!set.test(static_cast<unsigned char>(c))) out += c;
  }
  return out;
}

bool IsIntStr(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  if (i == text.size()) return false;
  bool negative = false;
  if (text[i] == '+' || text[i] == '-') {
    negative = text[i] == '-';
    ++i;
  }
  const std::string_view digits = text.substr(i);
  if (digits.empty() || digits.size() > 10) return false;
  for (const char c : digits) {
    if (!IsDigit(c)) return false;
  }
  if (digits.size() < 10 || digits[0] <= '1') return true;
  if (digits[0] > '2') return false;
  long long value = 0;
  for (const char c : digits) value = value * 10 + (c - '0');
  return negative ? value <= 2147483648LL : value <= 2147483647LL;
}

std::string_view TrimBlanks(std::string_view text) {
  const auto blank = [](char c) { return static_cast<unsigned char>(c) <= 32; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

std::string LowerAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

std::size_t FindBytes(std::string_view text, std::string_view find, std::size_t from) {
  if (from > text.size() || find.size() > text.size() - from) return std::string_view::npos;
  if (find.empty()) return from;
#if defined(__GLIBC__)
  // glibc's memmem is linear (two-way) and vectorised.
  const void* hit = memmem(text.data() + from, text.size() - from, find.data(), find.size());
  return hit == nullptr ? std::string_view::npos
                        : static_cast<std::size_t>(static_cast<const char*>(hit) - text.data());
#else
  const auto hit = std::search(text.begin() + from, text.end(),
                               std::boyer_moore_horspool_searcher(find.begin(), find.end()));
  return hit == text.end() ? std::string_view::npos : static_cast<std::size_t>(hit - text.begin());
#endif
}

}  // namespace korvan
