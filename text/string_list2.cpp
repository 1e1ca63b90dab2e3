#include "text/string_list2.h"

#include "text/string_helpers.h"
#include "text/wildcard.h"

namespace korvan {

int TStringList::Add(std::string text, std::intptr_t tag) {
  items_.push_back(Item{std::move(text), tag});
  return Count() - 1;
}

void TStringList::Insert(int index, std::string text, std::intptr_t tag) {
  items_.insert(items_.begin() + index, Item{std::move(text), tag});
}

void TStringList::Delete(int index) { items_.erase(items_.begin() + index); }

void TStringList::AddStrings(const TStringList& other) {
  items_.insert(items_.end(), other.items_.begin(), other.items_.end());
}

void TStringList2::SetDelimiterStr(std::string_view value) {
  if (value == delimiter_str_) return;
  delimiter_str_ = value;
  if (value.empty()) {
    delimiter_str_ = std::string(1, delimiter_);
  } else if (value.size() == 1) {
    delimiter_ = value[0];
  }
}

void TStringList2::SetDelimitedStr(std::string_view text) {
  Clear();
  if (delimiter_str_.empty()) {
    SetCommaText(text);
    return;
  }
  const int step = static_cast<int>(delimiter_str_.size());
  int position = 1;
  for (;;) {
    const int found = FindForward(delimiter_str_, text, position);
    const std::size_t from = static_cast<std::size_t>(position) - 1;
    const std::string_view piece =
        found == 0 ? text.substr(from)
                   : text.substr(from, static_cast<std::size_t>(found - position));
    const std::string_view item = TrimBlanks(piece);
    if (!item.empty()) Add(std::string(item));
    if (found == 0) return;
    position = found + step;
    if (static_cast<std::size_t>(position) > text.size()) return;
  }
}

// Items separated by commas; an item that begins with a double quote runs to
// the closing quote, a doubled quote inside standing for one. Unquoted items
// are trimmed. Empty items are kept.
void TStringList2::SetCommaText(std::string_view text) {
  std::size_t i = 0;
  while (i <= text.size()) {
    while (i < text.size() && static_cast<unsigned char>(text[i]) <= 32) ++i;
    std::string item;
    if (i < text.size() && text[i] == '"') {
      ++i;
      while (i < text.size()) {
        if (text[i] == '"') {
          if (i + 1 < text.size() && text[i + 1] == '"') {
            item += '"';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        item += text[i++];
      }
      while (i < text.size() && text[i] != ',') ++i;
    } else {
      const std::size_t comma = text.find(',', i);
      const std::size_t end = comma == std::string_view::npos ? text.size() : comma;
      item = std::string(TrimBlanks(text.substr(i, end - i)));
      i = end;
    }
    Add(std::move(item));
    if (i >= text.size()) return;
    ++i;  // behind the comma
    if (i == text.size()) {
      Add(std::string());
      return;
    }
  }
}

}  // namespace korvan
